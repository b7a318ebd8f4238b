#include "plugin/render/print_kernel.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

#include "plugin/render/print_kernel_rows.h"

namespace {

// Red + green + blue of a pixel read as one word in memory order.
inline uint32_t ChannelSum(uint32_t word) {
  if constexpr (std::endian::native == std::endian::little)
    return ((word >> 8) & 0xFF) + ((word >> 16) & 0xFF) + (word >> 24);
  else
    return ((word >> 16) & 0xFF) + ((word >> 8) & 0xFF) + (word & 0xFF);
}

void ApplyTableRow(const PrintKernel& kernel, const uint8_t* from, uint8_t* to, int count) {
  for (int col = 0; col < count; ++col) {
    uint32_t word;
    std::memcpy(&word, from + size_t(col) * 4, 4);
    word = kernel.table.bySum[ChannelSum(word)];
    std::memcpy(to + size_t(col) * 4, &word, 4);
  }
}

uint32_t WordOfMean(const DissolveTable& table, int mean) { return table.bySum[mean * 3]; }

// Two colours split at one brightness; a single colour is the split past
// the last brightness.
bool FitStep(const DissolveTable& table, PrintStep& step) {
  int split = 1;
  while (split < 256 && WordOfMean(table, split) == WordOfMean(table, 0)) ++split;
  for (int mean = split + 1; mean < 256; ++mean)
    if (WordOfMean(table, mean) != WordOfMean(table, split)) return false;
  step.sum = split * 3;
  step.below = WordOfMean(table, 0);
  step.atOrAbove = split < 256 ? WordOfMean(table, split) : step.below;
  return true;
}

// The grey of a word that is a grey with alpha 255, else -1.
int GreyOf(uint32_t word) {
  uint8_t bytes[4];
  std::memcpy(bytes, &word, 4);
  return bytes[0] == 255 && bytes[1] == bytes[2] && bytes[2] == bytes[3] ? bytes[1] : -1;
}

enum class ScaleFit { kFits, kTooSmall, kTooLarge };

// Whether some offset makes (mean * scale + offset) >> shift, clamped, give
// every grey; if not, which way the scale must move. Each grey bounds the
// value from below (unless 0) and above (unless 255); the bounds that
// conflict tell the way: a lower bound at a brighter mean than the upper
// bound it passes needs a steeper line.
ScaleFit TryScale(const int (&greys)[256], int64_t scale, int shift, int64_t& offset) {
  int64_t lowest = std::numeric_limits<int64_t>::min(), highest = std::numeric_limits<int64_t>::max();
  int lowestAt = 0, highestAt = 0;
  for (int mean = 0; mean < 256; ++mean) {
    const int64_t base = mean * scale;
    if (greys[mean] > 0 && (int64_t{greys[mean]} << shift) - base > lowest) {
      lowest = (int64_t{greys[mean]} << shift) - base;
      lowestAt = mean;
    }
    if (greys[mean] < 255 && ((int64_t{greys[mean]} + 1) << shift) - 1 - base < highest) {
      highest = ((int64_t{greys[mean]} + 1) << shift) - 1 - base;
      highestAt = mean;
    }
  }
  if (lowest > highest) return lowestAt > highestAt ? ScaleFit::kTooSmall : ScaleFit::kTooLarge;
  offset = lowest == std::numeric_limits<int64_t>::min() ? highest : lowest;
  return ScaleFit::kFits;
}

// The most precise shift worth trying: between the first brightness above
// black and the last below white the line rises less than the greys between
// them plus one, and a scale must fit 15 bits.
int FirstShift(const int (&greys)[256]) {
  int first = 0, last = 255;
  while (first < 256 && greys[first] == 0) ++first;
  while (last >= 0 && greys[last] == 255) --last;
  if (last <= first) return 8;
  const double slope = double(greys[last] - greys[first] + 1) / (last - first);
  int shift = 15;
  while (shift > 8 && slope * (1 << shift) > 32767.0) --shift;
  return shift;
}

bool FitRamp(const DissolveTable& table, PrintRamp& ramp) {
  int greys[256];
  for (int mean = 0; mean < 256; ++mean)
    if ((greys[mean] = GreyOf(WordOfMean(table, mean))) < 0) return false;
  // The offsets that fit form an interval for each scale, and the scales that
  // fit an interval too, so a bisection finds one where there is any.
  for (int shift = FirstShift(greys); shift >= 8; --shift) {
    int32_t low = 0, high = 32767;
    while (low <= high) {
      const int32_t scale = low + (high - low) / 2;
      int64_t offset = 0;
      switch (TryScale(greys, scale, shift, offset)) {
        case ScaleFit::kFits:
          if (offset < std::numeric_limits<int32_t>::min() ||
              255 * int64_t{scale} + offset > std::numeric_limits<int32_t>::max())
            return false;
          ramp = {scale, static_cast<int32_t>(offset), shift};
          return true;
        case ScaleFit::kTooSmall:
          low = scale + 1;
          break;
        case ScaleFit::kTooLarge:
          high = scale - 1;
          break;
      }
    }
    // A coarser shift helps only a line steeper than the largest scale.
    if (low <= 32767) return false;
  }
  return false;
}

// Whether `row` gives the table's word for every channel sum; the alpha
// bytes vary so that a row that reads them shows.
bool EqualsTable(const PrintKernel& kernel, PrintRowFn row) {
  uint8_t pixels[766 * 4], mapped[766 * 4];
  for (int sum = 0; sum < 766; ++sum) {
    const pixRec pixel{static_cast<uint8_t>(sum * 7), static_cast<uint8_t>(std::min(sum, 255)),
                       static_cast<uint8_t>(std::clamp(sum - 255, 0, 255)), static_cast<uint8_t>(std::max(sum - 510, 0))};
    std::memcpy(pixels + sum * 4, &pixel, 4);
  }
  row(kernel, pixels, mapped, 766);
  return std::memcmp(mapped, kernel.table.bySum, sizeof mapped) == 0;
}

#if defined(VELMORANCE_PRINT_X86)
PrintVariant DetectVariant() { return __builtin_cpu_supports("avx2") ? PrintVariant::kAvx2 : PrintVariant::kSse2; }

PrintRowFn SimdRow(PrintVariant variant, bool step) {
  if (variant == PrintVariant::kAvx2) return step ? ApplyAvx2StepRow : ApplyAvx2RampRow;
  return step ? ApplySse2StepRow : ApplySse2RampRow;
}
#else
PrintVariant DetectVariant() { return PrintVariant::kTable; }
PrintRowFn SimdRow(PrintVariant, bool) { return nullptr; }
#endif

}  // namespace

PrintVariant MachinePrintVariant() {
  static const PrintVariant variant = DetectVariant();
  return variant;
}

const char* PrintVariantName(PrintVariant variant) {
  switch (variant) {
    case PrintVariant::kTable:
      return "table";
    case PrintVariant::kSse2:
      return "sse2";
    case PrintVariant::kAvx2:
      return "avx2";
  }
  return "?";
}

void PreparePrintKernel(const PixRecArray& stops, int16_t numElems, double bandWidth, PrintKernel& kernel,
                        PrintVariant cap) {
  BuildDissolveTable(stops, numElems, bandWidth, kernel.table);
  kernel.variant = PrintVariant::kTable;
  kernel.row = ApplyTableRow;
  const PrintVariant variant = std::min(cap, MachinePrintVariant());
  if (variant == PrintVariant::kTable) return;
  PrintRowFn row = nullptr;
  if (FitStep(kernel.table, kernel.step))
    row = SimdRow(variant, true);
  else if (FitRamp(kernel.table, kernel.ramp))
    row = SimdRow(variant, false);
  if (row != nullptr && EqualsTable(kernel, row)) {
    kernel.variant = variant;
    kernel.row = row;
  }
}
