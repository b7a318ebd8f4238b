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
// the greys of means begin..end; if not, which way the scale must move. Each
// grey bounds the value from below (unless 0) and above (unless 255); the
// bounds that conflict tell the way: a lower bound at a brighter mean than
// the upper bound it passes needs a steeper line.
ScaleFit TryScale(const int (&greys)[256], int begin, int end, int64_t scale, int shift, int64_t& offset) {
  int64_t lowest = std::numeric_limits<int64_t>::min(), highest = std::numeric_limits<int64_t>::max();
  int lowestAt = 0, highestAt = 0;
  for (int mean = begin; mean <= end; ++mean) {
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

// A rising ramp of greys clamped to black below and white above.
bool FitRamp(const DissolveTable& table, PrintRamp& ramp) {
  int greys[256];
  for (int mean = 0; mean < 256; ++mean) {
    greys[mean] = GreyOf(WordOfMean(table, mean));
    if (greys[mean] < 0 || (mean > 0 && greys[mean] < greys[mean - 1])) return false;
  }
  // Past the last black and the first white the clamp holds whatever the
  // line does, so only the means from the one to the other bind it.
  int first = 0, last = 255;
  while (first < 256 && greys[first] == 0) ++first;
  while (last >= 0 && greys[last] == 255) --last;
  if (last < first) return false;
  const int begin = std::max(first - 1, 0), end = std::min(last + 1, 255);
  constexpr int64_t kLargestScale = 32767;
  for (int shift = 15; shift >= 8; --shift) {
    // From the first grey above black to the last below white the line
    // rises as much as the greys, give or take one.
    int64_t low = 0, high = kLargestScale;
    if (last > first) {
      const int64_t run = last - first, rise = greys[last] - greys[first];
      low = std::max<int64_t>(low, (((rise - 1) << shift) + run) / run);
      high = std::min<int64_t>(high, (((rise + 1) << shift) - 1) / run);
    }
    // The offsets that fit form an interval for each scale, and the scales
    // that fit an interval too, so a bisection finds one where there is any.
    while (low <= high) {
      const int64_t scale = low + (high - low) / 2;
      int64_t offset = 0;
      switch (TryScale(greys, begin, end, scale, shift, offset)) {
        case ScaleFit::kFits:
          if (offset < std::numeric_limits<int32_t>::min() ||
              255 * scale + offset > std::numeric_limits<int32_t>::max())
            return false;
          ramp = {static_cast<int32_t>(scale), static_cast<int32_t>(offset), shift};
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
    if (low <= kLargestScale) return false;
  }
  return false;
}

// One pixel for each channel sum 0..765; the alpha bytes vary so that a row
// that reads them shows.
struct SumPixels {
  uint8_t bytes[766 * 4];
  SumPixels() {
    for (int sum = 0; sum < 766; ++sum) {
      const pixRec pixel{static_cast<uint8_t>(sum * 7), static_cast<uint8_t>(std::min(sum, 255)),
                         static_cast<uint8_t>(std::clamp(sum - 255, 0, 255)),
                         static_cast<uint8_t>(std::max(sum - 510, 0))};
      std::memcpy(bytes + sum * 4, &pixel, 4);
    }
  }
};

// Whether `row` gives the table's word for every channel sum.
bool EqualsTable(const PrintKernel& kernel, PrintRowFn row) {
  static const SumPixels pixels;
  uint8_t mapped[766 * 4];
  row(kernel, pixels.bytes, mapped, 766);
  return std::memcmp(mapped, kernel.table.bySum, sizeof mapped) == 0;
}

#if defined(VELMORANCE_PRINT_X86)
PrintVariant DetectVariant() {
  if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vnni"))
    return PrintVariant::kAvx512;
  return __builtin_cpu_supports("avx2") ? PrintVariant::kAvx2 : PrintVariant::kSse2;
}

PrintRowFn SimdRow(PrintVariant variant, bool step) {
  switch (variant) {
    case PrintVariant::kAvx512:
      return step ? ApplyAvx512StepRow : ApplyAvx512RampRow;
    case PrintVariant::kAvx2:
      return step ? ApplyAvx2StepRow : ApplyAvx2RampRow;
    default:
      return step ? ApplySse2StepRow : ApplySse2RampRow;
  }
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
    case PrintVariant::kAvx512:
      return "avx512";
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

const PrintKernel& PreparedPrintKernel(const PixRecArray& stops, int16_t numElems, double bandWidth) {
  struct Kept {
    PixRecArray stops{};
    int16_t numElems = -1;
    double bandWidth = 0;
    PrintKernel kernel;
  };
  // One a thread, so threads that print at once share nothing.
  thread_local Kept kept;
  const auto used = sizeof(pixRec) * static_cast<size_t>(std::clamp<int16_t>(numElems, 0, cMaxPixArray) + 1);
  if (kept.numElems != numElems || std::memcmp(&kept.bandWidth, &bandWidth, sizeof bandWidth) != 0 ||
      std::memcmp(kept.stops.pixels, stops.pixels, used) != 0) {
    PreparePrintKernel(stops, numElems, bandWidth, kept.kernel);
    kept.stops = stops;
    kept.numElems = numElems;
    kept.bandWidth = bandWidth;
  }
  return kept.kernel;
}
