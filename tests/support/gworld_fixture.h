// Owned buffers and pixel helpers for tests that work on 32-bit buffers.
#pragma once

#include <cstdint>
#include <cstring>
#include <random>

#include "platform/quickdraw/quickdraw_owners.h"
#include "plugin/common/pix_rec.h"

inline GWorldOwner MakeWorld(int width, int height, int top = 0, int left = 0) {
  const Rect bounds{static_cast<int16_t>(top), static_cast<int16_t>(left), static_cast<int16_t>(top + height),
                    static_cast<int16_t>(left + width)};
  GWorldPtr world = nullptr;
  NewGWorld(&world, 32, &bounds);
  return GWorldOwner(world);
}

// Pixel (x, y) counted from the buffer's first pixel.
inline pixRec* PixelAt(GrafPtr world, int x, int y) {
  PixMapHandle pm = GetGWorldPixMap(world);
  return reinterpret_cast<pixRec*>(GetPixBaseAddr(pm) + y * GetPixRowBytes(pm) + x * 4);
}

inline void FillRandom(GrafPtr world, uint32_t seed) {
  std::mt19937 random(seed);
  Rect bounds;
  GetPortBounds(world, &bounds);
  for (int y = 0; y < bounds.bottom - bounds.top; ++y)
    for (int x = 0; x < bounds.right - bounds.left; ++x) {
      const uint32_t word = random();
      std::memcpy(PixelAt(world, x, y), &word, 4);
    }
}

inline bool SamePixel(const pixRec& a, const pixRec& b) { return std::memcmp(&a, &b, 4) == 0; }
