#include "plugin/render/print_kernel.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <ostream>
#include <random>
#include <thread>
#include <vector>

void PrintTo(PrintVariant variant, std::ostream* out) { *out << PrintVariantName(variant); }

namespace {

PixRecArray Stops(std::initializer_list<pixRec> colors) {
  PixRecArray stops{};
  int i = 1;
  for (const pixRec& c : colors) stops.pixels[i++] = c;
  return stops;
}

TEST(PrintKernel, TableMatchesMapperForEveryStrengthAndSum) {
  const PixRecArray stops = Stops({{0, 0, 0, 0}, {0, 255, 255, 255}});
  DissolveTable table;
  for (int strength = 0; strength <= 100; ++strength) {
    BuildDissolveTable(stops, 2, 1.0 - strength / 100.0, table);
    for (int sum = 0; sum < 766; ++sum) {
      pixRec expected = Index2ColorDissolve(static_cast<int16_t>(sum / 3), stops, 2, 1.0 - strength / 100.0);
      expected.alpha = 255;
      ASSERT_EQ(std::memcmp(&table.bySum[sum], &expected, 4), 0) << "strength " << strength << " sum " << sum;
    }
  }
}

TEST(PrintKernel, MapperWithOneAndThreeStops) {
  const PixRecArray stops = Stops({{0, 0, 0, 0}, {0, 255, 0, 0}, {0, 255, 255, 255}});
  // Index, stops used, band width; the colour (alpha not compared).
  const std::tuple<int16_t, int16_t, double, pixRec> cases[] = {
      {64, 3, 0.0, {0, 127, 0, 0}}, {128, 3, 0.0, {0, 255, 0, 0}}, {77, 1, 0.5, {0, 77, 77, 77}}};
  for (const auto& [index, numElems, bandWidth, expected] : cases) {
    pixRec got = Index2ColorDissolve(index, stops, numElems, bandWidth);
    got.alpha = 0;
    EXPECT_EQ(std::memcmp(&got, &expected, 4), 0) << index << " of " << numElems;
  }
}

// Half the channels are 0 or 255: the ends of the brightness range, where
// the ramp clamps and the step splits, are reached often.
uint8_t RandomChannel(std::mt19937& random) {
  const uint32_t draw = random();
  return draw % 4 == 0 ? 0 : draw % 4 == 1 ? 255 : static_cast<uint8_t>(draw >> 8);
}

class PrintKernelVariant : public testing::TestWithParam<PrintVariant> {};

// Rows of odd lengths at a padded stride, mapped into another buffer and in
// place, against the mapper called for each pixel with alpha 255; the
// padding must keep its bytes.
TEST_P(PrintKernelVariant, EqualsTheMapperOnPaddedRowsOfOddLengths) {
  const PrintVariant variant = GetParam();
  if (variant > MachinePrintVariant()) GTEST_SKIP() << "this processor has no " << PrintVariantName(variant);
  const std::pair<PixRecArray, int16_t> stopSets[] = {{Stops({{0, 0, 0, 0}, {0, 255, 255, 255}}), 2},
                                                      {Stops({{0, 40, 40, 40}, {0, 200, 200, 200}}), 2},
                                                      {Stops({{0, 255, 0, 0}, {0, 0, 0, 255}}), 2},
                                                      {Stops({{0, 0, 0, 0}, {0, 255, 0, 0}, {0, 255, 255, 255}}), 3}};
  constexpr int kRows = 3, kPadding = 12;
  std::mt19937 random(7);
  for (int strength = -20; strength <= 120; ++strength) {
    const double bandWidth = 1.0 - strength / 100.0;
    for (const auto& [stops, numElems] : stopSets) {
      PrintKernel kernel;
      PreparePrintKernel(stops, numElems, bandWidth, kernel, variant);
      if (&stops == &stopSets[0].first && strength >= 0 && strength <= 100) {
        ASSERT_EQ(kernel.variant, variant) << "black and white at strength " << strength;
      }
      for (int length : {1, 3, 5, 7, 9, 15, 17, 31, 33, 47}) {
        const size_t stride = size_t(length) * 4 + kPadding;
        // The other buffer holds 0xAB throughout, as does the source's padding.
        std::vector<uint8_t> source(stride * kRows), mapped(stride * kRows, 0xAB);
        for (size_t i = 0; i < source.size(); ++i)
          source[i] = i % stride < stride - kPadding ? RandomChannel(random) : 0xAB;
        std::vector<uint8_t> expected(source);
        for (size_t row = 0; row < kRows; ++row)
          for (int col = 0; col < length; ++col) {
            uint8_t* pixel = &expected[row * stride + size_t(col) * 4];
            pixRec want = Index2ColorDissolve(static_cast<int16_t>((pixel[1] + pixel[2] + pixel[3]) / 3), stops,
                                              numElems, bandWidth);
            want.alpha = 255;
            std::memcpy(pixel, &want, 4);
          }
        for (size_t row = 0; row < kRows; ++row) {
          ApplyPrintRow(kernel, &source[row * stride], &mapped[row * stride], length);
          ApplyPrintRow(kernel, &source[row * stride], &source[row * stride], length);
        }
        ASSERT_EQ(mapped, expected) << PrintVariantName(kernel.variant) << " strength " << strength << " stops "
                                    << numElems << " length " << length;
        ASSERT_EQ(source, expected) << "in place, " << PrintVariantName(kernel.variant) << " strength " << strength
                                    << " length " << length;
      }
    }
  }
}

// The kept kernel follows every change of strength, on each thread apart
// while two threads print with different stops at once.
TEST(PreparedPrintKernel, FollowsTheStopsOfEachThread) {
  const auto run = [](PixRecArray stops, std::vector<int> strengths, int& mismatches) {
    for (int repeat = 0; repeat < 200; ++repeat)
      for (int strength : strengths) {
        const double bandWidth = 1.0 - strength / 100.0;
        const PrintKernel& kept = PreparedPrintKernel(stops, 2, bandWidth);
        PrintKernel fresh;
        PreparePrintKernel(stops, 2, bandWidth, fresh);
        if (kept.row != fresh.row || std::memcmp(&kept.table, &fresh.table, sizeof fresh.table) != 0) ++mismatches;
      }
  };
  int first = 0, second = 0;
  std::thread other(run, Stops({{0, 255, 0, 0}, {0, 0, 0, 255}}), std::vector<int>{50, 50, 0, 100}, std::ref(second));
  run(Stops({{0, 0, 0, 0}, {0, 255, 255, 255}}), {17, 50, 17, 0, 0, 100}, first);
  other.join();
  EXPECT_EQ(first, 0);
  EXPECT_EQ(second, 0);
}

INSTANTIATE_TEST_SUITE_P(EachVariant, PrintKernelVariant, testing::ValuesIn(kAllPrintVariants),
                         [](const testing::TestParamInfo<PrintVariant>& info) {
                           return std::string(PrintVariantName(info.param));
                         });

}  // namespace
