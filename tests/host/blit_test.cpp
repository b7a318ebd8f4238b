#include "host/session/blit.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace {

// Source, destination, opacity: (src * op + dst * (255 - op) + 127) / 255,
// worked by hand.
constexpr std::array<int, 4> kBlendCases[] = {
    {200, 10, 255, 200}, {200, 10, 0, 10},   {255, 0, 170, 170}, {255, 0, 85, 85},  {0, 255, 170, 85},
    {100, 50, 128, 75},  {1, 0, 128, 1},     {0, 1, 128, 0},     {255, 255, 77, 255}, {37, 219, 300, 37},
    {37, 219, -5, 219},
};

TEST(BlendOver, EveryByteFollowsTheRoundedFormula) {
  for (const auto& [s, d, opacity, expected] : kBlendCases) {
    const uint8_t src[4] = {uint8_t(s), uint8_t(s), uint8_t(s), uint8_t(s)};
    uint8_t dst[4] = {uint8_t(d), uint8_t(d), uint8_t(d), uint8_t(d)};
    vmhost::blendOver(src, 4, dst, 4, 1, 1, opacity);
    for (uint8_t byte : dst) EXPECT_EQ(byte, expected) << "src " << s << " dst " << d << " opacity " << opacity;
  }
}

// A 3x2 region inside padded 5x4 buffers, copied whole: only the region
// changes, and bad rectangles are refused without touching the destination.
// (The opacity reaches the blend: Render.FadesBlendTheUnprocessedFrameOverTheFirstAndLastFrames.)
TEST(HostBlit, BlendsOnlyTheDestinationRectangleAndRefusesBadOnes) {
  constexpr int kRowBytes = 5 * 4 + 12;
  std::vector<uint8_t> src(kRowBytes * 4), dst(kRowBytes * 4);
  for (size_t i = 0; i < src.size(); ++i) {
    src[i] = static_cast<uint8_t>(i * 7);
    dst[i] = static_cast<uint8_t>(255 - i * 3);
  }
  PixMap srcMap{reinterpret_cast<Ptr>(src.data()), kRowBytes, Rect{0, 0, 4, 5}, 32, 0};
  PixMap dstMap{reinterpret_cast<Ptr>(dst.data()), kRowBytes, Rect{0, 0, 4, 5}, 32, 0};
  PixMapPtr srcPtr = &srcMap, dstPtr = &dstMap;
  std::vector<uint8_t> before = dst;
  const Rect from{1, 0, 3, 3}, to{2, 2, 4, 5};
  ASSERT_EQ(vmhost::hostBlit(&srcPtr, &dstPtr, &from, &to, 255), kPluginOK);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x)
      for (int c = 0; c < 4; ++c) {
        const size_t at = y * kRowBytes + x * 4 + c;
        const bool inside = y >= 2 && x >= 2;
        EXPECT_EQ(dst[at], inside ? src[(y - 1) * kRowBytes + (x - 2) * 4 + c] : before[at])
            << "pixel " << x << "," << y << " byte " << c;
      }

  before = dst;
  const Rect whole{0, 0, 4, 5}, outside{0, 0, 5, 5}, smaller{0, 0, 2, 2}, inverted{3, 0, 1, 5};
  EXPECT_EQ(vmhost::hostBlit(&srcPtr, &dstPtr, &whole, &outside, 255), kPluginBadParams);
  EXPECT_EQ(vmhost::hostBlit(&srcPtr, &dstPtr, &outside, &whole, 255), kPluginBadParams);
  EXPECT_EQ(vmhost::hostBlit(&srcPtr, &dstPtr, &whole, &smaller, 255), kPluginBadParams);
  EXPECT_EQ(vmhost::hostBlit(&srcPtr, &dstPtr, &inverted, &inverted, 255), kPluginBadParams);
  EXPECT_EQ(vmhost::hostBlit(nullptr, &dstPtr, &whole, &whole, 255), kPluginBadParams);
  EXPECT_EQ(vmhost::hostBlit(&srcPtr, &dstPtr, nullptr, &whole, 255), kPluginBadParams);
  EXPECT_EQ(dst, before);
}

}  // namespace
