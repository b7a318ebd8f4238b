#include "host/media/gif_palette.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <unordered_map>
#include <vector>

namespace vmhost {

namespace {

constexpr int kBits = 5;  // per channel in the median cut's histogram
constexpr int kSide = 1 << kBits;

inline uint32_t rgbOf(const uint8_t* p) { return uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3]; }
inline int binOf(uint32_t rgb) {
  return static_cast<int>((rgb >> (24 - kBits) & (kSide - 1)) << (2 * kBits) |
                          (rgb >> (16 - kBits) & (kSide - 1)) << kBits | (rgb >> (8 - kBits) & (kSide - 1)));
}

struct Box {
  std::array<int, 3> lo{}, hi{};  // inclusive bin coordinates: red, green, blue
  uint64_t count = 0;
};

struct Histogram {
  std::vector<uint64_t> count = std::vector<uint64_t>(kSide * kSide * kSide);
  std::vector<std::array<uint64_t, 3>> sum = std::vector<std::array<uint64_t, 3>>(kSide * kSide * kSide);

  template <typename F>
  void each(const Box& b, F f) const {
    for (int r = b.lo[0]; r <= b.hi[0]; ++r)
      for (int g = b.lo[1]; g <= b.hi[1]; ++g)
        for (int bl = b.lo[2]; bl <= b.hi[2]; ++bl) f(r, g, bl, (r << (2 * kBits)) | (g << kBits) | bl);
  }
  // Narrows `b` to the bins it holds colours in, and counts them.
  void shrink(Box& b) const {
    Box tight{{kSide, kSide, kSide}, {-1, -1, -1}, 0};
    each(b, [&](int r, int g, int bl, int i) {
      if (count[i] == 0) return;
      const int at[3] = {r, g, bl};
      for (int c = 0; c < 3; ++c) tight.lo[c] = std::min(tight.lo[c], at[c]), tight.hi[c] = std::max(tight.hi[c], at[c]);
      tight.count += count[i];
    });
    b = tight;
  }
};

// Splits the box with the most colours over the longest side at its median.
bool splitOne(const Histogram& h, std::vector<Box>& boxes) {
  size_t pick = boxes.size();
  uint64_t best = 0;
  for (size_t i = 0; i < boxes.size(); ++i) {
    const Box& b = boxes[i];
    const int side = std::max({b.hi[0] - b.lo[0], b.hi[1] - b.lo[1], b.hi[2] - b.lo[2]});
    if (side > 0 && b.count * static_cast<uint64_t>(side) > best) best = b.count * static_cast<uint64_t>(side), pick = i;
  }
  if (pick == boxes.size()) return false;
  Box& b = boxes[pick];
  int axis = 0;
  for (int c = 1; c < 3; ++c)
    if (b.hi[c] - b.lo[c] > b.hi[axis] - b.lo[axis]) axis = c;
  std::vector<uint64_t> slice(kSide);
  h.each(b, [&](int r, int g, int bl, int i) { slice[axis == 0 ? r : axis == 1 ? g : bl] += h.count[i]; });
  uint64_t below = 0;
  int cut = b.lo[axis];
  while (cut < b.hi[axis] - 1 && (below + slice[cut]) * 2 < b.count) below += slice[cut++];
  Box upper = b;
  b.hi[axis] = cut;
  upper.lo[axis] = cut + 1;
  h.shrink(b);
  h.shrink(upper);
  boxes.push_back(upper);
  return true;
}

}  // namespace

void quantizeArgb(const uint8_t* argb, int rowBytes, int width, int height, uint32_t* palette, uint8_t* indices,
                  int indexStride) {
  std::fill(palette, palette + 256, 0xFF000000u);
  auto pixel = [&](int x, int y) { return argb + static_cast<ptrdiff_t>(y) * rowBytes + x * 4; };
  // Few colours: each keeps its own entry.
  std::unordered_map<uint32_t, uint8_t> exact;
  for (int y = 0; y < height && exact.size() <= 256; ++y)
    for (int x = 0; x < width && exact.size() <= 256; ++x) exact.emplace(rgbOf(pixel(x, y)), 0);
  if (exact.size() <= 256) {
    int next = 0;
    for (auto& [rgb, index] : exact) {
      index = static_cast<uint8_t>(next);
      palette[next++] = 0xFF000000u | rgb;
    }
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) indices[static_cast<ptrdiff_t>(y) * indexStride + x] = exact[rgbOf(pixel(x, y))];
    return;
  }
  Histogram h;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const uint8_t* p = pixel(x, y);
      const int bin = binOf(rgbOf(p));
      ++h.count[bin];
      for (int c = 0; c < 3; ++c) h.sum[bin][c] += p[1 + c];
    }
  std::vector<Box> boxes(1, Box{{0, 0, 0}, {kSide - 1, kSide - 1, kSide - 1}, 0});
  h.shrink(boxes[0]);
  while (boxes.size() < 256 && splitOne(h, boxes)) {
  }
  std::vector<uint8_t> lookup(kSide * kSide * kSide);
  for (size_t i = 0; i < boxes.size(); ++i) {
    uint64_t total[3] = {0, 0, 0};
    h.each(boxes[i], [&](int, int, int, int bin) {
      lookup[bin] = static_cast<uint8_t>(i);
      for (int c = 0; c < 3; ++c) total[c] += h.sum[bin][c];
    });
    const uint64_t n = std::max<uint64_t>(boxes[i].count, 1);
    palette[i] = 0xFF000000u | static_cast<uint32_t>((total[0] + n / 2) / n) << 16 |
                 static_cast<uint32_t>((total[1] + n / 2) / n) << 8 | static_cast<uint32_t>((total[2] + n / 2) / n);
  }
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      indices[static_cast<ptrdiff_t>(y) * indexStride + x] = lookup[binOf(rgbOf(pixel(x, y)))];
}

}  // namespace vmhost
