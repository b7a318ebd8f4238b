// End-to-end runs of the velmorance program with the real plug-in bundle,
// found next to the program as users find it. Each test gives the plug-in
// its own preferences folder.
#include <gtest/gtest.h>

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
  void succeed(const std::string& args) { EXPECT_TRUE(vmtest::succeeded(velmorance(args))) << args; }
  ScratchDir dir_;
};

// `settings` stores the values, `info` shows them first, and the stored file
// holds exactly one 392-byte record laid out as the plug-in stores it, next to
// a resource of someone else's that stays as it was.
TEST_F(BundleTest, SettingsThenInfoShowThemAndTheFileKeepsOneRecordAmongOthers) {
  const std::string prefs = dir_.path("config/zelph-Prefs");
  std::vector<UInt8> foreign;
  ASSERT_TRUE(serializeResourceFile({0, {}, {{kOtherType, 5, false, "", 0, {'a', 'b', 'c'}}}}, &foreign));
  std::filesystem::create_directories(dir_.path("config"));
  writeBytes(prefs, foreign);
  const auto set = velmorance("settings --strength 40 --rect 0.1,0.1,0.9,0.9");
  ASSERT_TRUE(vmtest::succeeded(set));
  const std::string shown = "settings:         " + prefs +
                            "\nstrength:         40\n"
                            "rectangle:        0.1,0.1,0.9,0.9 (left, top, right, bottom); pixels x 72 to 648, y 48 "
                            "to 432 of ntsc 720x480\n"
                            "media type:       ntsc (720x480)\nkeep proportions: no\n";
  EXPECT_EQ(shown, set.out);
  const auto info = velmorance("info");
  ASSERT_EQ(info.status, 0) << info.err;
  EXPECT_EQ(0u, info.out.find(shown)) << info.out;

  const short file = platformOpenResFileAtPath(prefs, fsRdPerm);
  ASSERT_NE(file, -1);
  EXPECT_EQ(1, Count1Resources(kPrefType));
  Handle record = Get1Resource(kPrefType, 1);
  ASSERT_NE(nullptr, record);
  ASSERT_EQ(392, GetHandleSize(record));
  // The values given, at their offsets (the whole layout: PrefsTest).
  const auto* bytes = reinterpret_cast<const uint8_t*>(*record);
  const double startRel[4] = {0.1, 0.9, 0.1, 0.9};  // left, right, top, bottom
  EXPECT_EQ(0, std::memcmp(bytes + 8, startRel, sizeof startRel));
  EXPECT_EQ(40, bytes[108] | bytes[109] << 8);
  Handle other = Get1Resource(kOtherType, 5);
  ASSERT_NE(nullptr, other);
  EXPECT_EQ(0, std::memcmp(*other, "abc", 3));
  CloseResFile(file);
}

// A look given for a run (strength 50 over the left half) leaves the stored
// file as it was (not rewritten either: every write replaces the file) and no
// private copy behind; the right half of every frame stays exact, and the
// thumbnail matches the rendered frame. (Fades reach the plug-in as
// Render.FadesBlendTheUnprocessedFrameOverTheFirstAndLastFrames shows.)
TEST_F(BundleTest, LookForOneRunLeavesTheStoredFileAlone) {
  // Five random frames as in_1.png ... in_5.png.
  const auto input = vmtest::randomBytes(kFrameBytes * 5, 21);
  ASSERT_TRUE(vmtest::writePng(dir_.path("in_%d.png"), input, kW, kH));
  const std::string prefs = dir_.path("config/zelph-Prefs"), in = " " + dir_.path("in_%d.png") + " ",
                    look = " --strength 50 --rect 0,0,0.5,1";
  succeed("settings --strength 90");
  const vmtest::FileState stored = vmtest::stateOf(prefs);
  succeed("render" + in + dir_.path("fx_%d.png") + look);
  succeed("thumbnail" + in + dir_.path("thumb.png") + " --at 3" + look);
  EXPECT_EQ(stored, vmtest::stateOf(prefs));
  EXPECT_TRUE(std::filesystem::is_empty(dir_.path("tmp")));
  const auto fx = vmtest::decodeRgb(dir_.path("fx_%d.png"));
  ASSERT_EQ(fx.size(), input.size());
  EXPECT_EQ(std::vector(fx.begin() + 3 * kFrameBytes, fx.begin() + 4 * kFrameBytes),
            vmtest::decodeRgb(dir_.path("thumb.png")));
  int changedLeft[5] = {};
  for (size_t i = 0; i < input.size(); ++i) {
    if ((i / 3) % kW >= kW / 2)
      ASSERT_EQ(fx[i], input[i]) << "frame " << i / kFrameBytes << " byte " << i % kFrameBytes;
    else
      changedLeft[i / kFrameBytes] += fx[i] != input[i];
  }
  for (int count : changedLeft) EXPECT_GT(count, kW * kH / 2);
}

TEST_F(BundleTest, SettingsFilesThatCannotServeAreNamed) {
  writeBytes(dir_.path("notes.txt"), {'h', 'i'});
  const std::pair<std::string, std::string> cases[] = {  // the arguments, the error
      {"render a.png b.png --settings " + dir_.path("none"),
       "--settings " + dir_.path("none") + ": no such settings file"},
      {"settings --strength 3 --settings " + dir_.path("notes.txt"),
       dir_.path("notes.txt") + ": not a settings file (it is not a resource file)"},
  };
  for (const auto& [args, error] : cases) {
    const auto run = velmorance(args);
    EXPECT_EQ(1, run.status) << args;
    EXPECT_EQ("velmorance: " + error + "\n", run.err) << args;
  }
  EXPECT_EQ((std::vector<uint8_t>{'h', 'i'}), readBytes(dir_.path("notes.txt")));
}

}  // namespace
