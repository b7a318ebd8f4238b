// The two bridges from the host glue into the rest of the effect: rendering
// one frame and running the configuration dialog.
#pragma once

#include <cstdint>

#include "platform/quickdraw/quickdraw.h"
#include "plugin/core/plugin_defines.h"

// Renders the effect from theSource into theTarget with myConfig. The fade
// and slider arguments are accepted for effects that use them; fades are
// applied around this call and opacity is not written.
void DoEffect(pluginDataPtr myConfig, void* params, GrafPtr theSource, GrafPtr theTarget, int32_t currentFrameIndex,
              int32_t fadeInFrames, int32_t fadeOutFrames, int32_t totalFrames, double s1, double s2, double s3,
              int16_t& opacity);

// Runs the configuration dialog on theData over the frame theGW (owned by the
// caller). numberOfFrames below 1 counts as one frame.
void ConfigurePlugIn(pluginDataPtr theData, GrafPtr theGW, void* params, int32_t firstFrameIndex,
                     int32_t numberOfFrames);
