#include <gtest/gtest.h>

#include <cstring>

#include "platform/memory/memory.h"
#include "plugin/common/color_packing.h"
#include "plugin/common/numeric_helpers.h"
#include "tests/support/platform_faults.h"

namespace {

TEST(SetRGBColor, TakesSixteenBits) {
  const RGBColor c = SetRGBColor(-1, 0, -32768);
  EXPECT_EQ(c.red, 65535);
  EXPECT_EQ(c.green, 0);
  EXPECT_EQ(c.blue, 32768);
}

TEST(Words, SplitSigned) {
  EXPECT_EQ(CarbonHiWord(static_cast<SInt32>(0xFFFF0001u)), -1);
  EXPECT_EQ(CarbonLoWord(static_cast<SInt32>(0xFFFF0001u)), 1);
  EXPECT_EQ(CarbonLoWord(0x00018000), -32768);
  EXPECT_EQ(CarbonHiWord(0x7FFF0000), 32767);
}

TEST(SmallHelpers, SgnAndSwap) {
  EXPECT_EQ(Sgn(0.0), 1);
  EXPECT_EQ(Sgn(-0.001), -1);
  EXPECT_EQ(Sgn(5.0), 1);
  SInt16 a = 3, b = -4;
  SwapInt(a, b);
  EXPECT_EQ(a, -4);
  EXPECT_EQ(b, 3);
}

TEST(CloneObject, CopiesTheWholeBlock) {
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
  const pixRec px = LongInt2PixRec(0x12345678);
  EXPECT_EQ(px.alpha, 0);
  EXPECT_EQ(px.red, 0x34);
  EXPECT_EQ(px.green, 0x56);
  EXPECT_EQ(px.blue, 0x78);
  EXPECT_EQ(PixRec2LongInt(px), 0x00345678);
  EXPECT_EQ(PixRec2LongInt(pixRec{0xEE, 1, 2, 3}), 0x00010203);
  EXPECT_EQ(RGBColor2LongInt(RGBColor{65535, 32768, 255}), 0x00FF8000);
  const RGBColor c = LongInt2RGBColor(0x00FF8000);
  EXPECT_EQ(c.red, 65280);
  EXPECT_EQ(c.green, 32768);
  EXPECT_EQ(c.blue, 0);
  const RGBColor white = LongInt2RGBColor(RGBColor2LongInt(RGBColor{65535, 65535, 65535}));
  EXPECT_EQ(white.red, 65280);
  EXPECT_EQ(white.blue, 65280);
  RGBColor rgb{};
  SInt16 alpha = -1;
  Pixel2RGBA(pixRec{200, 0xFF, 0x01, 0x80}, rgb, alpha);
  EXPECT_EQ(alpha, 200);
  EXPECT_EQ(rgb.red, 0xFF00);
  EXPECT_EQ(rgb.green, 0x0100);
  EXPECT_EQ(rgb.blue, 0x8000);
}

}  // namespace
