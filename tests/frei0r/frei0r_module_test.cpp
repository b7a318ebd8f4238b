// The frei0r filter as a host sees it: the built module loaded with dlopen,
// its entry points, parameters and defaults, its pixels against the print's
// known values, the mix, and instances updated on two threads at once.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <latch>
#include <memory>
#include <regex>
#include <thread>

extern "C" {
#include <frei0r.h>
}

#include "platform/quickdraw/quickdraw_owners.h"
#include "tests/frei0r/prefs_store.h"
#include "tests/host/test_media.h"

namespace {

constexpr const char* kEntryPoints[] = {"f0r_init",      "f0r_deinit",   "f0r_get_plugin_info", "f0r_get_param_info",
                                        "f0r_construct", "f0r_destruct", "f0r_set_param_value", "f0r_get_param_value",
                                        "f0r_update",    "f0r_update2"};

// Parameters in the module's order: strength, left, top, right, bottom, mix.
using Params = std::vector<double>;

// The module as a host loads it; members are looked up in declaration order.
struct Module {
  void* handle = dlopen(VELMORANCE_FREI0R, RTLD_NOW | RTLD_LOCAL);
  template <typename Fn>
  Fn find(const char* name) const {
    return handle != nullptr ? reinterpret_cast<Fn>(dlsym(handle, name)) : nullptr;
  }
  decltype(&f0r_init) init = find<decltype(&f0r_init)>("f0r_init");
  decltype(&f0r_deinit) deinit = find<decltype(&f0r_deinit)>("f0r_deinit");
  decltype(&f0r_get_plugin_info) pluginInfo = find<decltype(&f0r_get_plugin_info)>("f0r_get_plugin_info");
  decltype(&f0r_get_param_info) paramInfo = find<decltype(&f0r_get_param_info)>("f0r_get_param_info");
  decltype(&f0r_construct) construct = find<decltype(&f0r_construct)>("f0r_construct");
  decltype(&f0r_destruct) destruct = find<decltype(&f0r_destruct)>("f0r_destruct");
  decltype(&f0r_set_param_value) setParam = find<decltype(&f0r_set_param_value)>("f0r_set_param_value");
  decltype(&f0r_get_param_value) getParam = find<decltype(&f0r_get_param_value)>("f0r_get_param_value");
  decltype(&f0r_update) update = find<decltype(&f0r_update)>("f0r_update");
  ~Module() {
    if (handle != nullptr) dlclose(handle);
  }

  using Instance = std::unique_ptr<void, void (*)(f0r_instance_t)>;
  Instance make(unsigned width, unsigned height, const Params& params = {}) const {
    Instance instance(construct(width, height), destruct);
    for (size_t i = 0; instance && i < params.size(); ++i) {
      double value = params[i];
      setParam(instance.get(), &value, static_cast<int>(i));
    }
    return instance;
  }
  double get(f0r_instance_t instance, int index) const {
    double value = -7;
    getParam(instance, &value, index);
    return value;
  }
  std::vector<std::string> paramNames() const {
    f0r_plugin_info_t info{};
    pluginInfo(&info);
    std::vector<std::string> names;
    for (int i = 0; i < info.num_params; ++i) {
      f0r_param_info_t param{};
      paramInfo(&param, i);
      names.push_back(param.name);
    }
    return names;
  }
};

class Frei0rModuleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    vmtest::UsePrefsFolder(scratch_.path("prefs"));
    for (const char* name : kEntryPoints) ASSERT_NE(module_.find<void*>(name), nullptr) << name << ": " << dlerror();
    ASSERT_EQ(module_.init(), 1);
  }
  void TearDown() override { module_.deinit(); }

  // One update of a width x height frame of RGBA pixels through a new
  // instance with `params`; `inPlace` passes the same buffer as both frames.
  std::vector<uint8_t> render(const std::vector<uint8_t>& in, unsigned width, unsigned height, const Params& params,
                              bool inPlace = false) const {
    auto instance = module_.make(width, height, params);
    std::vector<uint32_t> from(width * height), to(width * height);
    std::memcpy(from.data(), in.data(), in.size());
    module_.update(instance.get(), 0.0, from.data(), inPlace ? from.data() : to.data());
    std::vector<uint8_t> out(in.size());
    std::memcpy(out.data(), inPlace ? from.data() : to.data(), out.size());
    return out;
  }

  vmtest::ScratchDir scratch_;
  Module module_;
};

TEST_F(Frei0rModuleTest, DescribesItselfAndItsParameters) {
  f0r_plugin_info_t info{};
  module_.pluginInfo(&info);
  EXPECT_STREQ(info.name, "velmorance");
  EXPECT_EQ(info.plugin_type, F0R_PLUGIN_TYPE_FILTER);
  EXPECT_EQ(info.color_model, F0R_COLOR_MODEL_RGBA8888);
  EXPECT_EQ(info.frei0r_version, FREI0R_MAJOR_VERSION);
  EXPECT_EQ(info.major_version, 3);
  const std::vector<std::string> expected = {"strength", "left", "top", "right", "bottom", "mix"};
  ASSERT_EQ(module_.paramNames(), expected);
  for (int i = 0; i < info.num_params; ++i) {
    f0r_param_info_t param{};
    module_.paramInfo(&param, i);
    EXPECT_EQ(param.type, F0R_PARAM_DOUBLE) << param.name;
    EXPECT_GT(std::strlen(param.explanation), 20u) << param.name;
  }
  EXPECT_EQ(module_.construct(0, 8), nullptr);
  EXPECT_EQ(module_.construct(32768, 8), nullptr);
}

// A render process has no display: nothing the module loads may be Qt.
TEST_F(Frei0rModuleTest, LoadsNoWindowToolkit) {
  const vmtest::RunResult ldd = vmtest::runShell(std::string("ldd ") + VELMORANCE_FREI0R);
  ASSERT_EQ(ldd.status, 0) << ldd.err;
  EXPECT_NE(ldd.out.find("libvelmorance-platform.so"), std::string::npos) << ldd.out;
  EXPECT_EQ(ldd.out.find("Qt"), std::string::npos) << ldd.out;
  EXPECT_EQ(ldd.out.find("not found"), std::string::npos) << ldd.out;
}

// Kdenlive's description names every parameter the module reports and no
// other, each with its default inside its range.
TEST_F(Frei0rModuleTest, KdenliveDescriptionNamesTheModuleParameters) {
  std::ifstream file(VELMORANCE_KDENLIVE_XML);
  const std::string xml{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  EXPECT_NE(xml.find("tag=\"frei0r.velmorance\""), std::string::npos);
  const std::vector<std::string> names = module_.paramNames();
  const std::regex parameter(
      R"re(<parameter type="animated" name="(\w+)" default="([\d.]+)" min="(\d+)" max="(\d+)" factor="(\d+)")re");
  size_t seen = 0;
  for (std::sregex_iterator it(xml.begin(), xml.end(), parameter), end; it != end; ++it, ++seen) {
    const std::smatch& m = *it;
    EXPECT_NE(std::find(names.begin(), names.end(), m[1].str()), names.end()) << m[1];
    const double value = std::stod(m[2]), factor = std::stod(m[5]);
    EXPECT_GE(value * factor, std::stod(m[3])) << m[1];
    EXPECT_LE(value * factor, std::stod(m[4])) << m[1];
  }
  EXPECT_EQ(seen, names.size());
}

struct DefaultsCase {
  const char* what;
  bool stored;
  int slider;
  double left, top, right, bottom;
  Params expected;
};

const DefaultsCase kDefaultsCases[] = {
    {"no stored configuration", false, 0, 0, 0, 0, 0, {0.17, 0, 0, 1, 1, 1}},
    {"stored configuration", true, 42, 0.25, 0.1, 0.75, 0.9, {0.42, 0.25, 0.1, 0.75, 0.9, 1}},
    {"stored values out of range", true, 250, -0.5, 0.2, 3.0, 0.6, {1, 0, 0.2, 1, 0.6, 1}},
};

// The starting values come from the stored configuration, read and never
// written.
TEST_F(Frei0rModuleTest, DefaultsComeFromTheStoredConfiguration) {
  for (const DefaultsCase& c : kDefaultsCases) {
    SCOPED_TRACE(c.what);
    vmtest::UsePrefsFolder(scratch_.path(c.what));
    if (c.stored) {
      ASSERT_TRUE(vmtest::StorePrefs(c.slider, c.left, c.top, c.right, c.bottom));
    }
    const std::string file = scratch_.path(c.what) + "/zelph-Prefs";
    const std::vector<uint8_t> before = vmtest::readFile(file);
    auto instance = module_.make(16, 8);
    ASSERT_NE(instance, nullptr);
    for (int i = 0; i < static_cast<int>(c.expected.size()); ++i)
      EXPECT_DOUBLE_EQ(module_.get(instance.get(), i), c.expected[i]) << "parameter " << i;
    EXPECT_EQ(vmtest::readFile(file), before);
    EXPECT_EQ(vmtest::fileExists(file), c.stored);
  }
}

struct SetCase {
  int index;
  double value, expected;
};

// Values outside 0..1 are clamped, strength moves in whole percent, and a
// value that is not a number or an unknown index changes nothing.
TEST_F(Frei0rModuleTest, ParametersAreClampedToTheirRanges) {
  const SetCase cases[] = {{0, 0.333, 0.33}, {0, 0.006, 0.01}, {0, 1.7, 1}, {1, -0.3, 0}, {3, 0.625, 0.625},
                           {4, 2.0, 1},      {5, 0.42, 0.42},  {5, -1, 0},  {2, NAN, 0},  {0, NAN, 0.17}};
  for (const SetCase& c : cases) {
    auto instance = module_.make(8, 8);
    double value = c.value;
    module_.setParam(instance.get(), &value, c.index);
    EXPECT_DOUBLE_EQ(module_.get(instance.get(), c.index), c.expected) << c.index << " set to " << c.value;
    EXPECT_EQ(module_.get(instance.get(), 6), -7);
  }
}

// A row of greys with the means of the print's worked values, each with its
// own alpha: the print's greys come out and every alpha stays.
TEST_F(Frei0rModuleTest, GreysMatchThePrintsWorkedValuesAndAlphaStays) {
  const int means[] = {0, 64, 106, 107, 127, 128, 129, 149, 150, 192, 255};
  const struct {
    double strength;
    int greys[11];
  } table[] = {
      {0.17, {0, 0, 0, 4, 121, 127, 133, 250, 255, 255, 255}},
      {0.0, {0, 0, 0, 0, 0, 255, 255, 255, 255, 255, 255}},
      {0.5, {0, 0, 83, 85, 125, 127, 129, 169, 171, 255, 255}},
      {1.0, {0, 63, 105, 106, 126, 127, 128, 148, 149, 191, 254}},
  };
  std::vector<uint8_t> in;
  for (int col = 0; col < 11; ++col)
    for (int channel : {means[col], means[col], means[col], col * 23}) in.push_back(static_cast<uint8_t>(channel));
  for (const auto& row : table) {
    const std::vector<uint8_t> out = render(in, 11, 1, {row.strength, 0, 0, 1, 1, 1});
    ASSERT_EQ(out.size(), in.size());
    for (int col = 0; col < 11; ++col) {
      const uint8_t* pixel = &out[col * 4];
      EXPECT_EQ(pixel[0], row.greys[col]) << "strength " << row.strength << " mean " << means[col];
      EXPECT_EQ(pixel[1], row.greys[col]);
      EXPECT_EQ(pixel[2], row.greys[col]);
      EXPECT_EQ(pixel[3], col * 23);
    }
  }
}

// The rectangle in pixels truncates each fraction of the frame: on a 7 x 5
// frame (0.3, 0.2)-(0.72, 1) covers columns 2..4 and rows 1..4. Pixels
// outside it keep every byte.
TEST_F(Frei0rModuleTest, OnlyTheRectangleChanges) {
  const std::vector<uint8_t> in = vmtest::randomBytes(7 * 5 * 4, 13);
  const std::vector<uint8_t> out = render(in, 7, 5, {0, 0.3, 0.2, 0.72, 1, 1});
  ASSERT_EQ(out.size(), in.size());
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) {
      const uint8_t* from = &in[(y * 7 + x) * 4];
      const uint8_t* to = &out[(y * 7 + x) * 4];
      const bool inside = x >= 2 && x < 5 && y >= 1;
      const uint8_t threshold = (from[0] + from[1] + from[2]) / 3 < 128 ? 0 : 255;
      for (int c = 0; c < 3; ++c) EXPECT_EQ(to[c], inside ? threshold : from[c]) << x << "," << y;
      EXPECT_EQ(to[3], from[3]) << x << "," << y;
    }
}

// The mix blends the unprocessed frame over the print as a fade does: mix
// k / 10 gives the opacity of the k-th frame of a 10-frame fade-in. Worked by
// hand for (200, 100, 50) whose print at strength 100 is grey 115.
TEST_F(Frei0rModuleTest, MixBlendsLikeTheFade) {
  const struct {
    double mix;
    uint8_t rgb[3];
  } table[] = {{0.0, {200, 100, 50}},
               {0.1, {191, 102, 57}},
               {0.5, {157, 108, 83}},
               {0.9, {123, 114, 109}},
               {1.0, {115, 115, 115}}};
  const std::vector<uint8_t> in = {200, 100, 50, 90, 200, 100, 50, 91};
  for (const auto& row : table)
    for (bool inPlace : {false, true}) {
      const std::vector<uint8_t> out = render(in, 2, 1, {1, 0, 0, 0.5, 1, row.mix}, inPlace);
      ASSERT_EQ(out.size(), 8u);
      const std::vector<uint8_t> expected = {row.rgb[0], row.rgb[1], row.rgb[2], 90, 200, 100, 50, 91};
      EXPECT_EQ(out, expected) << "mix " << row.mix << (inPlace ? " in place" : "");
    }
}

// Two instances with their own sizes and settings, updated on two threads at
// once, each give what they give alone; and each thread keeps its own
// current port while the other sets and restores its own.
TEST_F(Frei0rModuleTest, InstancesOnTwoThreadsShareNoState) {
  struct Job {
    unsigned width, height;
    Params params;
    std::vector<uint8_t> in, expected;
    bool sameOutput = true, ownPort = true;
  };
  Job jobs[2] = {{96, 40, {0.0, 0.1, 0.2, 0.6, 0.9, 1}, {}, {}}, {33, 70, {0.8, 0, 0, 1, 0.5, 0.4}, {}, {}}};
  for (Job& job : jobs) {
    job.in = vmtest::randomBytes(job.width * job.height * 4, job.width);
    job.expected = render(job.in, job.width, job.height, job.params);
  }
  std::latch bothReady(2);
  auto run = [&](Job& job) {
    const Rect bounds{0, 0, 4, 4};
    GWorldPtr port = nullptr;
    NewGWorld(&port, 32, &bounds);
    GWorldOwner owner(port);
    auto instance = module_.make(job.width, job.height, job.params);
    std::vector<uint32_t> out(job.width * job.height);
    SetGWorld(port, nullptr);
    bothReady.arrive_and_wait();
    for (int round = 0; round < 40; ++round) {
      module_.update(instance.get(), round, reinterpret_cast<const uint32_t*>(job.in.data()), out.data());
      job.sameOutput = job.sameOutput && std::memcmp(out.data(), job.expected.data(), job.expected.size()) == 0;
      CGrafPtr current = nullptr;
      GetGWorld(&current, nullptr);
      job.ownPort = job.ownPort && current == port;
    }
    SetGWorld(nullptr, nullptr);
  };
  std::thread first(run, std::ref(jobs[0])), second(run, std::ref(jobs[1]));
  first.join();
  second.join();
  for (const Job& job : jobs) {
    EXPECT_TRUE(job.sameOutput) << job.width << "x" << job.height;
    EXPECT_TRUE(job.ownPort) << job.width << "x" << job.height;
  }
}

}  // namespace
