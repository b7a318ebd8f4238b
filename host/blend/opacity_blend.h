// The opacity blend of the host's Blit, on bare pixel rows. Knows nothing of
// buffers or media, so every host of the effect (the velmorance program, the
// frei0r module) draws one frame over another with the same arithmetic.
#pragma once

#include <cstdint>

namespace vmhost {

// Blends width x height pixels of `src` over `dst`, every byte on its own
// whatever the channel order:
//   dst = (src * opacity + dst * (255 - opacity) + 127) / 255
// in integers, so opacity 255 copies the source exactly, 0 leaves the
// destination exactly as it was, equal bytes stay as they are, and the
// result rounds to nearest. `opacity` is clamped to 0..255. Rows are
// `srcRowBytes`/`dstRowBytes` apart.
void blendOver(const uint8_t* src, int srcRowBytes, uint8_t* dst, int dstRowBytes, int width, int height, int opacity);

}  // namespace vmhost
