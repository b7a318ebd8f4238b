// End-to-end runs of the velmorance program with the real plug-in bundle,
// found next to the program as users find it. Each test gives the plug-in
// its own preferences folder.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/host/test_media.h"

namespace {

using vmtest::ScratchDir;

constexpr int kW = 32, kH = 16, kFrameBytes = kW * kH * 3;

class BundleTest : public ::testing::Test {
 protected:
  vmtest::RunResult velmorance(const std::string& args) {
    return vmtest::runShell(std::string(VELMORANCE_BIN) + " " + args + " --quiet",
                            "XDG_CONFIG_HOME='" + dir_.path("config") + "' ");
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

// The stored configuration limited to the left half of the frame: the
// right half of a PNG comes out byte for byte as it went in.
TEST_F(BundleTest, InfoThenLeftHalfRectangleLeavesTheRightHalfExact) {
  const auto input = makeSequence();
  const auto info = velmorance("info");  // the plug-in writes its preferences
  ASSERT_EQ(info.status, 0) << info.err;
  EXPECT_NE(info.out.find("type:         105 (filter)\n"), std::string::npos) << info.out;
  EXPECT_NE(info.out.find("memory:       50000 bytes\n"), std::string::npos) << info.out;
  const std::string prefs = dir_.path("config/zelph-Prefs");
  auto bytes = vmtest::readFile(prefs);
  // The stored record: size 392, version 3, then startRel (left, right, top,
  // bottom as doubles), ... and its text at offset 137.
  const uint8_t head[8] = {0x88, 0x01, 0, 0, 3, 0, 0, 0};
  const char* text = "Config save for qz/t iMovie plug-in";
  size_t at = 0;
  for (; at + 392 <= bytes.size(); ++at)
    if (std::memcmp(&bytes[at], head, 8) == 0 && std::memcmp(&bytes[at + 137], text, std::strlen(text)) == 0) break;
  ASSERT_LE(at + 392, bytes.size()) << "no configuration record in " << prefs;
  const double right = 0.5;
  std::memcpy(&bytes[at + 16], &right, sizeof right);
  vmtest::writeFile(prefs, bytes);

  const auto run = velmorance("render " + dir_.path("in_%d.png") + " " + dir_.path("half_%d.png") + " --frames 2");
  ASSERT_EQ(run.status, 0) << run.err;
  for (int f = 0; f < 2; ++f) {
    const auto out = frame("half_%d.png", f + 1);
    ASSERT_EQ(out.size(), size_t{kFrameBytes});
    int changedLeft = 0;
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x)
        for (int c = 0; c < 3; ++c) {
          const size_t i = (y * kW + x) * 3 + c;
          if (x >= kW / 2)
            ASSERT_EQ(out[i], input[f * kFrameBytes + i]) << "frame " << f << " pixel " << x << "," << y;
          else
            changedLeft += out[i] != input[f * kFrameBytes + i];
        }
    EXPECT_GT(changedLeft, kW * kH / 2) << "frame " << f;
  }
}

}  // namespace
