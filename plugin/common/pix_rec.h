// One 32-bit pixel as it lies in a buffer: alpha, red, green, blue bytes in
// memory order on every processor.
#pragma once

#include <cstdint>

struct pixRec {
  uint8_t alpha;
  uint8_t red;
  uint8_t green;
  uint8_t blue;
};
using pixRecPtr = pixRec*;
static_assert(sizeof(pixRec) == 4, "pixRec must be one 32-bit word");
