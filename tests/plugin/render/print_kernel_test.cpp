#include "plugin/render/print_kernel.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

namespace {

PixRecArray Stops(std::initializer_list<pixRec> colors) {
  PixRecArray stops{};
  int i = 1;
  for (const pixRec& c : colors) stops.pixels[i++] = c;
  return stops;
}

// Reference: the mapper called for each pixel, alpha 255.
std::vector<uint8_t> MapWithMapper(const std::vector<uint8_t>& row, const PixRecArray& stops, int16_t numElems,
                                   double bandWidth) {
  std::vector<uint8_t> out(row.size());
  for (size_t i = 0; i < row.size(); i += 4) {
    pixRec p = Index2ColorDissolve(static_cast<int16_t>((row[i + 1] + row[i + 2] + row[i + 3]) / 3), stops, numElems,
                                   bandWidth);
    p.alpha = 255;
    std::memcpy(&out[i], &p, 4);
  }
  return out;
}

TEST(PrintKernel, EqualsTheMapperOnRandomRowsOfOddLengths) {
  const PixRecArray blackWhite = Stops({{0, 0, 0, 0}, {0, 255, 255, 255}});
  const PixRecArray threeStops = Stops({{0, 0, 0, 0}, {0, 255, 0, 0}, {0, 255, 255, 255}});
  std::mt19937 random(7);
  int affineKernels = 0;
  for (int strength = -20; strength <= 120; ++strength) {
    const double bandWidth = 1.0 - strength / 100.0;
    for (const auto& [stops, count] : {std::pair{blackWhite, 2}, std::pair{threeStops, 3}}) {
      PrintKernel kernel;
      PreparePrintKernel(stops, static_cast<int16_t>(count), bandWidth, kernel);
      affineKernels += kernel.affine;
      for (int length : {1, 3, 4, 17, 64}) {
        std::vector<uint8_t> row(size_t(length) * 4 + 32);  // padding stays untouched
        for (auto& byte : row) byte = static_cast<uint8_t>(random());
        std::vector<uint8_t> out(row.size(), 0xAB);
        ApplyPrintRow(kernel, row.data(), out.data(), length);
        std::vector<uint8_t> used(row.begin(), row.begin() + length * 4);
        const std::vector<uint8_t> expected = MapWithMapper(used, stops, static_cast<int16_t>(count), bandWidth);
        ASSERT_TRUE(std::equal(expected.begin(), expected.end(), out.begin()))
            << "strength " << strength << " stops " << count << " length " << length;
        for (size_t i = size_t(length) * 4; i < out.size(); ++i) ASSERT_EQ(out[i], 0xAB);
      }
    }
  }
#if defined(__SSE2__)
  // The arithmetic path serves most black-and-white strengths.
  EXPECT_GT(affineKernels, 100);
#endif
}

}  // namespace
