#include "plugin/render/pixeleffect.h"

#include <gtest/gtest.h>

#include <vector>

#include "plugin/core/data_handling.h"
#include "plugin/render/callpixelfx.h"
#include "tests/support/gworld_fixture.h"

namespace {

const int kMixers[] = {0, 64, 106, 107, 127, 128, 129, 149, 150, 192, 255};

struct WorkedRow {
  int16_t strength;
  int greys[11];
};

// The grey written for each mixer value at four strengths.
const WorkedRow kWorkedValues[] = {
    {17, {0, 0, 0, 4, 121, 127, 133, 250, 255, 255, 255}},
    {0, {0, 0, 0, 0, 0, 255, 255, 255, 255, 255, 255}},
    {50, {0, 0, 83, 85, 125, 127, 129, 169, 171, 255, 255}},
    {100, {0, 63, 105, 106, 126, 127, 128, 148, 149, 191, 254}},
};

pluginDataRec ConfigWithStrength(int16_t strength) {
  pluginDataRec config{};
  ResetConfig(&config, true);
  config.sliders[1] = strength;
  return config;
}

PixRecArray BlackWhite() {
  PixRecArray stops{};
  stops.pixels[1] = pixRec{0, 0, 0, 0};
  stops.pixels[2] = pixRec{0, 255, 255, 255};
  return stops;
}

TEST(PixelEffect, WorkedValuesThroughTheRenderPath) {
  for (const WorkedRow& row : kWorkedValues) {
    // One column per mixer; rows hold greys and colours with that same mean.
    auto source = MakeWorld(11, 3);
    for (int col = 0; col < 11; ++col) {
      const int m = kMixers[col];
      *PixelAt(source.get(), col, 0) = pixRec{9, uint8_t(m), uint8_t(m), uint8_t(m)};
      *PixelAt(source.get(), col, 1) = pixRec{9, uint8_t(m == 255 ? 255 : m + 1), uint8_t(m), uint8_t(m == 255 ? 255 : m - (m > 0))};
      *PixelAt(source.get(), col, 2) = pixRec{0, uint8_t(m * 3 / 3), uint8_t(m), uint8_t(m)};
    }
    auto dest = MakeWorld(11, 3);
    pluginDataRec config = ConfigWithStrength(row.strength);
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

TEST(PixelEffect, TableMatchesMapperForEveryStrengthAndIndex) {
  const PixRecArray stops = BlackWhite();
  DissolveTable table;
  for (int strength = 0; strength <= 100; ++strength) {
    const double bandWidth = 1.0 - strength / 100.0;
    BuildDissolveTable(stops, 2, bandWidth, table);
    for (int sum = 0; sum < 766; ++sum) {
      pixRec expected = Index2ColorDissolve(static_cast<int16_t>(sum / 3), stops, 2, bandWidth);
      expected.alpha = 255;
      pixRec actual;
      std::memcpy(&actual, &table.bySum[sum], 4);
      ASSERT_TRUE(SamePixel(actual, expected)) << "strength " << strength << " sum " << sum;
    }
  }
}

TEST(PixelEffect, MapperWithOneAndThreeStops) {
  PixRecArray stops{};
  stops.pixels[1] = pixRec{0, 0, 0, 0};
  stops.pixels[2] = pixRec{0, 255, 0, 0};
  stops.pixels[3] = pixRec{0, 255, 255, 255};
  const pixRec quarter = Index2ColorDissolve(64, stops, 3, 0.0);
  EXPECT_EQ(quarter.red, 127);
  EXPECT_EQ(quarter.green, 0);
  EXPECT_EQ(quarter.blue, 0);
  const pixRec half = Index2ColorDissolve(128, stops, 3, 0.0);
  EXPECT_EQ(half.red, 255);
  EXPECT_EQ(half.green, 0);
  const pixRec single = Index2ColorDissolve(77, stops, 1, 0.5);
  EXPECT_EQ(single.red, 77);
  EXPECT_EQ(single.blue, 77);
}

TEST(PixelEffect, PureRedAtFullStrengthBecomesGrey84) {
  auto source = MakeWorld(1, 1);
  auto dest = MakeWorld(1, 1);
  *PixelAt(source.get(), 0, 0) = pixRec{255, 255, 0, 0};
  pluginDataRec config = ConfigWithStrength(100);
  DoPascalPixelEffect(source.get(), dest.get(), &config, 0, 1);
  EXPECT_TRUE(SamePixel(*PixelAt(dest.get(), 0, 0), pixRec{255, 84, 84, 84}));
}

// Runs the print inside `active` over a random source into a copy of a
// random destination and reports which destination pixels changed.
std::vector<bool> ChangedPixels(int width, int height, const Rect& active) {
  auto source = MakeWorld(width, height);
  auto dest = MakeWorld(width, height);
  FillRandom(source.get(), 1);
  FillRandom(dest.get(), 2);
  auto before = MakeWorld(width, height);
  FillRandom(before.get(), 2);
  RGBArray colors{};
  colors.colors[2] = RGBColor{0xFFFF, 0xFFFF, 0xFFFF};
  RainbowGWorlds(source.get(), dest.get(), active, colors, 2, 0.5);
  std::vector<bool> changed;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      changed.push_back(!SamePixel(*PixelAt(dest.get(), x, y), *PixelAt(before.get(), x, y)));
  return changed;
}

TEST(PixelEffect, TopAndLeftEdgesChangeBottomAndRightDoNot) {
  const int width = 13, height = 9;
  const Rect active{2, 3, 6, 8};  // top, left, bottom, right
  const std::vector<bool> changed = ChangedPixels(width, height, active);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const bool inside = y >= 2 && y < 6 && x >= 3 && x < 8;
      EXPECT_EQ(changed[y * width + x], inside) << "pixel " << x << "," << y;
    }
}

TEST(PixelEffect, RectangleBeyondTheBufferChangesOnlyPixelsInside) {
  const int width = 7, height = 5;
  const std::vector<bool> changed = ChangedPixels(width, height, Rect{-10, 4, 300, 900});
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) EXPECT_EQ(changed[y * width + x], x >= 4) << x << "," << y;
}

TEST(PixelEffect, BuffersOfDifferentBoundsLeaveDestinationUnchanged) {
  auto source = MakeWorld(10, 10);
  FillRandom(source.get(), 3);
  for (auto [width, height] : {std::pair{9, 10}, std::pair{10, 11}}) {
    auto dest = MakeWorld(width, height);
    FillRandom(dest.get(), 4);
    auto reference = MakeWorld(width, height);
    FillRandom(reference.get(), 4);
    RGBArray colors{};
    RainbowGWorlds(source.get(), dest.get(), Rect{0, 0, 10, 10}, colors, 2, 0.0);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        ASSERT_TRUE(SamePixel(*PixelAt(dest.get(), x, y), *PixelAt(reference.get(), x, y)));
  }
}

TEST(PixelEffect, LeftHalfRectangleLeavesRightHalfByteIdentical) {
  const int width = 37, height = 11;
  auto source = MakeWorld(width, height);
  FillRandom(source.get(), 5);
  auto dest = MakeWorld(width, height);
  const Rect all{0, 0, static_cast<int16_t>(height), static_cast<int16_t>(width)};
  CopyBits(GetPortBitMapForCopyBits(source.get()), GetPortBitMapForCopyBits(dest.get()), &all, &all, srcCopy, nullptr);
  pluginDataRec config = ConfigWithStrength(17);
  config.startRel = SetRelRect(0.0, 0.0, 0.5, 1.0);
  DoPascalPixelEffect(source.get(), dest.get(), &config, 0, 1);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const bool same = SamePixel(*PixelAt(dest.get(), x, y), *PixelAt(source.get(), x, y));
      if (x >= width / 2) {
        EXPECT_TRUE(same) << x << "," << y;
      } else {
        EXPECT_EQ(PixelAt(dest.get(), x, y)->alpha, 255);
      }
    }
}

TEST(PixelEffect, BufferNotStartingAtOriginIsNeverOverrun) {
  // Bounds (10, 20)-(30, 60): the walk covers the pixels the buffer has.
  auto source = MakeWorld(40, 20, 10, 20);
  auto dest = MakeWorld(40, 20, 10, 20);
  RGBArray colors{};
  colors.colors[2] = RGBColor{0xFFFF, 0xFFFF, 0xFFFF};
  RainbowGWorlds(source.get(), dest.get(), Rect{0, 0, 100, 100}, colors, 2, 0.0);
  EXPECT_EQ(PixelAt(dest.get(), 39, 19)->alpha, 255);
}

}  // namespace
