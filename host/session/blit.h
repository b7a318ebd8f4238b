// The host's Blit: draws one 32-bit buffer over another with an opacity.
#pragma once

#include <cstdint>

#include "platform/quickdraw/quickdraw.h"
#include "velmorance/host_interface.h"

namespace vmhost {

// Blends width x height pixels of `src` over `dst`, every byte (alpha, red,
// green, blue) on its own:
//   dst = (src * opacity + dst * (255 - opacity) + 127) / 255
// in integers, so opacity 255 copies the source exactly, 0 leaves the
// destination exactly as it was, and the result rounds to nearest.
// `opacity` is clamped to 0..255. Rows are `srcRowBytes`/`dstRowBytes` apart.
void blendOver(const uint8_t* src, int srcRowBytes, uint8_t* dst, int dstRowBytes, int width, int height,
               int opacity);

// The HYProcs slot: draws srcRect of `src` over dstRect of `dst`. Both
// rectangles must lie inside their buffers and have the same size (the
// plug-in never scales here); anything else, or a missing argument, is
// kPluginBadParams and changes nothing.
HYPluginResult hostBlit(PixMapHandle src, PixMapHandle dst, const Rect* srcRect, const Rect* dstRect,
                        int16_t opacity);

}  // namespace vmhost
