#include "host/media/pixel_pack.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

#include <gtest/gtest.h>

#include <vector>

#include "host/session/plugin_loader.h"
#include "host/cli/progress.h"

namespace {

TEST(PackToArgb, MovesEachByteToItsPlace) {
  // One pixel in the format and what it becomes.
  const std::tuple<AVPixelFormat, std::vector<uint8_t>, std::vector<uint8_t>> cases[] = {
      {AV_PIX_FMT_RGB24, {10, 20, 30}, {255, 10, 20, 30}},
      {AV_PIX_FMT_BGR24, {30, 20, 10}, {255, 10, 20, 30}},
      {AV_PIX_FMT_RGBA, {10, 20, 30, 40}, {40, 10, 20, 30}},
      {AV_PIX_FMT_BGRA, {30, 20, 10, 40}, {40, 10, 20, 30}},
      {AV_PIX_FMT_ARGB, {40, 10, 20, 30}, {40, 10, 20, 30}},
      {AV_PIX_FMT_ABGR, {40, 30, 20, 10}, {40, 10, 20, 30}},
      {AV_PIX_FMT_RGB0, {10, 20, 30, 99}, {255, 10, 20, 30}},
      {AV_PIX_FMT_0BGR, {99, 30, 20, 10}, {255, 10, 20, 30}},
      {AV_PIX_FMT_GRAY8, {77}, {255, 77, 77, 77}},
  };
  for (const auto& [format, pixel, argb] : cases) {
    uint8_t out[4] = {};
    ASSERT_TRUE(vmhost::packToArgb(format, pixel.data(), 4, out, 4, 1, 1)) << av_get_pix_fmt_name(format);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 4), argb) << av_get_pix_fmt_name(format);
  }
  uint8_t out[4] = {};
  const uint8_t yuv[4] = {};
  EXPECT_FALSE(vmhost::packToArgb(AV_PIX_FMT_YUV420P, yuv, 4, out, 4, 1, 1));
}

// Random odd-sized pictures with padded rows survive ARGB and back unchanged.
TEST(PackToArgb, RoundTripsPaddedOddPicturesExactly) {
  for (AVPixelFormat format : {AV_PIX_FMT_RGB24, AV_PIX_FMT_RGBA, AV_PIX_FMT_BGRA}) {
    const int width = 13, height = 7, bytes = format == AV_PIX_FMT_RGB24 ? 3 : 4;
    const int stride = width * bytes + 32, rowBytes = width * 4 + 32;
    std::vector<uint8_t> picture(static_cast<size_t>(stride) * height);
    for (size_t i = 0; i < picture.size(); ++i) picture[i] = static_cast<uint8_t>((i * 2654435761u) >> 13);
    std::vector<uint8_t> argb(static_cast<size_t>(rowBytes) * height, 0xEE);
    std::vector<uint8_t> back(picture.size(), 0);
    ASSERT_TRUE(vmhost::packToArgb(format, picture.data(), stride, argb.data(), rowBytes, width, height));
    ASSERT_TRUE(vmhost::unpackArgb(argb.data(), rowBytes, format, back.data(), stride, width, height));
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width * bytes; ++x)
        ASSERT_EQ(back[y * stride + x], picture[y * stride + x]) << av_get_pix_fmt_name(format) << " " << x << "," << y;
    // Row padding of the ARGB buffer is never written.
    EXPECT_EQ(argb[width * 4], 0xEE);
  }
}

TEST(ResultName, NamesTheInterfaceCodes) {
  const std::pair<int, const char*> names[] = {
      {0, "kPluginOK (0)"},     {3, "kPluginBadParams (3)"},     {4, "kPluginOutOfMemory (4)"},
      {6, "kPluginFailed (6)"}, {10, "kPluginAppIsTooOld (10)"}, {42, "code 42"}};
  for (const auto& [code, name] : names) EXPECT_EQ(vmhost::resultName(code), name);
}

TEST(ProgressBar, ShowsFramesRateAndTimeLeft) {
  EXPECT_EQ(vmhost::ProgressBar::line(30, 120, 2.0),
            "[#######.......................] 30/120 frames  15.0 fps  0:06 left");
  EXPECT_EQ(vmhost::ProgressBar::line(0, 10, 0.0), "[..............................] 0/10 frames  0.0 fps  --:-- left");
  EXPECT_EQ(vmhost::ProgressBar::line(1, 10000, 1.0).substr(32), " 1/10000 frames  1.0 fps  2:46:39 left");
  EXPECT_EQ(vmhost::ProgressBar::line(50, 50, 75.0, true).substr(32), " 50/50 frames  0.7 fps  done in 1:15");
}

}  // namespace
