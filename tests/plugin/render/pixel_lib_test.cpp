#include "plugin/render/pascal_pixel_lib.h"

#include <gtest/gtest.h>

#include "tests/support/gworld_fixture.h"

namespace {

TEST(PixelLib, DepthTablesDifferAt24) {
  const int16_t depths[] = {1, 8, 16, 24, 32, 7};
  const int16_t sizes[] = {4, 1, 2, 4, 4, 4};
  for (size_t i = 0; i < std::size(depths); ++i) EXPECT_EQ(Depth2Size(depths[i]), sizes[i]) << depths[i];
  auto world = MakeWorld(3, 1);
  EXPECT_EQ(GetGWDepth(world.get()), 32);
}

TEST(PixelLib, Put32BitPixelByDepth) {
  uint8_t buffer[64] = {};
  const pixRec pixel{9, 255, 128, 7};
  Put32BitPixelInPixMap(pixel, reinterpret_cast<Ptr>(buffer), 1, 1, 16, 16);
  uint16_t word;
  std::memcpy(&word, buffer + 16 + 2, 2);
  EXPECT_EQ(word, 0x7E00);
  Put32BitPixelInPixMap(pixel, reinterpret_cast<Ptr>(buffer), 3, 0, 16, 8);
  EXPECT_EQ(buffer[3], 255);
  uint8_t untouched[64] = {};
  Put32BitPixelInPixMap(pixel, reinterpret_cast<Ptr>(untouched), 1, 1, 16, 24);
  for (uint8_t byte : untouched) EXPECT_EQ(byte, 0);
  Put32BitPixelInPixMap(pixel, reinterpret_cast<Ptr>(buffer), 1, 2, 16, 32);
  EXPECT_TRUE(SamePixel(*reinterpret_cast<pixRec*>(buffer + 32 + 4), pixel));
}

TEST(PixelLib, GetAndSetPixelUseTheStride) {
  auto world = MakeWorld(5, 4);
  PixMapHandle pm = GetGWorldPixMap(world.get());
  const pixRec pixel{1, 2, 3, 4};
  pSetPixel(GetPixBaseAddr(pm), GetPixRowBytes(pm), 4, 3, &pixel);
  EXPECT_TRUE(SamePixel(*PixelAt(world.get(), 4, 3), pixel));
  pixRec read{};
  pGetPixel(GetPixBaseAddr(pm), GetPixRowBytes(pm), 4, 3, read);
  EXPECT_TRUE(SamePixel(read, pixel));
}

TEST(PixelLib, AlphaBrushBlendsColourBytesOnly) {
  auto world = MakeWorld(4, 4);
  *PixelAt(world.get(), 1, 1) = pixRec{77, 200, 10, 0};
  pSetGWPixelUsingAlpha(world.get(), 1, 1, 0.25, RGBColor{65535, 0, 0}, 1);
  EXPECT_TRUE(SamePixel(*PixelAt(world.get(), 1, 1), pixRec{77, 213, 7, 0}));
  pSetGWPixelUsingAlpha(world.get(), 1, 1, 0.0, RGBColor{0, 65535, 65535}, 1);
  EXPECT_TRUE(SamePixel(*PixelAt(world.get(), 1, 1), pixRec{77, 213, 7, 0}));
}

TEST(PixelLib, BrushAtTheLastColumnPaintsOnlyThatColumn) {
  auto world = MakeWorld(5, 5);
  pSetGWPixelAndAlpha(world.get(), 4, 1, RGBColor{0x1200, 0x3400, 0x5600}, 0x99, 3);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x) {
      const bool painted = x == 4 && y >= 1 && y <= 3;
      EXPECT_TRUE(SamePixel(*PixelAt(world.get(), x, y), painted ? pixRec{0x99, 0x12, 0x34, 0x56} : pixRec{}))
          << x << "," << y;
    }
  // A start outside the buffer paints nothing.
  pSetGWPixelAndAlpha(world.get(), 5, 0, RGBColor{0xFFFF, 0, 0}, 1, 2);
  EXPECT_EQ(PixelAt(world.get(), 4, 0)->red, 0);
}

TEST(PixelLib, CombinePicksSourceByAlpha) {
  auto one = MakeWorld(3, 3), two = MakeWorld(3, 3), target = MakeWorld(3, 3);
  FillRandom(one.get(), 11);
  FillRandom(two.get(), 12);
  struct Case {
    int16_t alpha;
    bool invert;
    GrafPtr expected;
  } cases[] = {{255, false, one.get()}, {255, true, two.get()}, {0, false, two.get()}};
  for (const Case& c : cases) {
    pCombineGWAndPutUsingAlpha(one.get(), two.get(), target.get(), 0, 0, 0, 0, c.alpha, c.invert, 3);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 3; ++x) {
        const pixRec& got = *PixelAt(target.get(), x, y);
        const pixRec& want = *PixelAt(c.expected, x, y);
        EXPECT_EQ(got.red, want.red);
        EXPECT_EQ(got.green, want.green);
        EXPECT_EQ(got.blue, want.blue);
      }
  }
}

TEST(PixelLib, SmudgeOfRadiusZeroIsThePixelItself) {
  auto world = MakeWorld(3, 3);
  *PixelAt(world.get(), 2, 1) = pixRec{1, 40, 50, 60};
  pixRec result{};
  pSmudgePixel(world.get(), nullptr, 0, 2, 1, false, 0x7F, result);
  EXPECT_TRUE(SamePixel(result, pixRec{0x7F, 40, 50, 60}));
  // Radius 1 in the corner averages the four pixels inside.
  pSmudgePixel(world.get(), nullptr, 1, 2, 2, false, 0, result);
  EXPECT_EQ(result.red, 10);
}

TEST(PixelLib, PlotAtACornerPaintsTheInsidePart) {
  auto world = MakeWorld(4, 4);
  const pixRec pen{255, 1, 2, 3};
  pPlotPixel(world.get(), 0, 0, 1, true, true, pen);
  int painted = 0;
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) painted += SamePixel(*PixelAt(world.get(), x, y), pen);
  EXPECT_EQ(painted, 4);
  EXPECT_TRUE(SamePixel(*PixelAt(world.get(), 1, 1), pen));
}

TEST(PixelLib, RotateByZeroShiftsRowsOneLeft) {
  auto source = MakeWorld(6, 2), dest = MakeWorld(6, 2);
  for (int x = 0; x < 6; ++x) *PixelAt(source.get(), x, 0) = pixRec{0, uint8_t(x + 1), 0, 0};
  RotatePixmap(source.get(), dest.get(), Rect{0, 1, 2, 5}, 0.0);
  const uint8_t expected[] = {2, 3, 4, 5, 5, 0};
  for (int x = 0; x < 6; ++x) EXPECT_EQ(PixelAt(dest.get(), x, 0)->red, expected[x]) << x;
}

TEST(PixelLib, SetPixMapPixelsFillsTheRectangle) {
  auto world = MakeWorld(4, 3);
  SetPixMapPixels(world.get(), Rect{1, 1, 2, 9}, 5, 6, 7);
  EXPECT_TRUE(SamePixel(*PixelAt(world.get(), 3, 1), pixRec{0, 5, 6, 7}));
  EXPECT_TRUE(SamePixel(*PixelAt(world.get(), 0, 1), pixRec{}));
  EXPECT_TRUE(SamePixel(*PixelAt(world.get(), 1, 2), pixRec{}));
}

}  // namespace
