// The render selectors: begin attaches a per-render record with its own copy
// of the configuration, each frame step produces one output frame (with fades
// and audio), end releases what begin attached.
#pragma once

#include <cstdint>

#include "plugin/core/plugin_defines.h"
#include "velmorance/host_interface.h"

// Per-render data, kept in _PluginParams.clientData from begin to end. Both
// this record and pascalData come from the host's NewPtrClear.
struct EffectData {
  int32_t frameCount;  // unused, stays 0
  int32_t effectSourceCount;
  float sliderValues[3];
  int32_t fadeInFrames;
  int32_t fadeOutFrames;
  GWorldPtr effectGWorld;  // the working buffer, alive only inside a frame step
  pluginDataPtr pascalData;
};

HYPluginResult EffectBegins(int16_t which, _PluginParams* params);
HYPluginResult EffectDrives(int16_t which, _PluginParams* params);
HYPluginResult EffectEnds(int16_t which, _PluginParams* params);
// Produces the effect of sourceFrame into the host's output buffer.
HYPluginResult ApplyEffect(GWorldPtr sourceFrame, _PluginParams* params);
void ApplyLineArtEffect(GWorldPtr sourceFrame, GWorldPtr targetFrame, _PluginParams* params);

// The opacity (0..255) at which the unprocessed frame covers the effect at
// renderFrame, or -1 when the frame lies in no fade.
int16_t FadeOpacity(int32_t renderFrame, int32_t frameCount, int32_t fadeInFrames, int32_t fadeOutFrames);
