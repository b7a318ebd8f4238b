// The black-and-white print next to a plain memcpy over the same buffers,
// single-threaded. For each frame size, each kernel variant this processor
// runs and each strength, rounds alternate one memcpy of the source frame into
// the destination with the kernel over the same rows (which goes first swaps
// every round, so both meet the same cache state); the median of the
// per-round ratios is printed. Kernel preparation is timed apart. The whole
// effect (preparation, rectangle, rows) is timed the same way over the
// buffers of the host's offscreen worlds.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <vector>

#include "platform/quickdraw/quickdraw.h"
#include "plugin/core/data_handling.h"
#include "plugin/render/callpixelfx.h"
#include "plugin/render/print_kernel.h"

namespace {

constexpr double kTarget = 1.2;
constexpr int kStrengths[] = {0, 17, 50, 100};
struct FrameSize {
  int width, height, rounds;
};
constexpr FrameSize kSizes[] = {{720, 480, 301}, {1920, 1080, 61}, {3840, 2160, 31}};

using Clock = std::chrono::steady_clock;
using Buffer = std::unique_ptr<uint8_t, decltype(&std::free)>;

Buffer NewBuffer(size_t bytes) { return Buffer(static_cast<uint8_t*>(std::aligned_alloc(64, bytes)), &std::free); }

// Bytes of a fixed pseudo-random picture, so every brightness occurs.
void FillPicture(uint8_t* bytes, size_t size) {
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 2654435761u >> 13);
}

template <typename Work>
double Seconds(Work&& work) {
  const auto start = Clock::now();
  work();
  benchmark::ClobberMemory();
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
  std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
  return values[values.size() / 2];
}

struct Timing {
  double copy, work, ratio;  // medians: memcpy seconds, work seconds, work / memcpy of one round
};

template <typename Work>
Timing AgainstMemcpy(uint8_t* dest, const uint8_t* source, size_t bytes, int rounds, Work&& work) {
  const auto copy = [&] { std::memcpy(dest, source, bytes); };
  copy();
  work();
  std::vector<double> copies, works, ratios;
  for (int round = 0; round < rounds; ++round) {
    double copied, worked;
    if (round % 2 == 0) {
      copied = Seconds(copy);
      worked = Seconds(work);
    } else {
      worked = Seconds(work);
      copied = Seconds(copy);
    }
    copies.push_back(copied);
    works.push_back(worked);
    ratios.push_back(worked / copied);
  }
  return {Median(copies), Median(works), Median(ratios)};
}

// Mean time of one preparation for the black-and-white stops.
double PrepareSeconds(double bandWidth, PrintVariant variant, const PixRecArray& stops) {
  constexpr int kTimes = 200;
  auto kernel = std::make_unique<PrintKernel>();
  return Seconds([&] {
           for (int i = 0; i < kTimes; ++i) {
             PreparePrintKernel(stops, 2, bandWidth, *kernel, variant);
             benchmark::DoNotOptimize(kernel->row);
           }
         }) /
         kTimes;
}

// `prepare` is left blank where the timed work prepares its own kernel.
void PrintRow(const FrameSize& size, const char* what, int strength, const char* prepare, const Timing& timing) {
  std::printf("%4dx%-5d %-12s %8d %10s %10.1f %10.1f %8.2f\n", size.width, size.height, what, strength, prepare,
              timing.copy * 1e6, timing.work * 1e6, timing.ratio);
}

// The kernel over unpadded rows, so memcpy moves exactly the bytes it maps.
// Raises each variant's worst ratio.
void TimeKernels(const FrameSize& size, double (&worst)[std::size(kAllPrintVariants)]) {
  const size_t rowBytes = size_t(size.width) * 4, bytes = rowBytes * size.height;
  const Buffer source = NewBuffer(bytes), dest = NewBuffer(bytes);
  FillPicture(source.get(), bytes);
  PixRecArray stops{};
  stops.pixels[2] = {0, 255, 255, 255};
  auto kernel = std::make_unique<PrintKernel>();
  for (PrintVariant variant : kAllPrintVariants) {
    if (variant > MachinePrintVariant()) continue;
    for (int strength : kStrengths) {
      const double bandWidth = 1.0 - strength / 100.0;
      char prepare[16];
      std::snprintf(prepare, sizeof prepare, "%.2f", PrepareSeconds(bandWidth, variant, stops) * 1e6);
      PreparePrintKernel(stops, 2, bandWidth, *kernel, variant);
      const Timing timing = AgainstMemcpy(dest.get(), source.get(), bytes, size.rounds, [&] {
        for (int row = 0; row < size.height; ++row)
          ApplyPrintRow(*kernel, source.get() + row * rowBytes, dest.get() + row * rowBytes, size.width);
      });
      // A variant that fell back to the table is named so.
      char name[32];
      std::snprintf(name, sizeof name, "%s%s", PrintVariantName(variant), kernel->variant == variant ? "" : "->table");
      PrintRow(size, name, strength, prepare, timing);
      double& worstOfVariant = worst[static_cast<size_t>(variant)];
      worstOfVariant = std::max(worstOfVariant, timing.ratio);
    }
  }
}

// DoPascalPixelEffect at the default configuration (strength 17, whole frame).
void TimeEffect(const FrameSize& size) {
  const Rect bounds{0, 0, static_cast<int16_t>(size.height), static_cast<int16_t>(size.width)};
  GWorldPtr source = nullptr, dest = nullptr;
  NewGWorld(&source, 32, &bounds);
  NewGWorld(&dest, 32, &bounds);
  const size_t bytes = size_t(GetPixRowBytes(GetGWorldPixMap(source))) * size.height;
  auto* sourceBytes = reinterpret_cast<uint8_t*>(GetPixBaseAddr(GetGWorldPixMap(source)));
  FillPicture(sourceBytes, bytes);
  pluginDataRec config{};
  ResetConfig(&config, true);
  const Timing timing = AgainstMemcpy(reinterpret_cast<uint8_t*>(GetPixBaseAddr(GetGWorldPixMap(dest))), sourceBytes,
                                      bytes, size.rounds, [&] { DoPascalPixelEffect(source, dest, &config, 0, 1); });
  PrintRow(size, "whole effect", config.sliders[1], "", timing);
  DisposeGWorld(source);
  DisposeGWorld(dest);
}

}  // namespace

int main() {
  std::printf(
      "frame      variant      strength prepare us  memcpy us  kernel us  /memcpy  (medians of %d/%d/%d rounds)\n",
      kSizes[0].rounds, kSizes[1].rounds, kSizes[2].rounds);
  double worst[std::size(kAllPrintVariants)] = {};
  for (const FrameSize& size : kSizes) {
    TimeKernels(size, worst);
    TimeEffect(size);
  }
  std::printf("\nworst kernel / memcpy of each variant (target <= %.1f)\n", kTarget);
  for (PrintVariant variant : kAllPrintVariants) {
    if (variant > MachinePrintVariant()) continue;
    const double ratio = worst[static_cast<size_t>(variant)];
    std::printf("%-8s %6.2f %s\n", PrintVariantName(variant), ratio, ratio <= kTarget ? "met" : "NOT met");
  }
}
