// Line-art rendering: the configuration's picture re-rasterised, and the
// frame effect that overlays a source frame at slider 3's opacity.
#pragma once

#include <cstdint>

#include "plugin/core/plugin_defines.h"

// Releases theRendered, then renders theOriginalImage (when there is one)
// at its own size into a new image that the record owns.
void RenderLineArt(pluginDataPtr theConfig);

// Copies activeRect of source over the whole of dest; when sliders[3] > 0,
// draws source over it at sliders[3] percent opacity. copyRest, currFrame
// and maxFrame do not change the result.
void TheLineEffect(GrafPtr source, GrafPtr dest, const Rect& activeRect, bool copyRest, pluginDataPtr theConfig,
                   int32_t currFrame, int32_t maxFrame);
