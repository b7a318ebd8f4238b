// The black-and-white print: every pixel inside the active rectangle becomes
// a grey from a black-to-white gradient chosen by its brightness.
#pragma once

#include <cstdint>

#include "platform/quickdraw/quickdraw.h"
#include "plugin/common/pix_rec.h"
#include "plugin/core/plugin_defines.h"

inline constexpr int cMaxPixArray = 10;

// Gradient stops, indexed 1..cMaxPixArray (element 0 unused).
struct RGBArray {
  RGBColor colors[cMaxPixArray + 1];
};
struct PixRecArray {
  pixRec pixels[cMaxPixArray + 1];
};

// Sets the black and white stops and the band width 1 - slider 1 / 100, then
// rewrites the pixels of dest inside activeRect. copyRest, currentFrame and
// maxFrame are accepted for effects that vary over a clip; this one does not.
void ThePixelEffect(GrafPtr source, GrafPtr dest, const Rect& activeRect, bool copyRest, pluginDataPtr theConfig,
                    int32_t currentFrame, int32_t maxFrame);

// Walks source1 and dest in step and writes, for each pixel inside
// activeRect, the stop colour for the mean of the source pixel's red, green
// and blue with alpha 255. Pixels outside activeRect keep their values.
// Buffers whose right or bottom edges differ are left alone.
void RainbowGWorlds(GrafPtr source1, GrafPtr dest, const Rect& activeRect, const RGBArray& dissolveColors,
                    int16_t numElems, double bandWidth);

// Maps a brightness index 0..255 onto the stops: bandWidth is the fraction of
// each segment held at a solid stop colour. The alpha of the result is not
// defined.
pixRec Index2ColorDissolve(int16_t index, const PixRecArray& colorArray, int16_t numElems, double bandWidth);

// Index2ColorDissolve for every sum of red, green and blue (0..765), as
// 32-bit words in memory order with alpha 255.
struct DissolveTable {
  uint32_t bySum[766];
};
void BuildDissolveTable(const PixRecArray& colorArray, int16_t numElems, double bandWidth, DissolveTable& table);
