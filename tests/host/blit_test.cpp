#include "host/blit.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct BlendCase {
  int src, dst, opacity, expected;
};

// (src * op + dst * (255 - op) + 127) / 255, worked by hand.
constexpr BlendCase kBlendCases[] = {
    {200, 10, 255, 200}, {200, 10, 0, 10},   {255, 0, 170, 170}, {255, 0, 85, 85},  {0, 255, 170, 85},
    {100, 50, 128, 75},  {1, 0, 128, 1},     {0, 1, 128, 0},     {255, 255, 77, 255}, {37, 219, 300, 37},
    {37, 219, -5, 219},
};

TEST(BlendOver, EveryByteFollowsTheRoundedFormula) {
  for (const BlendCase& c : kBlendCases) {
    const uint8_t src[4] = {uint8_t(c.src), uint8_t(c.src), uint8_t(c.src), uint8_t(c.src)};
    uint8_t dst[4] = {uint8_t(c.dst), uint8_t(c.dst), uint8_t(c.dst), uint8_t(c.dst)};
    vmhost::blendOver(src, 4, dst, 4, 1, 1, c.opacity);
    for (uint8_t byte : dst)
      EXPECT_EQ(byte, c.expected) << "src " << c.src << " dst " << c.dst << " opacity " << c.opacity;
  }
}

// A 3x2 region inside padded 5x4 buffers: only the region changes.
class HostBlitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    src_.assign(kRowBytes * 4, 0);
    dst_.assign(kRowBytes * 4, 0);
    for (size_t i = 0; i < src_.size(); ++i) {
      src_[i] = static_cast<uint8_t>(i * 7);
      dst_[i] = static_cast<uint8_t>(255 - i * 3);
    }
    srcMap_ = PixMap{reinterpret_cast<Ptr>(src_.data()), kRowBytes, Rect{0, 0, 4, 5}, 32, 0};
    dstMap_ = PixMap{reinterpret_cast<Ptr>(dst_.data()), kRowBytes, Rect{0, 0, 4, 5}, 32, 0};
    srcPtr_ = &srcMap_;
    dstPtr_ = &dstMap_;
  }
  static constexpr int kRowBytes = 5 * 4 + 12;
  std::vector<uint8_t> src_, dst_;
  PixMap srcMap_{}, dstMap_{};
  PixMapPtr srcPtr_ = nullptr, dstPtr_ = nullptr;
};

TEST_F(HostBlitTest, BlendsOnlyTheDestinationRectangle) {
  const std::vector<uint8_t> before = dst_;
  const Rect from{1, 0, 3, 3}, to{2, 2, 4, 5};
  ASSERT_EQ(vmhost::hostBlit(&srcPtr_, &dstPtr_, &from, &to, 85), kPluginOK);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x)
      for (int c = 0; c < 4; ++c) {
        const size_t at = y * kRowBytes + x * 4 + c;
        int expected = before[at];
        if (y >= 2 && x >= 2) {
          const int s = src_[(y - 1) * kRowBytes + (x - 2) * 4 + c];
          expected = (s * 85 + before[at] * 170 + 127) / 255;
        }
        EXPECT_EQ(dst_[at], expected) << "pixel " << x << "," << y << " byte " << c;
      }
}

TEST_F(HostBlitTest, RefusesBadRectanglesAndLeavesTheDestination) {
  const std::vector<uint8_t> before = dst_;
  const Rect whole{0, 0, 4, 5}, outside{0, 0, 5, 5}, smaller{0, 0, 2, 2}, inverted{3, 0, 1, 5};
  EXPECT_EQ(vmhost::hostBlit(&srcPtr_, &dstPtr_, &whole, &outside, 255), kPluginBadParams);
  EXPECT_EQ(vmhost::hostBlit(&srcPtr_, &dstPtr_, &outside, &whole, 255), kPluginBadParams);
  EXPECT_EQ(vmhost::hostBlit(&srcPtr_, &dstPtr_, &whole, &smaller, 255), kPluginBadParams);
  EXPECT_EQ(vmhost::hostBlit(&srcPtr_, &dstPtr_, &inverted, &inverted, 255), kPluginBadParams);
  EXPECT_EQ(vmhost::hostBlit(nullptr, &dstPtr_, &whole, &whole, 255), kPluginBadParams);
  EXPECT_EQ(vmhost::hostBlit(&srcPtr_, &dstPtr_, nullptr, &whole, 255), kPluginBadParams);
  EXPECT_EQ(dst_, before);
}

}  // namespace
