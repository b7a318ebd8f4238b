#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "platform/memory/memory.h"
#include "plugin/common/color_packing.h"
#include "plugin/common/numeric_helpers.h"
#include "tests/support/platform_faults.h"

namespace {

using Rgb = std::array<int, 3>;
using Argb = std::array<int, 4>;
Rgb rgb(const RGBColor& c) { return {c.red, c.green, c.blue}; }
Argb argb(const pixRec& p) { return {p.alpha, p.red, p.green, p.blue}; }

TEST(NumericHelpers, ChannelsWordsSignAndSwap) {
  EXPECT_EQ(rgb(SetRGBColor(-1, 0, -32768)), (Rgb{65535, 0, 32768}));
  EXPECT_EQ(CarbonHiWord(static_cast<SInt32>(0xFFFF0001u)), -1);
  EXPECT_EQ(CarbonLoWord(static_cast<SInt32>(0xFFFF0001u)), 1);
  EXPECT_EQ(CarbonLoWord(0x00018000), -32768);
  EXPECT_EQ(CarbonHiWord(0x7FFF0000), 32767);
  EXPECT_EQ((std::array{Sgn(0.0), Sgn(-0.001), Sgn(5.0)}), (std::array<SInt16, 3>{1, -1, 1}));
  SInt16 a = 3, b = -4;
  SwapInt(a, b);
  EXPECT_EQ((std::array{a, b}), (std::array<SInt16, 2>{-4, 3}));
}

TEST(CloneObject, CopiesTheWholeBlockOrGivesNothing) {
  Ptr p = NewPtr(5);
  std::memcpy(p, "hello", 5);
  Ptr copy = CloneObject(p);
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(copy, p);
  EXPECT_EQ(GetPtrSize(copy), 5);
  EXPECT_EQ(std::memcmp(copy, "hello", 5), 0);
  platformFailNextAllocations(1);
  EXPECT_EQ(CloneObject(p), nullptr);
  EXPECT_EQ(CloneObject(nullptr), nullptr);
  DisposePtr(copy);
  DisposePtr(p);
}

TEST(ColorPacking, KnownValues) {
  EXPECT_EQ(argb(LongInt2PixRec(0x12345678)), (Argb{0, 0x34, 0x56, 0x78}));
  EXPECT_EQ(PixRec2LongInt(LongInt2PixRec(0x12345678)), 0x00345678);
  EXPECT_EQ(PixRec2LongInt(pixRec{0xEE, 1, 2, 3}), 0x00010203);
  EXPECT_EQ(RGBColor2LongInt(RGBColor{65535, 32768, 255}), 0x00FF8000);
  EXPECT_EQ(rgb(LongInt2RGBColor(0x00FF8000)), (Rgb{65280, 32768, 0}));
  EXPECT_EQ(rgb(LongInt2RGBColor(RGBColor2LongInt(RGBColor{65535, 65535, 65535}))), (Rgb{65280, 65280, 65280}));
  RGBColor widened{};
  SInt16 alpha = -1;
  Pixel2RGBA(pixRec{200, 0xFF, 0x01, 0x80}, widened, alpha);
  EXPECT_EQ(alpha, 200);
  EXPECT_EQ(rgb(widened), (Rgb{0xFF00, 0x0100, 0x8000}));
}

}  // namespace
