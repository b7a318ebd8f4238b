#include "host/media/yuv_rows.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <type_traits>
#include <vector>

namespace {

using vmhost::ChromaSiting;
using vmhost::RowVariant;

// Random rows of odd widths, around and across the vector lengths.
constexpr int kWidths[] = {1, 7, 15, 17, 33, 67, 131};

template <typename T>
std::vector<T> randomRow(std::mt19937& random, size_t size, int low, int high) {
  std::conditional_t<std::is_floating_point_v<T>, std::uniform_real_distribution<T>, std::uniform_int_distribution<int>>
      value(low, high);
  std::vector<T> row(size);
  for (T& v : row) v = static_cast<T>(value(random));
  return row;
}

// Every step of every variant this processor runs gives the reference's
// bytes (and floats, to the bit).
TEST(YuvRows, EveryVariantEqualsTheReference) {
  const vmhost::YuvRowFunctions& reference = vmhost::yuvRowFunctions(RowVariant::kScalar);
  // BT.601 limited range, BT.709 full range (no luma rest), BT.2020 limited.
  const vmhost::YuvCoefficients coefficients[] = {{16, 76309, 6537, -1605, -3330, 8261},
                                                  {0, 65536, 6451, -767, -1917, 7601},
                                                  {16, 76309, 6876, -767, -2664, 8772}};
  const vmhost::RgbWeights weights{0.2126f, 0.7152f, 0.0722f, 219.0f / 255, 16.0f, 0.4829f, 0.5686f};
  std::mt19937 random(12);
  for (RowVariant variant : vmhost::kAllRowVariants) {
    if (variant > vmhost::machineRowVariant()) continue;
    const vmhost::YuvRowFunctions& rows = vmhost::yuvRowFunctions(variant);
    for (int width : kWidths) {
      SCOPED_TRACE(testing::Message() << "variant " << int(variant) << ", width " << width);
      const size_t w = static_cast<size_t>(width);
      const auto a = randomRow<uint8_t>(random, w, 0, 255), b = randomRow<uint8_t>(random, w, 0, 255);
      for (int weightA : {2, 3}) {
        std::vector<int16_t> want(w), got(w);
        reference.chromaBetweenRows(a.data(), b.data(), weightA, width, want.data());
        rows.chromaBetweenRows(a.data(), b.data(), weightA, width, got.data());
        EXPECT_EQ(got, want) << "between rows, weight " << weightA;
      }
      // A chroma row with its copied ends, spread over 2 * width - 1 columns.
      auto chroma = randomRow<int16_t>(random, w + 2, -512, 511);
      chroma.front() = chroma[1], chroma.back() = chroma[w];
      for (ChromaSiting siting : {ChromaSiting::kFull, ChromaSiting::kCosited, ChromaSiting::kCentred}) {
        const int columns = siting == ChromaSiting::kFull ? width : 2 * width - 1;
        std::vector<int16_t> want(w * 2), got(w * 2);
        reference.chromaAcross(chroma.data() + 1, columns, siting, want.data());
        rows.chromaAcross(chroma.data() + 1, columns, siting, got.data());
        EXPECT_EQ(got, want) << "across, siting " << int(siting);
      }
      const auto cb = randomRow<int16_t>(random, w, -2048, 2047), cr = randomRow<int16_t>(random, w, -2048, 2047);
      for (const auto& k : coefficients) {
        std::vector<uint8_t> want(w * 4), got(w * 4);
        reference.yuvToArgb(a.data(), cb.data(), cr.data(), width, k, want.data());
        rows.yuvToArgb(a.data(), cb.data(), cr.data(), width, k, got.data());
        EXPECT_EQ(got, want) << "to ARGB, luma scale " << k.lumaScale;
      }
      const auto argb = randomRow<uint8_t>(random, w * 4, 0, 255);
      std::vector<uint8_t> lumaWant(w), lumaGot(w);
      std::vector<float> wantCb(w), wantCr(w), gotCb(w), gotCr(w);
      reference.argbToYuv(argb.data(), width, weights, lumaWant.data(), wantCb.data(), wantCr.data());
      rows.argbToYuv(argb.data(), width, weights, lumaGot.data(), gotCb.data(), gotCr.data());
      EXPECT_EQ(lumaGot, lumaWant) << "luma";
      EXPECT_EQ(std::memcmp(gotCb.data(), wantCb.data(), w * 4), 0) << "blue difference";
      EXPECT_EQ(std::memcmp(gotCr.data(), wantCr.data(), w * 4), 0) << "red difference";
      const auto rowA = randomRow<float>(random, w, -140, 140), rowB = randomRow<float>(random, w, -140, 140);
      for (bool halve : {false, true}) {
        std::vector<uint8_t> want(w), got(w);
        reference.chromaBytes(rowA.data(), rowB.data(), width, halve, want.data());
        rows.chromaBytes(rowA.data(), rowB.data(), width, halve, got.data());
        EXPECT_EQ(got, want) << "chroma bytes, halved " << halve;
      }
    }
  }
}

}  // namespace
