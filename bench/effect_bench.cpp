// Time of the black-and-white print over whole frames next to a plain memcpy
// of the same buffer, and their ratio. Single-threaded.
#include <benchmark/benchmark.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/quickdraw/quickdraw.h"
#include "plugin/core/data_handling.h"
#include "plugin/render/callpixelfx.h"

namespace {

struct Frame {
  GWorldPtr source = nullptr;
  GWorldPtr dest = nullptr;
  explicit Frame(int width, int height) {
    const Rect bounds{0, 0, static_cast<int16_t>(height), static_cast<int16_t>(width)};
    NewGWorld(&source, 32, &bounds);
    NewGWorld(&dest, 32, &bounds);
    auto* bytes = reinterpret_cast<uint8_t*>(GetPixBaseAddr(GetGWorldPixMap(source)));
    const size_t size = size_t(GetPixRowBytes(GetGWorldPixMap(source))) * height;
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 2654435761u >> 13);
  }
  ~Frame() {
    DisposeGWorld(source);
    DisposeGWorld(dest);
  }
  size_t bytes() const { return size_t(GetPixRowBytes(GetGWorldPixMap(source))) * (source->portPixMap.bounds.bottom); }
};

void BM_Effect(benchmark::State& state) {
  Frame frame(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  pluginDataRec config{};
  ResetConfig(&config, true);
  for (auto _ : state) {
    DoPascalPixelEffect(frame.source, frame.dest, &config, 0, 1);
    benchmark::ClobberMemory();
  }
}

void BM_Memcpy(benchmark::State& state) {
  Frame frame(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  const size_t bytes = frame.bytes();
  for (auto _ : state) {
    std::memcpy(GetPixBaseAddr(GetGWorldPixMap(frame.dest)), GetPixBaseAddr(GetGWorldPixMap(frame.source)), bytes);
    benchmark::ClobberMemory();
  }
}

#define FRAME_SIZES Args({720, 480})->Args({1920, 1080})->Args({3840, 2160})
BENCHMARK(BM_Effect)->FRAME_SIZES->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Memcpy)->FRAME_SIZES->Unit(benchmark::kMicrosecond);

// Prints the usual table, then effect / memcpy for each frame size, from CPU
// time so that other work on the machine skews the ratio less.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      const std::string name = run.benchmark_name();
      const auto slash = name.find('/');
      times_[name.substr(slash)][name.substr(0, slash)] = run.GetAdjustedCPUTime();
    }
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\nframe size     effect/memcpy (target <= 3 at 720x480 and 1920x1080)\n");
    for (const auto& [size, times] : times_) {
      if (!times.count("BM_Effect") || !times.count("BM_Memcpy")) continue;
      std::printf("%-14s %.2f\n", size.c_str(), times.at("BM_Effect") / times.at("BM_Memcpy"));
    }
  }

 private:
  std::map<std::string, std::map<std::string, double>> times_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
}
