// The frei0r filter as hosts see it. The built module loaded with dlopen:
// its entry points and parameters, its defaults from the stored
// configuration, the mix, and instances updated on two threads at once. The
// module inside the real tools: ffmpeg, melt and gst-launch-1.0 render a
// picture through it, and each result must equal, pixel for pixel, what
// `velmorance render` makes with the same settings. A tool that is not
// installed is skipped with a message. melt takes its profile from its input,
// so nothing is scaled, and reads it through FFmpeg: its picture producers
// hang under the sanitizer runtimes.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <latch>
#include <memory>
#include <regex>
#include <sstream>
#include <string_view>
#include <thread>

extern "C" {
#include <frei0r.h>
}

#include "platform/files/files.h"
#include "platform/resources/resources.h"
#include "plugin/core/data_handling.h"
#include "plugin/files/prefsloader.h"
#include "tests/host/test_media.h"
#include "tests/support/gworld_fixture.h"

namespace {

// Every entry point frei0r names, without its "f0r_".
constexpr const char* kEntryPoints[] = {"init",     "deinit",          "get_plugin_info", "get_param_info", "construct",
                                        "destruct", "set_param_value", "get_param_value", "update",         "update2"};

// Parameters in the module's order: strength, left, top, right, bottom, mix.
using Params = std::vector<double>;
struct Job {
  unsigned width, height;
  Params params;
};

// The module as a host loads it; members are looked up in declaration order.
struct Module {
  std::unique_ptr<void, int (*)(void*)> handle{dlopen(VELMORANCE_FREI0R, RTLD_NOW | RTLD_LOCAL), dlclose};
  template <typename Fn>
  Fn find(const char* name) const {
    return reinterpret_cast<Fn>(dlsym(handle.get(), name));
  }
  decltype(&f0r_construct) construct = find<decltype(&f0r_construct)>("f0r_construct");
  decltype(&f0r_destruct) destruct = find<decltype(&f0r_destruct)>("f0r_destruct");
  decltype(&f0r_set_param_value) setParam = find<decltype(&f0r_set_param_value)>("f0r_set_param_value");
  decltype(&f0r_get_param_value) getParam = find<decltype(&f0r_get_param_value)>("f0r_get_param_value");
  decltype(&f0r_update) update = find<decltype(&f0r_update)>("f0r_update");

  // An instance with `params` set (NaN ones change nothing).
  std::unique_ptr<void, void (*)(f0r_instance_t)> make(unsigned width, unsigned height, Params params = {}) const {
    std::unique_ptr<void, void (*)(f0r_instance_t)> instance(construct(width, height), destruct);
    for (size_t i = 0; instance && i < params.size(); ++i) setParam(instance.get(), &params[i], static_cast<int>(i));
    return instance;
  }
};

class Frei0rModuleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("XDG_CONFIG_HOME", scratch_.path("").c_str(), 1);
    ASSERT_NE(module_.handle, nullptr) << dlerror();
    for (std::string name : kEntryPoints) ASSERT_NE(module_.find<void*>(("f0r_" + name).c_str()), nullptr) << name;
    ASSERT_EQ(module_.find<decltype(&f0r_init)>("f0r_init")(), 1);
  }
  // `pixels`, RGBA, after one update in place through a new instance.
  std::vector<uint8_t> render(std::vector<uint8_t> pixels, const Job& job) {
    auto* frame = reinterpret_cast<uint32_t*>(pixels.data());
    module_.update(module_.make(job.width, job.height, job.params).get(), 0.0, frame, frame);
    return pixels;
  }

  vmtest::ScratchDir scratch_;
  Module module_;
};

// The names hosts list are the ones Kdenlive's description sets, each with
// its default inside its range; sizes no buffer holds give no instance. A
// render process has no display: nothing the module loads may be Qt.
TEST_F(Frei0rModuleTest, DescribesItselfAsKdenlivesDescriptionNamesItAndLoadsNoQt) {
  f0r_plugin_info_t info{};
  module_.find<decltype(&f0r_get_plugin_info)>("f0r_get_plugin_info")(&info);
  EXPECT_EQ((std::vector{info.plugin_type, info.color_model, info.frei0r_version, info.major_version, info.num_params}),
            (std::vector{F0R_PLUGIN_TYPE_FILTER, F0R_COLOR_MODEL_RGBA8888, FREI0R_MAJOR_VERSION, 3, 6}));
  const std::string xml = vmtest::readText(VELMORANCE_KDENLIVE_XML);
  EXPECT_NE(xml.find("tag=\"frei0r." + std::string(info.name) + "\""), std::string::npos) << info.name;
  const std::regex parameter(
      R"re(<parameter type="animated" name="(\w+)" default="([\d.]+)" min="(\d+)" max="(\d+)" factor="(\d+)")re");
  std::vector<std::string> described;
  for (std::sregex_iterator it(xml.begin(), xml.end(), parameter), end; it != end; ++it) {
    const std::smatch& m = *it;
    f0r_param_info_t param{};
    module_.find<decltype(&f0r_get_param_info)>("f0r_get_param_info")(&param, static_cast<int>(described.size()));
    EXPECT_EQ(param.name, described.emplace_back(m[1]));
    const double value = std::stod(m[2]) * std::stod(m[5]);
    EXPECT_TRUE(value >= std::stod(m[3]) && value <= std::stod(m[4])) << m[1];
  }
  EXPECT_EQ(described, (std::vector<std::string>{"strength", "left", "top", "right", "bottom", "mix"}));
  EXPECT_TRUE(module_.construct(0, 8) == nullptr && module_.construct(32768, 8) == nullptr);
  const vmtest::RunResult ldd = vmtest::runShell(std::string("ldd ") + VELMORANCE_FREI0R);
  EXPECT_NE(ldd.out.find("libvelmorance-platform.so"), std::string::npos) << ldd.out << ldd.err;
  EXPECT_TRUE(ldd.out.find("Qt") == std::string::npos && ldd.out.find("not found") == std::string::npos) << ldd.out;
}

// An instance starts from the stored configuration, read and never written,
// held to the ranges; values set are clamped, strength to whole percent, and
// a value that is not a number or an unknown index changes nothing.
TEST_F(Frei0rModuleTest, StartsFromTheStoredConfigurationAndClampsWhatIsSet) {
  // Slider 1 (0: nothing stored) and startRel stored, the values then set
  // (NaN: none), and the seven values read back (index 6 is none).
  const std::tuple<int16_t, relRect, Params, Params> cases[] = {
      {0, {}, {0.006, NAN, NAN, 1.7}, {0.01, 0, 0, 1, 1, 1, -7}},
      {42, {0.25, 0.75, 0.1, 0.9}, {NAN, -0.3, NAN, NAN, 0.625, 2}, {0.42, 0, 0.1, 0.75, 0.625, 1, -7}},
      {250, {-0.5, 3.0, 0.2, 0.6}, {}, {1, 0, 0.2, 1, 0.6, 1, -7}},
  };
  const std::string file = scratch_.path("zelph-Prefs");
  for (const auto& [slider, rect, set, expected] : cases) {
    if (slider != 0) {
      FSSpec spec{};
      platformFSSpecForPath(file, &spec);
      FSpCreateResFile(&spec, cPrefsCreator, cPrefsFileType, 0);
      pluginDataRec config{};
      ResetConfig(&config, true);
      config.sliders[1] = slider;
      config.startRel = rect;
      ASSERT_TRUE(SaveConfig(&config));
    }
    const std::vector<uint8_t> before = readBytes(file);
    auto instance = module_.make(16, 8, set);
    Params got(7, -7);
    for (int i = 0; i < 7; ++i) module_.getParam(instance.get(), &got[i], i);
    EXPECT_EQ(got, expected) << "slider " << slider;
    EXPECT_EQ(readBytes(file), before);
    EXPECT_EQ(std::filesystem::exists(file), slider != 0);
  }
}

// The unprocessed frame covers the print as a fade does: mix m covers it at
// opacity 255 x (1 - m) cut to a whole number, the opacity of frame 10 m of a
// 10-frame fade-in (0.1: 229, 0.5: 127, 0.9: 25), so a mix keyframed from 0
// to 1 is that fade. Worked by hand for (200, 100, 50), whose print at
// strength 100 is grey 115; the pixel outside the rectangle and every alpha
// stay.
TEST_F(Frei0rModuleTest, MixBlendsLikeTheFade) {
  const std::pair<double, std::array<uint8_t, 3>> cases[] = {
      {0, {200, 100, 50}}, {0.1, {191, 102, 57}}, {0.5, {157, 108, 83}}, {0.9, {123, 114, 109}}, {1, {115, 115, 115}}};
  for (const auto& [mix, rgb] : cases)
    EXPECT_EQ(render({200, 100, 50, 90, 200, 100, 50, 91}, {2, 1, {1, 0, 0, 0.5, 1, mix}}),
              (std::vector<uint8_t>{rgb[0], rgb[1], rgb[2], 90, 200, 100, 50, 91}))
        << mix;
}

// Two instances with their own sizes and settings, made and updated on two
// threads at once, each give what they give alone; and each thread keeps its
// own current port while the other sets and restores its own.
TEST_F(Frei0rModuleTest, InstancesOnTwoThreadsShareNoState) {
  const Job jobs[2] = {{96, 40, {0.0, 0.1, 0.2, 0.6, 0.9, 1}}, {33, 70, {0.8, 0, 0, 1, 0.5, 0.4}}};
  std::vector<uint8_t> in[2], expected[2];
  for (int j : {0, 1})
    expected[j] = render(in[j] = vmtest::randomBytes(jobs[j].width * jobs[j].height * 4, jobs[j].width), jobs[j]);
  bool same[2] = {true, true};
  std::latch bothReady(2);
  auto run = [&](int j) {
    GWorldOwner port = MakeWorld(4, 4);
    SetGWorld(port.get(), nullptr);
    bothReady.arrive_and_wait();
    for (int round = 0; round < 40; ++round) {
      const bool alike = render(in[j], jobs[j]) == expected[j];
      CGrafPtr current = nullptr;
      GetGWorld(&current, nullptr);
      same[j] = same[j] && alike && current == port.get();
    }
  };
  std::thread first(run, 0), second(run, 1);
  first.join();
  second.join();
  EXPECT_TRUE(same[0] && same[1]) << same[0] << same[1] << ": an output or a thread's port changed";
}

bool Installed(const std::string& program) { return vmtest::runShell("command -v " + program).status == 0; }

// Every tool runs with the scratch folder's preferences, caches and
// GStreamer registry, and finds the built module.
class ToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Installed("ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed: no input or reference can be made";
  }
  // Runs a command line with a time limit.
  bool Run(const std::string& command) {
    const vmtest::RunResult run = vmtest::runShell("timeout 60 " + command, env_);
    EXPECT_EQ(run.status, 0) << command << ": " << run.err;
    return run.status == 0;
  }
  // melt 7.12 at times ends with status 0, or stalls, before its consumer
  // has written a frame: stock frei0r filters as often as this one, more so
  // on a loaded machine. Such a run is taken again until the output holds
  // the bytes it should.
  bool RunMelt(const std::string& command, const std::string& output, size_t bytes) {
    for (int attempt = 0; attempt < 6; ++attempt) {
      std::filesystem::remove(output);
      const vmtest::RunResult run = vmtest::runShell("timeout 30 " + command, env_);
      if (run.status != 0 && run.status != 124) {
        ADD_FAILURE() << command << ": " << run.err;
        return false;
      }
      if (run.status == 0 && vmtest::decodeRgb(output).size() >= bytes) return true;
    }
    ADD_FAILURE() << command << ": no whole output in 6 runs";
    return false;
  }
  vmtest::ScratchDir dir_;
  const std::string env_ = VELMORANCE_TOOL_PRELOAD "XDG_CONFIG_HOME=" + dir_.path("prefs") +
                           " XDG_CACHE_HOME=" + dir_.path("cache") + " GST_REGISTRY=" + dir_.path("registry.bin") +
                           " FREI0R_PATH=" + std::filesystem::path(VELMORANCE_FREI0R).parent_path().string() + " ";
};

struct HostCase {
  const char* name;
  int width, height;
  double look[5];  // strength, left, top, right, bottom
  // ffmpeg 5.1 hands frei0r filters rows padded to 64 bytes, which frei0r
  // has no stride for: only widths of a multiple of 16 come out whole.
  bool ffmpeg;
};

void PrintTo(const HostCase& c, std::ostream* os) { *os << c.name << ' ' << c.width << 'x' << c.height; }

class Frei0rHostsTest : public ToolTest, public ::testing::WithParamInterface<HostCase> {};

TEST_P(Frei0rHostsTest, EveryToolRendersWhatVelmoranceRenders) {
  const HostCase& c = GetParam();
  const std::string in = dir_.path("in.png");
  ASSERT_TRUE(vmtest::writePng(in, vmtest::randomBytes(size_t(c.width) * c.height * 3, c.width), c.width, c.height));
  const char* names[] = {"strength", "left", "top", "right", "bottom"};
  std::ostringstream look, values, named;
  const double* v = c.look;
  look << " --strength " << v[0] * 100 << " --rect " << v[1] << ',' << v[2] << ',' << v[3] << ',' << v[4];
  for (int i = 0; i < 5; ++i) values << (i > 0 ? "|" : "") << v[i], named << ' ' << names[i] << '=' << v[i];
  ASSERT_TRUE(Run(VELMORANCE_BIN " render " + in + " " + dir_.path("reference.png") + " --quiet" + look.str()));
  const std::vector<uint8_t> expected = vmtest::decodeRgb(dir_.path("reference.png"));
  ASSERT_EQ(expected.size(), size_t(c.width) * c.height * 3);
  const std::tuple<const char*, bool, std::string, std::string> tools[] = {
      {"ffmpeg", c.ffmpeg,
       "ffmpeg -nostdin -v error -y -i " + in + " -vf 'frei0r=filter_name=velmorance:filter_params=" + values.str() +
           "' " + dir_.path("ffmpeg.png"),
       "ffmpeg.png"},
      {"melt", true,
       "melt avformat:" + in + " in=0 out=0 -filter frei0r.velmorance" + named.str() +
           " -consumer avformat:" + dir_.path("melt%d.png") + " vcodec=png real_time=0",
       "melt1.png"},
      {"gst-launch-1.0", true,
       "gst-launch-1.0 -q filesrc location=" + in + " ! pngdec ! videoconvert ! video/x-raw,format=RGBA " +
           "! frei0r-filter-velmorance" + named.str() +
           " ! videoconvert ! pngenc ! filesink location=" + dir_.path("gst.png"),
       "gst.png"},
  };
  for (const auto& [program, runs, command, output] : tools) {
    if (!Installed(program)) std::cout << "[  SKIPPED ] " << program << " is not installed\n";
    const bool melt = std::string_view(program) == "melt";
    if (runs && Installed(program) && (melt ? RunMelt(command, dir_.path(output), expected.size()) : Run(command))) {
      EXPECT_TRUE(vmtest::decodeRgb(dir_.path(output)) == expected) << program << " differs from velmorance";
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Sizes, Frei0rHostsTest,
                         ::testing::Values(HostCase{"FullHdFourByThree", 1920, 1080, {0.17, 0.125, 0, 0.875, 1}, true},
                                           HostCase{"OddHeight", 336, 187, {0.73, 0.1, 0.2, 0.7, 0.9}, true},
                                           HostCase{"OddSize", 333, 187, {0.05, 0.33, 0.25, 0.99, 0.75}, false}),
                         [](const auto& info) { return info.param.name; });

}  // namespace
