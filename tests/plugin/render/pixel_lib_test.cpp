#include "plugin/render/pascal_pixel_lib.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>

#include "tests/support/gworld_fixture.h"

namespace {

TEST(PixelLib, DepthTablesDifferAt24) {
  for (const auto& [depth, size] : {std::pair{1, 4}, {8, 1}, {16, 2}, {24, 4}, {32, 4}, {7, 4}})
    EXPECT_EQ(Depth2Size(static_cast<int16_t>(depth)), size) << depth;
  EXPECT_EQ(GetGWDepth(MakeWorld(3, 1).get()), 32);
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

// Each routine on a zeroed buffer, then every pixel against the expected one.
TEST(PixelLib, PaintingRoutinesTouchExactlyTheirPixels) {
  const pixRec pen{255, 1, 2, 3};
  // What it does, width, height, the painting, the pixel expected at (x, y).
  const std::tuple<const char*, int, int, std::function<void(GrafPtr)>, std::function<pixRec(int, int)>> cases[] = {
      {"get and set use the stride", 5, 4,
       [](GrafPtr w) {
         PixMapHandle pm = GetGWorldPixMap(w);
         const pixRec pixel{1, 2, 3, 4};
         pixRec read{};
         pSetPixel(GetPixBaseAddr(pm), GetPixRowBytes(pm), 4, 3, &pixel);
         pGetPixel(GetPixBaseAddr(pm), GetPixRowBytes(pm), 4, 3, read);
         *PixelAt(w, 0, 0) = read;
       },
       [](int x, int y) { return (x == 4 && y == 3) || x + y == 0 ? pixRec{1, 2, 3, 4} : pixRec{}; }},
      {"brush at the last column paints only that column", 5, 5,
       [](GrafPtr w) { pSetGWPixelAndAlpha(w, 4, 1, RGBColor{0x1200, 0x3400, 0x5600}, 0x99, 3); },
       [](int x, int y) { return x == 4 && y >= 1 && y <= 3 ? pixRec{0x99, 0x12, 0x34, 0x56} : pixRec{}; }},
      {"brush starting outside paints nothing", 5, 5,
       [](GrafPtr w) { pSetGWPixelAndAlpha(w, 5, 0, RGBColor{0xFFFF, 0, 0}, 1, 2); }, [](int, int) { return pixRec{}; }},
      {"alpha brush blends colour bytes only; alpha 0 keeps them", 4, 4,
       [](GrafPtr w) {
         *PixelAt(w, 1, 1) = pixRec{77, 200, 10, 0};
         pSetGWPixelUsingAlpha(w, 1, 1, 0.25, RGBColor{65535, 0, 0}, 1);
         pSetGWPixelUsingAlpha(w, 1, 1, 0.0, RGBColor{0, 65535, 65535}, 1);
       },
       [](int x, int y) { return x == 1 && y == 1 ? pixRec{77, 213, 7, 0} : pixRec{}; }},
      {"plot at a corner paints the inside part", 4, 4, [&](GrafPtr w) { pPlotPixel(w, 0, 0, 1, true, true, pen); },
       [&](int x, int y) { return x <= 1 && y <= 1 ? pen : pixRec{}; }},
      {"fill keeps to the rectangle inside the buffer", 4, 3,
       [](GrafPtr w) { SetPixMapPixels(w, Rect{1, 1, 2, 9}, 5, 6, 7); },
       [](int x, int y) { return y == 1 && x >= 1 ? pixRec{0, 5, 6, 7} : pixRec{}; }},
      {"rotating by zero shifts the rows one left", 6, 2,
       [](GrafPtr w) {
         auto source = MakeWorld(6, 2);
         for (int x = 0; x < 6; ++x) *PixelAt(source.get(), x, 0) = pixRec{0, uint8_t(x + 1), 0, 0};
         RotatePixmap(source.get(), w, Rect{0, 1, 2, 5}, 0.0);
       },
       [](int x, int y) { return pixRec{0, uint8_t(y == 0 ? std::array{2, 3, 4, 5, 5, 0}[x] : 0), 0, 0}; }},
  };
  for (const auto& [name, width, height, paint, expected] : cases) {
    auto world = MakeWorld(width, height);
    paint(world.get());
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        EXPECT_TRUE(SamePixel(*PixelAt(world.get(), x, y), expected(x, y))) << name << " at " << x << "," << y;
  }
}

TEST(PixelLib, CombinePicksSourceByAlpha) {
  auto one = MakeWorld(3, 3), two = MakeWorld(3, 3), target = MakeWorld(3, 3);
  FillRandom(one.get(), 11);
  FillRandom(two.get(), 12);
  // Alpha, inverted; the buffer whose colours are taken.
  const std::tuple<int16_t, bool, GrafPtr> cases[] = {
      {255, false, one.get()}, {255, true, two.get()}, {0, false, two.get()}};
  for (const auto& [alpha, invert, expected] : cases) {
    pCombineGWAndPutUsingAlpha(one.get(), two.get(), target.get(), 0, 0, 0, 0, alpha, invert, 3);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 3; ++x)
        EXPECT_EQ(std::memcmp(&PixelAt(target.get(), x, y)->red, &PixelAt(expected, x, y)->red, 3), 0) << x << "," << y;
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

}  // namespace
