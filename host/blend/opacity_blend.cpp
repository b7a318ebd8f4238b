#include "host/blend/opacity_blend.h"

#include <algorithm>
#include <cstddef>

namespace vmhost {

void blendOver(const uint8_t* src, int srcRowBytes, uint8_t* dst, int dstRowBytes, int width, int height, int opacity) {
  const unsigned op = static_cast<unsigned>(std::clamp(opacity, 0, 255));
  const unsigned inverse = 255 - op;
  for (int y = 0; y < height; ++y) {
    const uint8_t* in = src + static_cast<ptrdiff_t>(y) * srcRowBytes;
    uint8_t* out = dst + static_cast<ptrdiff_t>(y) * dstRowBytes;
    for (int i = 0; i < width * 4; ++i) out[i] = static_cast<uint8_t>((in[i] * op + out[i] * inverse + 127) / 255);
  }
}

}  // namespace vmhost
