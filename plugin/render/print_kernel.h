// The per-pixel kernel of the print, apart from buffers and rectangles: maps
// one row of pixels (bytes alpha, red, green, blue) to their stop colours.
#pragma once

#include <cstdint>

#include "plugin/render/pixeleffect.h"

struct PrintKernel {
  DissolveTable table;
  // When the stops give a grey that is an affine function of the brightness
  // (black and white stops), the row is mapped arithmetically four pixels at
  // a time: grey = trunc(mean * scale + offset), clamped to 0..255. Used only
  // after it was checked to equal the table for every brightness.
  bool affine = false;
  float scale = 0.0f;
  float offset = 0.0f;
};

void PreparePrintKernel(const PixRecArray& stops, int16_t numElems, double bandWidth, PrintKernel& kernel);
// Writes `count` pixels of `to` from the pixels of `from`; the rows may be
// the same memory.
void ApplyPrintRow(const PrintKernel& kernel, const uint8_t* from, uint8_t* to, int count);
