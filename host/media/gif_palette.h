// Pictures of at most 256 colours for GIF output.
#pragma once

#include <cstdint>

namespace vmhost {

// Maps width x height ARGB rows onto a palette of 256 entries (0xAARRGGBB,
// opaque) and one index a pixel: the picture's own colours when it has no
// more than 256, else the means of a median cut of its colours.
void quantizeArgb(const uint8_t* argb, int rowBytes, int width, int height, uint32_t* palette, uint8_t* indices,
                  int indexStride);

}  // namespace vmhost
