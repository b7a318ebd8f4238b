// The host's Blit: draws one 32-bit buffer over another with an opacity.
#pragma once

#include <cstdint>

#include "host/blend/opacity_blend.h"
#include "platform/quickdraw/quickdraw.h"
#include "velmorance/host_interface.h"

namespace vmhost {

// The HYProcs slot: draws srcRect of `src` over dstRect of `dst` with
// blendOver. Both rectangles must lie inside their buffers and have the same
// size (the plug-in never scales here); anything else, or a missing argument,
// is kPluginBadParams and changes nothing.
HYPluginResult hostBlit(PixMapHandle src, PixMapHandle dst, const Rect* srcRect, const Rect* dstRect,
                        int16_t opacity);

}  // namespace vmhost
