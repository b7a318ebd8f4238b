// End-to-end renders of footage as people shoot it, made at test time with
// FFmpeg's own encoders and checked with ffprobe and pixel values: colour
// matrices and ranges, turned and non-square frames, variable frame rates,
// streams, chapters and tags, containers and encoders. The test plug-in
// inverts red, green and blue, so an output pixel p stands for 255 - p.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "tests/host/test_media.h"

namespace {

using vmtest::ScratchDir;

// FFmpeg's most exact conversion to RGB, the reference for ours.
const std::string kAccurate = "-sws_flags bicubic+accurate_rnd+full_chroma_int";

// Largest difference between `reference` and the inverse of `rendered`,
// leaving out pixels within `margin` of the middle lines, where colours
// meet and chroma interpolations differ.
int worstInverted(const std::vector<uint8_t>& reference, const std::vector<uint8_t>& rendered, int width, int margin) {
  if (reference.size() != rendered.size() || reference.empty()) return 256;
  const int height = static_cast<int>(reference.size() / 3 / width);
  int worst = 0;
  for (size_t i = 0; i < reference.size(); ++i) {
    const int x = static_cast<int>(i / 3 % width), y = static_cast<int>(i / 3 / width % height);
    if (std::abs(x - width / 2) < margin || std::abs(y - height / 2) < margin) continue;
    worst = std::max(worst, std::abs(reference[i] - (255 - rendered[i])));
  }
  return worst;
}

// Three flat frames as 4:2:0 YUV: a grey (luma 126), white (235) and an
// orange, encoded losslessly with `tags`.
bool makeFlatClip(const std::string& path, int w, int h, const std::string& tags) {
  std::vector<uint8_t> raw;
  for (const auto [y, u, v] : {std::array<uint8_t, 3>{126, 128, 128}, {235, 128, 128}, {131, 89, 162}}) {
    raw.insert(raw.end(), static_cast<size_t>(w) * h, y);
    raw.insert(raw.end(), static_cast<size_t>(w) * h / 4, u);
    raw.insert(raw.end(), static_cast<size_t>(w) * h / 4, v);
  }
  writeBytes(path + ".yuv", raw);
  return vmtest::ffmpeg("-f rawvideo -pix_fmt yuv420p -s " + std::to_string(w) + "x" + std::to_string(h) +
                        " -r 25 -i '" + path + ".yuv' -c:v libx264 -qp 0 " + tags + " '" + path + "'");
}

// Untouched pixels match ffmpeg's own exact conversion within 1 through a
// lossless encode, and the colour tags stay. (Our conversion on the way in
// alone: PictureConverter.YuvToArgbMatchesSwscalesAccurateConversion.)
TEST(Footage, ColoursFollowTheStreamsMatrixAndRange) {
  // Name, tags: the range, matrix, transfer and primaries of the render. An
  // untagged stream's guess is written (the guesses by size:
  // PictureConverter.UntaggedPicturesAreGuessedByTheirSize).
  const std::tuple<const char*, const char*, const char*> cases[] = {
      {"BT.601 limited", "-colorspace smpte170m -color_range tv", "tv,smpte170m,unknown,unknown"},
      {"BT.709 full", "-colorspace bt709 -color_range pc", "pc,bt709,unknown,unknown"},
      {"BT.2020 PQ", "-colorspace bt2020nc -color_primaries bt2020 -color_trc smpte2084",
       "tv,bt2020nc,smpte2084,bt2020"},
      {"untagged", "", "tv,bt470bg,unknown,unknown"},
  };
  for (const auto& [name, tags, outputTags] : cases) {
    ScratchDir dir;
    const std::string in = dir.path("in.mp4");
    ASSERT_TRUE(makeFlatClip(in, 64, 48, tags)) << name;
    const auto reference = vmtest::decodeRgb(in, kAccurate);
    ASSERT_TRUE(vmtest::succeeded(vmtest::runFake("render " + in + " " + dir.path("out.mkv") + " --crf 0"))) << name;
    EXPECT_EQ(vmtest::probe(dir.path("out.mkv"), "-show_entries stream=color_range,color_space,color_transfer,"
                                                 "color_primaries"),
              std::string(outputTags) + "\n")
        << name;
    EXPECT_LE(worstInverted(reference, vmtest::decodeRgb(dir.path("out.mkv"), kAccurate), 64, 0), 1) << name;
  }
}

// Four flat quadrants, 64x48, as ten frames of 4:2:0 H.264 with pixels of
// `aspect`, turned `degrees` by its display matrix, as a phone does.
std::string makeQuadrants(const ScratchDir& dir, int degrees, const std::string& aspect) {
  std::vector<uint8_t> rgb;
  const uint8_t colours[4][3] = {{200, 30, 30}, {30, 200, 30}, {30, 30, 200}, {220, 220, 40}};
  for (int i = 0; i < 64 * 48; ++i) {
    const uint8_t* c = colours[(i >= 64 * 24) * 2 + (i % 64 >= 32)];
    rgb.insert(rgb.end(), c, c + 3);
  }
  writeBytes(dir.path("quad.rgb"), rgb);
  const std::string clip = dir.path("quad.mp4");
  return vmtest::ffmpeg("-stream_loop 9 -f rawvideo -pix_fmt rgb24 -s 64x48 -r 25 -i '" + dir.path("quad.rgb") +
                        "' -vf setsar=" + aspect + " -pix_fmt yuv420p -qp 0 '" + dir.path("flat.mp4") + "'") &&
                 vmtest::ffmpeg("-i '" + dir.path("flat.mp4") + "' -c copy -metadata:s:v:0 rotate=" +
                                std::to_string(degrees) + " '" + clip + "'")
             ? clip
             : "";
}

// Frames reach the plug-in upright, as ffmpeg shows them, for render and
// thumbnail; the output is upright without a matrix and keeps the pixel
// shape (a new size keeps the picture's).
TEST(Footage, FramesStandUprightAndKeepTheirPixelShape) {
  // Name, turn, pixel aspect, --size (or empty): width, height and pixel
  // aspect of the rendered movie.
  const std::tuple<const char*, int, const char*, const char*, const char*> cases[] = {
      {"turned 90", 90, "1", "", "48,64,1:1"},
      {"turned 270", 270, "1", "", "48,64,1:1"},
      {"SAR 8:9", 0, "8/9", "", "64,48,8:9"},
      {"SAR 8:9 at half width", 0, "8/9", "--size 32x48", "32,48,16:9"},
  };
  for (const auto& [name, degrees, aspect, size, output] : cases) {
    ScratchDir dir;
    const std::string clip = makeQuadrants(dir, degrees, aspect);
    ASSERT_FALSE(clip.empty()) << name;
    ASSERT_TRUE(vmtest::succeeded(vmtest::runFake("render " + clip + " " + dir.path("out.mp4") + " " + size))) << name;
    EXPECT_EQ(vmtest::probe(dir.path("out.mp4"), "-select_streams v -show_entries stream=width,height,"
                                                 "sample_aspect_ratio"),
              std::string(output) + "\n")
        << name;
    EXPECT_EQ(vmtest::probe(dir.path("out.mp4"), "-show_streams").find("rotation"), std::string::npos) << name;
    if (*size != 0) continue;
    const auto reference = vmtest::decodeRgb(clip, "-frames:v 1 " + kAccurate);
    const int width = degrees % 180 == 90 ? 48 : 64;
    for (const std::string& command : {"render " + clip + " " + dir.path("one.png") + " --frames 1 -y",
                                      "thumbnail " + clip + " " + dir.path("one.png") + " -y"}) {
      ASSERT_TRUE(vmtest::succeeded(vmtest::runFake(command))) << name;
      EXPECT_LE(worstInverted(reference, vmtest::decodeRgb(dir.path("one.png")), width, 5), 1) << command;
    }
  }
}

// A variable-rate clip: 50 frames at 12 a second, then 40 at 30, frame N
// painted grey 2N. Every frame comes out once, in order, at its own time,
// and the last one lasts as long as in the source.
// The MKV has no frame count in its header: its frames are counted by
// decoding, once, and the times kept for the next run.
TEST(Footage, VariableRateFramesKeepTheirTimes) {
  for (const auto& [ext, cached] : {std::pair{"mkv", 1}, std::pair{"mp4", 0}}) {
    ScratchDir dir;
    const std::string in = dir.path(std::string("in.") + ext), out = dir.path(std::string("out.") + ext);
    ASSERT_TRUE(vmtest::ffmpeg("-f lavfi -i \"color=black:s=64x48:r=30:d=3,format=gray,geq=lum='N*2'\" "
                               "-vf \"setpts='if(lt(N,50),N/12,50/12+(N-50)/30)/TB'\" -fps_mode vfr "
                               "-pix_fmt yuv420p -c:v libx264 -qp 0 '" + in + "'"));
    const std::string times = vmtest::probe(in, "-show_entries frame=pts_time");
    for (int pass = 0; pass < 2; ++pass) {
      const auto run = vmtest::runFake("render " + in + " " + out + " -y", "XDG_CACHE_HOME=" + dir.path("") + " ");
      ASSERT_EQ(run.status, 0) << ext << run.err;
      EXPECT_EQ(run.out, out + ": 90 frames, 64x48\n");
      EXPECT_EQ(vmtest::probe(out, "-show_entries frame=pts_time"), times) << ext << " pass " << pass;
      const char* length = "-select_streams v -show_entries stream=duration:stream_tags=DURATION";
      EXPECT_EQ(vmtest::probe(out, length), vmtest::probe(in, length)) << ext;
    }
    const std::filesystem::path cache = dir.path("velmorance");
    EXPECT_EQ(std::filesystem::exists(cache) ? std::distance(std::filesystem::directory_iterator(cache), {}) : 0,
              cached)
        << ext;
    // The last frame at about 50/12 + 39/30 seconds, not 89/30 as at a constant rate.
    EXPECT_NE(times.find("\n5.4"), std::string::npos) << ext << " is no variable-rate clip:\n" << times;
    const auto pixels = vmtest::decodeRgb(out);
    ASSERT_EQ(pixels.size(), 90u * 64 * 48 * 3) << ext;
    for (int f = 0; f < 90; ++f) EXPECT_NEAR(pixels[f * 64 * 48 * 3 + 1000], 255 - 2 * f, 2) << ext << " frame " << f;
  }
}

}  // namespace
