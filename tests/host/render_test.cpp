// End-to-end runs of the velmorance program with the test plug-in, which
// inverts red, green and blue and blends the unprocessed frame back in fades.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "tests/host/test_media.h"

namespace {

using vmtest::ScratchDir;

int blend(int original, int effect, int opacity) { return (original * opacity + effect * (255 - opacity) + 127) / 255; }

// Five random frames as a PNG sequence (25 frames a second); fade-in 3
// frames given as 0.12 seconds and fade-out 2, then a thumbnail of one.
// Frame 3 and the thumbnail are the effect alone, byte for byte.
TEST(Render, FadesBlendTheUnprocessedFrameOverTheFirstAndLastFrames) {
  ScratchDir dir;
  const int w = 9, h = 6, n = 5, frameBytes = w * h * 3;
  const auto pixels = vmtest::randomBytes(frameBytes * n, 5);
  ASSERT_TRUE(vmtest::writePng(dir.path("in_%03d.png"), pixels, w, h));
  ASSERT_TRUE(vmtest::succeeded(vmtest::runFake("render " + dir.path("in_%03d.png") + " " + dir.path("out_%03d.png") +
                                                " --fade-in 0.12s --fade-out 2")));
  // Frames 0..2 fade in (255, 170, 85), frame 3 is the effect alone, frame 4
  // fades out at 255 * (1 - 1/2) = 127.
  const int opacity[n] = {255, 170, 85, 0, 127};
  const auto out = vmtest::decodeRgb(dir.path("out_%03d.png"));
  ASSERT_EQ(out.size(), pixels.size());  // five frames, no more
  // Written through private temporary files, the frames still get the usual
  // permissions of a new file.
  const mode_t mask = umask(0);
  umask(mask);
  EXPECT_EQ(static_cast<mode_t>(std::filesystem::status(dir.path("out_004.png")).permissions()), 0666 & ~mask);
  for (int i = 0; i < frameBytes * n; ++i)
    ASSERT_EQ(out[i], blend(pixels[i], 255 - pixels[i], opacity[i / frameBytes])) << "frame " << i / frameBytes;
  // The placeholder shows the asked frame processed, without fades.
  ASSERT_TRUE(
      vmtest::succeeded(vmtest::runFake("thumbnail " + dir.path("in_%03d.png") + " " + dir.path("t.png") + " --at 2")));
  const auto shown = vmtest::decodeRgb(dir.path("t.png"));
  ASSERT_EQ(shown.size(), static_cast<size_t>(frameBytes));
  for (int i = 0; i < frameBytes; ++i) ASSERT_EQ(shown[i], 255 - pixels[2 * frameBytes + i]) << i;
}

TEST(Render, InfoPrintsThePluginsDescription) {
  const auto run = vmtest::runFake("info");
  ASSERT_EQ(run.status, 0) << run.err;
  for (const char* line : {"type:         105 (filter)\n", "flags:        0x1380\n", "group:        Fake effects\n",
                           "slider 1:     Amount (low ... high), default 0.5\n", "button:       Set up\n",
                           "memory:       1234 bytes\n"})
    EXPECT_NE(run.out.find(line), std::string::npos) << line << "\nin:\n" << run.out;
}

double energy(const std::vector<int16_t>& s, size_t from = 0, size_t count = SIZE_MAX) {
  double sum = 0;
  for (size_t i = from; i < s.size() && i - from < count; ++i) sum += std::abs(s[i]);
  return sum;
}

// A 2-second clip with a 440 Hz tone: duration and loudness survive an H.264
// render from frame 10, and a draft render is silent. (Samples through a
// lossless render: Streams.DamagedSoundIsSkippedInPlace.)
TEST(Render, AudioFollowsTheFramesAndDraftIsSilent) {
  ScratchDir dir;
  const std::string clip = dir.path("tone.mp4");
  ASSERT_TRUE(vmtest::ffmpeg("-f lavfi -i testsrc=s=64x48:r=25:d=2 -f lavfi -i sine=f=440:r=48000:d=2 "
                             "-ac 2 -c:v libx264 -pix_fmt yuv420p -c:a aac -shortest '" + clip + "'"));
  const auto input = vmtest::decodeAudio(clip);
  ASSERT_GT(input.size(), 48000u * 2);

  ASSERT_TRUE(
      vmtest::succeeded(vmtest::runFake("render " + clip + " " + dir.path("out.mp4") + " --start 10 --frames 25")));
  auto output = vmtest::decodeAudio(dir.path("out.mp4"));
  EXPECT_NEAR(static_cast<double>(output.size()), 48000.0 * 2, 2048.0 * 2);
  // Frames 10..34 carry the input's audio from 0.4 s on.
  const double expected = energy(input, 48000 * 2 * 10 / 25, output.size());
  EXPECT_NEAR(energy(output), expected, expected * 0.05);
  EXPECT_EQ(vmtest::decodeRgb(dir.path("out.mp4")).size(), 25u * 64 * 48 * 3);

  ASSERT_TRUE(vmtest::succeeded(
      vmtest::runFake("render " + clip + " " + dir.path("draft.mkv") + " --lossless --draft --quiet")));
  output = vmtest::decodeAudio(dir.path("draft.mkv"));
  EXPECT_EQ(output.size(), 50u * 1920 * 2);  // 50 frames of 1920 samples, two channels
  EXPECT_EQ(energy(output), 0.0);
}

// A failing plug-in stops the render and removes what it wrote; an older
// output stays as it was.
TEST(Render, FailureLeavesNoOutput) {
  ScratchDir dir;
  ASSERT_TRUE(vmtest::ffmpeg("-f lavfi -i testsrc=s=32x32:r=10:d=1 -pix_fmt yuv420p '" + dir.path("in.mp4") + "'"));
  const std::vector<uint8_t> old = {'o', 'l', 'd'};
  writeBytes(dir.path("old.mkv"), old);
  const std::string failed = "velmorance: " + dir.path("in.mp4") +
                             ": frame 4 of the render (input frame 4): the plug-in returned kPluginFailed (6); "
                             "nothing written\n";
  for (const char* output : {"new.mp4", "old.mkv"}) {
    const auto run = vmtest::runFake("render " + dir.path("in.mp4") + " " + dir.path(output) + " --overwrite",
                                     "FAKE_FAIL_FRAME=4 ");
    EXPECT_EQ(run.status, 1) << output;  // -1 for a crash
    EXPECT_EQ(run.err, failed);
  }
  EXPECT_EQ(readBytes(dir.path("old.mkv")), old);
  // in.mp4 and old.mkv: no output or temporary file left behind
  EXPECT_EQ(vmtest::folderContents(dir.path("")).size(), 2u);
}

}  // namespace
