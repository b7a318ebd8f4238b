// End-to-end runs of the velmorance program with the real plug-in bundle,
// found next to the program as users find it. Each test gives the plug-in
// its own preferences folder.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>

#include "platform/memory/memory.h"
#include "platform/resources/resources.h"
#include "tests/host/test_media.h"

namespace {

using vmtest::ScratchDir;

constexpr ResType kPrefType = VM_FOURCC('P', 'r', 'e', 'f'), kOtherType = VM_FOURCC('T', 'E', 'S', 'T');

constexpr int kW = 32, kH = 16, kFrameBytes = kW * kH * 3;

class BundleTest : public ::testing::Test {
 protected:
  BundleTest() { std::filesystem::create_directories(dir_.path("tmp")); }
  vmtest::RunResult velmorance(const std::string& args) {
    const bool quiet = args.rfind("settings", 0) != 0 && args.rfind("info", 0) != 0;
    return vmtest::runShell(std::string(VELMORANCE_BIN) + " " + args + (quiet ? " --quiet" : ""),
                            "XDG_CONFIG_HOME='" + dir_.path("config") + "' TMPDIR='" + dir_.path("tmp") + "' ");
  }
  // Five random frames as in_1.png ... in_5.png.
  std::vector<uint8_t> makeSequence() {
    auto pixels = vmtest::randomBytes(kFrameBytes * 5, 21);
    vmtest::writeFile(dir_.path("in.rgb"), pixels);
    EXPECT_TRUE(vmtest::ffmpeg("-f rawvideo -pix_fmt rgb24 -s 32x16 -i '" + dir_.path("in.rgb") + "' '" +
                               dir_.path("in_%d.png") + "'"));
    return pixels;
  }
  std::vector<uint8_t> frame(const std::string& pattern, int number) {
    char name[64];
    std::snprintf(name, sizeof name, pattern.c_str(), number);
    return vmtest::decodeRgb(dir_.path(name));
  }
  ScratchDir dir_;
};

// With the default configuration (whole frame), a fade-in of 3 shows the
// unprocessed frame over the effect at 255, 170 and 85, then the effect alone;
// the thumbnail matches the rendered frame.
TEST_F(BundleTest, FadeInBlendsUnprocessedOverProcessed) {
  const auto input = makeSequence();
  auto run = velmorance("render " + dir_.path("in_%d.png") + " " + dir_.path("fx_%d.png"));
  ASSERT_EQ(run.status, 0) << run.err;
  run = velmorance("render " + dir_.path("in_%d.png") + " " + dir_.path("fade_%d.png") + " --fade-in 3");
  ASSERT_EQ(run.status, 0) << run.err;
  const int opacity[5] = {255, 170, 85, 0, 0};
  for (int f = 0; f < 5; ++f) {
    const auto processed = frame("fx_%d.png", f + 1), faded = frame("fade_%d.png", f + 1);
    ASSERT_EQ(processed.size(), size_t{kFrameBytes});
    ASSERT_EQ(faded.size(), size_t{kFrameBytes});
    for (int i = 0; i < kFrameBytes; ++i) {
      const int original = input[f * kFrameBytes + i];
      const int expected = (original * opacity[f] + processed[i] * (255 - opacity[f]) + 127) / 255;
      ASSERT_EQ(faded[i], expected) << "frame " << f << " byte " << i;
    }
  }
  // The effect really changed the picture.
  EXPECT_NE(frame("fx_%d.png", 4), std::vector<uint8_t>(input.begin() + 3 * kFrameBytes, input.begin() + 4 * kFrameBytes));
  // The thumbnail is the processed frame.
  run = velmorance("thumbnail " + dir_.path("in_%d.png") + " " + dir_.path("thumb.png") + " --at 3");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(vmtest::decodeRgb(dir_.path("thumb.png")), frame("fx_%d.png", 4));
}

// `settings` stores the values, `info` shows them first, and the stored file
// holds exactly one 392-byte record laid out as the plug-in stores it, next to
// a resource of someone else's that stays as it was.
TEST_F(BundleTest, SettingsThenInfoShowThemAndTheFileKeepsOneRecordAmongOthers) {
  const std::string prefs = dir_.path("config/zelph-Prefs");
  std::filesystem::create_directories(dir_.path("config"));
  {
    FSSpec spec;
    platformFSSpecForPath(prefs, &spec);
    FSpCreateResFile(&spec, 0, 0, 0);
    const short file = FSpOpenResFile(&spec, fsRdWrPerm);
    Handle other = NewHandle(3);
    std::memcpy(*other, "abc", 3);
    AddResource(other, kOtherType, 5, nullptr);
    CloseResFile(file);
  }
  const auto set = velmorance("settings --strength 40 --rect 0.1,0.1,0.9,0.9");
  ASSERT_EQ(set.status, 0) << set.err;
  const std::string shown = "settings:         " + prefs +
                            "\nstrength:         40\n"
                            "rectangle:        0.1,0.1,0.9,0.9 (left, top, right, bottom); pixels x 72 to 648, y 48 "
                            "to 432 of ntsc 720x480\n"
                            "media type:       ntsc (720x480)\nkeep proportions: no\n";
  EXPECT_EQ(shown, set.out);
  const auto info = velmorance("info");
  ASSERT_EQ(info.status, 0) << info.err;
  EXPECT_EQ(0u, info.out.find(shown)) << info.out;
  EXPECT_NE(info.out.find("type:         105 (filter)\n"), std::string::npos) << info.out;

  const short file = platformOpenResFileAtPath(prefs, fsRdPerm);
  ASSERT_NE(file, -1);
  EXPECT_EQ(1, Count1Resources(kPrefType));
  Handle record = Get1Resource(kPrefType, 1);
  ASSERT_NE(nullptr, record);
  ASSERT_EQ(392, GetHandleSize(record));
  const auto* bytes = reinterpret_cast<const uint8_t*>(*record);
  const uint8_t head[8] = {0x88, 0x01, 0, 0, 3, 0, 0, 0};
  EXPECT_EQ(0, std::memcmp(bytes, head, 8));
  const double startRel[4] = {0.1, 0.9, 0.1, 0.9};  // left, right, top, bottom
  EXPECT_EQ(0, std::memcmp(bytes + 8, startRel, sizeof startRel));
  EXPECT_EQ(40, bytes[108] | bytes[109] << 8);
  EXPECT_EQ(1, bytes[132] | bytes[133] << 8);
  EXPECT_EQ(35, bytes[136]);
  EXPECT_EQ(0, std::memcmp(bytes + 137, "Config save for qz/t iMovie plug-in", 35));
  Handle other = Get1Resource(kOtherType, 5);
  ASSERT_NE(nullptr, other);
  EXPECT_EQ(0, std::memcmp(*other, "abc", 3));
  CloseResFile(file);
}

// A look given for one run leaves the stored file as it was (not rewritten
// either: every write replaces the file) and no private copy behind. The
// rectangle over the left half leaves the right half of every frame exact;
// the thumbnail has the same look.
TEST_F(BundleTest, LookForOneRunLeavesTheStoredFileAlone) {
  const auto input = makeSequence();
  const std::string prefs = dir_.path("config/zelph-Prefs"), look = " --strength 50 --rect 0,0,0.5,1";
  ASSERT_EQ(0, velmorance("settings --strength 90").status);
  struct stat before {}, after {};
  const auto storedBefore = vmtest::readFile(prefs);
  ASSERT_EQ(0, stat(prefs.c_str(), &before));
  auto run = velmorance("render " + dir_.path("in_%d.png") + " " + dir_.path("once_%d.png") + " --frames 2" + look);
  ASSERT_EQ(run.status, 0) << run.err;
  run = velmorance("thumbnail " + dir_.path("in_%d.png") + " " + dir_.path("thumb.png") + " --at 1" + look);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(storedBefore, vmtest::readFile(prefs));
  ASSERT_EQ(0, stat(prefs.c_str(), &after));
  EXPECT_EQ(before.st_ino, after.st_ino);
  EXPECT_TRUE(std::filesystem::is_empty(dir_.path("tmp")));
  EXPECT_EQ(frame("once_%d.png", 2), vmtest::decodeRgb(dir_.path("thumb.png")));
  for (int f = 0; f < 2; ++f) {
    const auto out = frame("once_%d.png", f + 1);
    ASSERT_EQ(out.size(), size_t{kFrameBytes});
    int changedLeft = 0;
    for (int i = 0; i < kFrameBytes; ++i) {
      if ((i / 3) % kW >= kW / 2)
        ASSERT_EQ(out[i], input[f * kFrameBytes + i]) << "frame " << f << " byte " << i;
      else
        changedLeft += out[i] != input[f * kFrameBytes + i];
    }
    EXPECT_GT(changedLeft, kW * kH / 2) << "frame " << f;
  }
}

TEST_F(BundleTest, SettingsFilesThatCannotServeAreNamed) {
  vmtest::writeFile(dir_.path("notes.txt"), {'h', 'i'});
  const struct {
    std::string args, error;
  } cases[] = {
      {"render a.png b.png --settings " + dir_.path("none"),
       "--settings " + dir_.path("none") + ": no such settings file"},
      {"settings --strength 3 --settings " + dir_.path("notes.txt"),
       dir_.path("notes.txt") + ": not a settings file (it is not a resource file)"},
  };
  for (const auto& c : cases) {
    const auto run = velmorance(c.args);
    EXPECT_EQ(1, run.status) << c.args;
    EXPECT_EQ("velmorance: " + c.error + "\n", run.err) << c.args;
  }
  EXPECT_EQ((std::vector<uint8_t>{'h', 'i'}), vmtest::readFile(dir_.path("notes.txt")));
}

}  // namespace
