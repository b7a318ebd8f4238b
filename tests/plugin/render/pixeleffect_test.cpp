#include "plugin/render/pixeleffect.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "plugin/core/data_handling.h"
#include "plugin/render/callpixelfx.h"
#include "tests/support/gworld_fixture.h"

namespace {

const int kMixers[] = {0, 64, 106, 107, 127, 128, 129, 149, 150, 192, 255};

// The grey written for each mixer value at four strengths.
const struct WorkedRow {
  int16_t strength;
  int greys[11];
} kWorkedValues[] = {
    {17, {0, 0, 0, 4, 121, 127, 133, 250, 255, 255, 255}},
    {0, {0, 0, 0, 0, 0, 255, 255, 255, 255, 255, 255}},
    {50, {0, 0, 83, 85, 125, 127, 129, 169, 171, 255, 255}},
    {100, {0, 63, 105, 106, 126, 127, 128, 148, 149, 191, 254}},
};

TEST(PixelEffect, WorkedValuesThroughTheRenderPath) {
  for (const WorkedRow& row : kWorkedValues) {
    // One column per mixer; the rows hold a grey, a near grey and a colour
    // spread over the channels from red on (64 is (192, 0, 0)), all with
    // that mean.
    auto source = MakeWorld(11, 3);
    for (int col = 0; col < 11; ++col) {
      const int m = kMixers[col], lo = m - (m > 0 && m < 255), hi = m + (m > 0 && m < 255);
      *PixelAt(source.get(), col, 0) = pixRec{9, uint8_t(m), uint8_t(m), uint8_t(m)};
      *PixelAt(source.get(), col, 1) = pixRec{9, uint8_t(hi), uint8_t(m), uint8_t(lo)};
      *PixelAt(source.get(), col, 2) = pixRec{0, uint8_t(std::min(3 * m, 255)), uint8_t(std::clamp(3 * m - 255, 0, 255)),
                                              uint8_t(std::max(3 * m - 510, 0))};
    }
    auto dest = MakeWorld(11, 3);
    pluginDataRec config{};
    ResetConfig(&config, true);
    config.sliders[1] = row.strength;
    DoPascalPixelEffect(source.get(), dest.get(), &config, 0, 1);
    for (int y = 0; y < 3; ++y)
      for (int col = 0; col < 11; ++col) {
        const pixRec& p = *PixelAt(dest.get(), col, y);
        const uint8_t grey = static_cast<uint8_t>(row.greys[col]);
        EXPECT_TRUE(SamePixel(p, pixRec{255, grey, grey, grey}))
            << "strength " << row.strength << " mixer " << kMixers[col] << " row " << y << " got " << int(p.red);
      }
  }
}

// The print of a random source over a random destination changes exactly
// the pixels inside the rectangle (counted from the buffers' first pixel,
// top and left edges in, bottom and right out), and none when the buffers'
// sizes differ.
TEST(PixelEffect, ChangesExactlyThePixelsInsideTheRectangle) {
  // Width, height, the destination's width and height, where the buffers'
  // bounds start (top, left), the rectangle.
  const std::tuple<int, int, int, int, int, int, Rect> cases[] = {
      {13, 9, 13, 9, 0, 0, {2, 3, 6, 8}},         {7, 5, 7, 5, 0, 0, {-10, 4, 300, 900}},
      {40, 20, 40, 20, 10, 20, {0, 0, 100, 100}}, {10, 10, 9, 10, 0, 0, {0, 0, 10, 10}},
      {10, 10, 10, 11, 0, 0, {0, 0, 10, 10}}};
  for (const auto& [width, height, destWidth, destHeight, top, left, active] : cases) {
    auto source = MakeWorld(width, height, top, left);
    auto dest = MakeWorld(destWidth, destHeight, top, left), before = MakeWorld(destWidth, destHeight);
    FillRandom(source.get(), 1);
    FillRandom(dest.get(), 2);
    FillRandom(before.get(), 2);
    RGBArray colors{};
    colors.colors[2] = RGBColor{0xFFFF, 0xFFFF, 0xFFFF};
    RainbowGWorlds(source.get(), dest.get(), active, colors, 2, 0.5);
    const bool sameSize = width == destWidth && height == destHeight;
    for (int y = 0; y < destHeight; ++y)
      for (int x = 0; x < destWidth; ++x) {
        const bool inside = sameSize && y >= active.top && y < active.bottom && x >= active.left && x < active.right;
        ASSERT_EQ(!SamePixel(*PixelAt(dest.get(), x, y), *PixelAt(before.get(), x, y)), inside)
            << width << "x" << height << " into " << destWidth << "x" << destHeight << ", pixel " << x << "," << y;
      }
  }
}

}  // namespace
