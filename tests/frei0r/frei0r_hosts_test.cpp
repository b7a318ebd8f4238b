// The frei0r filter inside the real tools: ffmpeg, melt and gst-launch-1.0
// render a picture through the built module, and each result must equal,
// pixel for pixel, what `velmorance render` makes with the same settings
// stored as the user's configuration. melt's keyframed mix must follow the
// blend of `velmorance render --fade-in`. A tool that is not installed is
// skipped with a message.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "tests/frei0r/prefs_store.h"
#include "tests/host/test_media.h"

namespace {

using vmtest::runShell;

bool Installed(const std::string& program) { return runShell("command -v " + program).status == 0; }

// Runs a tool with a time limit. melt 7.12 now and then never gets past its
// start-up when other programs load the machine; one more try tells that
// from a failure of the filter.
vmtest::RunResult RunTool(const std::string& command, const std::string& env) {
  vmtest::RunResult run = runShell("timeout 60 " + command, env);
  if (run.status == 124) run = runShell("timeout 60 " + command, env);
  return run;
}

#ifndef VELMORANCE_TOOL_PRELOAD
#define VELMORANCE_TOOL_PRELOAD ""
#endif

// The environment of every tool: the private preferences folder, caches and
// a GStreamer registry of the test's own, and the built module's folder.
std::string ToolEnv(const vmtest::ScratchDir& dir) {
  return VELMORANCE_TOOL_PRELOAD "XDG_CONFIG_HOME=" + dir.path("prefs") + " XDG_CACHE_HOME=" + dir.path("cache") +
         " FREI0R_PATH=" + std::filesystem::path(VELMORANCE_FREI0R).parent_path().string() +
         " GST_REGISTRY=" + dir.path("registry.bin") + " ";
}

// Writes a melt profile of square pixels at a picture's size, so nothing is
// scaled, and returns its path. melt 7.12 crashes on a profile without a
// description.
std::string MeltProfile(const vmtest::ScratchDir& dir, int width, int height) {
  const std::string path = dir.path("profile");
  std::ostringstream text;
  text << "description=velmorance test\nwidth=" << width << "\nheight=" << height
       << "\nprogressive=1\nsample_aspect_num=1\n"
       << "sample_aspect_den=1\ndisplay_aspect_num=" << width << "\ndisplay_aspect_den=" << height
       << "\nframe_rate_num=25\nframe_rate_den=1\ncolorspace=709\n";
  const std::string bytes = text.str();
  vmtest::writeFile(path, std::vector<uint8_t>(bytes.begin(), bytes.end()));
  return path;
}

struct HostCase {
  const char* name;
  int width, height;
  int slider;
  double left, top, right, bottom;
  // ffmpeg 5.1 hands frei0r filters rows padded to 64 bytes, which frei0r
  // has no stride for: only widths of a multiple of 16 come out whole.
  bool ffmpeg;
};

const HostCase kHostCases[] = {
    {"HalfFrame", 320, 240, 50, 0, 0, 0.5, 1, true},
    {"FullHdWithFourByThreeRegion", 1920, 1080, 17, 0.125, 0, 0.875, 1, true},
    {"OddHeight", 336, 187, 73, 0.1, 0.2, 0.7, 0.9, true},
    {"OddSize", 333, 187, 5, 0.33, 0.25, 0.99, 0.75, false},
};

void PrintTo(const HostCase& c, std::ostream* os) { *os << c.name << ' ' << c.width << 'x' << c.height; }

class Frei0rHostsTest : public ::testing::TestWithParam<HostCase> {
 protected:
  void SetUp() override {
    if (!Installed("ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed: no input or reference can be made";
    vmtest::UsePrefsFolder(dir_.path("prefs"));
    env_ = ToolEnv(dir_);
  }
  // `velmorance render in out OPTIONS`.
  std::vector<uint8_t> Reference(const std::string& input, const std::string& output, const std::string& options) {
    const vmtest::RunResult run =
        runShell(std::string(VELMORANCE_BIN) + " render " + input + " " + output + " --quiet " + options, env_);
    EXPECT_EQ(run.status, 0) << run.err;
    return vmtest::decodeRgb(output);
  }
  vmtest::ScratchDir dir_;
  std::string env_;
};

TEST_P(Frei0rHostsTest, EveryToolRendersWhatVelmoranceRenders) {
  const HostCase& c = GetParam();
  const std::string input = dir_.path("in.png");
  ASSERT_TRUE(vmtest::writePng(input, vmtest::randomBytes(size_t(c.width) * c.height * 3, c.width), c.width, c.height));
  std::ostringstream look;
  look << "--strength " << c.slider << " --rect " << c.left << ',' << c.top << ',' << c.right << ',' << c.bottom;
  const std::vector<uint8_t> expected = Reference(input, dir_.path("reference.png"), look.str());
  ASSERT_EQ(expected.size(), size_t(c.width) * c.height * 3);

  std::ostringstream values, named;
  values << c.slider / 100.0 << '|' << c.left << '|' << c.top << '|' << c.right << '|' << c.bottom;
  named << "strength=" << c.slider / 100.0 << " left=" << c.left << " top=" << c.top << " right=" << c.right
        << " bottom=" << c.bottom;
  const struct {
    const char* program;
    bool runs;
    std::string command, output;
  } tools[] = {
      // melt reads the picture through FFmpeg: its picture producers hang at
      // start when the sanitizer runtimes are loaded first.
      {"ffmpeg", c.ffmpeg,
       "ffmpeg -nostdin -v error -y -i " + input + " -vf 'frei0r=filter_name=velmorance:filter_params=" + values.str() +
           "' " + dir_.path("ffmpeg.png"),
       dir_.path("ffmpeg.png")},
      {"melt", true,
       "melt -profile " + MeltProfile(dir_, c.width, c.height) + " avformat:" + input +
           " in=0 out=0 -filter frei0r.velmorance " + named.str() + " -consumer avformat:" + dir_.path("melt%d.png") +
           " vcodec=png real_time=0",
       dir_.path("melt1.png")},
      {"gst-launch-1.0", true,
       "gst-launch-1.0 -q filesrc location=" + input + " ! pngdec ! videoconvert ! video/x-raw,format=RGBA " +
           "! frei0r-filter-velmorance " + named.str() +
           " ! videoconvert ! pngenc ! filesink location=" + dir_.path("gst.png"),
       dir_.path("gst.png")},
  };
  for (const auto& tool : tools) {
    if (!tool.runs) continue;
    if (!Installed(tool.program)) {
      std::cout << "[  SKIPPED ] " << tool.program << " is not installed\n";
      continue;
    }
    const vmtest::RunResult run = RunTool(tool.command, env_);
    EXPECT_EQ(run.status, 0) << tool.program << ": " << run.err;
    EXPECT_TRUE(vmtest::decodeRgb(tool.output) == expected) << tool.program << " differs from velmorance render";
  }
}

INSTANTIATE_TEST_SUITE_P(Sizes, Frei0rHostsTest, ::testing::ValuesIn(kHostCases),
                         [](const ::testing::TestParamInfo<HostCase>& info) { return info.param.name; });

// melt with mix keyframed from 0 at frame 0 to 1 at frame 10 blends like a
// 10-frame fade-in (opacities 255, 229 ... 25), within one step per byte.
// Strength and rectangle come from the stored configuration in both.
TEST(Frei0rMixTest, KeyframedMixFollowsTheFadeIn) {
  if (!Installed("ffmpeg") || !Installed("melt")) GTEST_SKIP() << "ffmpeg or melt is not installed";
  vmtest::ScratchDir dir;
  vmtest::UsePrefsFolder(dir.path("prefs"));
  ASSERT_TRUE(vmtest::StorePrefs(60, 0.1, 0, 0.9, 0.8));
  const std::string env = ToolEnv(dir);
  const std::string clip = dir.path("clip.mkv");
  ASSERT_TRUE(vmtest::ffmpeg("-f lavfi -i testsrc2=size=96x64:rate=25 -frames:v 12 -c:v ffv1 -pix_fmt bgr0 " + clip));
  const vmtest::RunResult faded = runShell(std::string(VELMORANCE_BIN) + " render " + clip + " " +
                                               dir.path("faded.mkv") + " --fade-in 10 --lossless --quiet",
                                           env);
  ASSERT_EQ(faded.status, 0) << faded.err;
  const vmtest::RunResult melt = RunTool(
      "melt -profile " + MeltProfile(dir, 96, 64) + " avformat:" + clip + " -filter frei0r.velmorance 'mix=0=0;10=1'" +
          " -consumer avformat:" + dir.path("melt.mkv") + " vcodec=ffv1 pix_fmt=bgr0 an=1 real_time=0",
      env);
  ASSERT_EQ(melt.status, 0) << melt.err;
  const std::vector<uint8_t> expected = vmtest::decodeRgb(dir.path("faded.mkv"));
  const std::vector<uint8_t> actual = vmtest::decodeRgb(dir.path("melt.mkv"));
  const size_t frameBytes = 96 * 64 * 3;
  ASSERT_GE(expected.size(), 10 * frameBytes);
  ASSERT_GE(actual.size(), 10 * frameBytes);
  for (size_t frame = 0; frame < 10; ++frame) {
    int worst = 0;
    for (size_t i = frame * frameBytes; i < (frame + 1) * frameBytes; ++i)
      worst = std::max(worst, std::abs(int{expected[i]} - int{actual[i]}));
    EXPECT_LE(worst, 1) << "frame " << frame;
  }
}

}  // namespace
