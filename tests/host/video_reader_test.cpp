#include "host/media/video_reader.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/host/test_media.h"

namespace {

using vmtest::ScratchDir;

constexpr int kW = 64, kH = 48, kRowBytes = kW * 4 + 16;

// Mean red of the decoded frame: the clips below paint frame N in grey 4 * N.
int meanRed(const std::vector<uint8_t>& argb) {
  long sum = 0;
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) sum += argb[y * kRowBytes + x * 4 + 1];
  return static_cast<int>(sum / (kW * kH));
}

class VideoReaderSeekTest : public ::testing::TestWithParam<const char*> {};

// H.264 with B-frames and a keyframe every 10 frames, and an MKV without a
// frame count in its header: every frame is found by index in any order.
TEST_P(VideoReaderSeekTest, DeliversTheExactFrameInAnyOrder) {
  ScratchDir dir;
  const std::string clip = dir.path(std::string("clip.") + GetParam());
  ASSERT_TRUE(vmtest::ffmpeg("-f lavfi -i \"color=black:s=64x48:r=25:d=2,format=gray,geq=lum='N*4'\" "
                             "-pix_fmt yuv420p -c:v libx264 -qp 0 -g 10 -bf 2 '" + clip + "'"));
  std::string error;
  auto reader = vmhost::VideoReader::open(clip, error);
  ASSERT_TRUE(reader) << error;
  EXPECT_EQ(reader->info().frameCount, 50);
  EXPECT_EQ(av_q2d(reader->info().frameRate), 25.0);
  std::vector<uint8_t> argb(kRowBytes * kH);
  const int order[] = {0, 49, 17, 18, 3, 30, 29, 11, 10, 9, 48, 0, 25, 26, 27, 45, 1};
  for (int index : order) {
    ASSERT_TRUE(reader->readArgb(index, argb.data(), kRowBytes, kW, kH, true, error)) << index << ": " << error;
    // Limited-range H.264 and the RGB conversion may move grey by a step.
    EXPECT_NEAR(meanRed(argb), index * 4, 3) << "frame " << index;
  }
  // Past the end: HostSession.LendsFramesAndFilterInfoAndRefusesBadRequests.
  EXPECT_FALSE(reader->readArgb(-1, argb.data(), kRowBytes, kW, kH, true, error));
}

INSTANTIATE_TEST_SUITE_P(Containers, VideoReaderSeekTest, ::testing::Values("mp4", "mkv"));

}  // namespace
