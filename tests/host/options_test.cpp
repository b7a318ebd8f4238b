#include "host/cli/options.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

std::vector<std::string> words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> out;
  for (std::string w; in >> w;) out.push_back(w);
  return out;
}

vmhost::Options parsed(const std::string& line) {
  vmhost::Options o;
  std::string error;
  EXPECT_TRUE(vmhost::parseOptions(words(line), o, error)) << line << ": " << error;
  return o;
}

TEST(ParseOptions, ReadsEveryOption) {
  auto o = parsed("render in.mp4 out.mkv --fade-in 3 --fade-out=4 --start 5 --frames 6 --size 320x240 --draft "
                  "--lossless --plugin /x/B.bundle --quiet");
  EXPECT_EQ(o.command, vmhost::Command::Render);
  EXPECT_EQ((std::vector<std::string>{o.input, o.output, o.plugin}),
            (std::vector<std::string>{"in.mp4", "out.mkv", "/x/B.bundle"}));
  const vmhost::Size2 size = o.size.value_or(vmhost::Size2{});
  EXPECT_EQ((std::vector<int>{o.fadeIn, o.fadeOut, o.start, o.frames.value_or(-1), size.width, size.height}),
            (std::vector<int>{3, 4, 5, 6, 320, 240}));
  EXPECT_TRUE(o.draft && o.lossless && o.quiet && !o.overwrite);
  o = parsed("render in.mp4 - --fade-in 1.5s --fade-out=0.25s -y --format nut --video-codec libx265 --crf 18.5 "
             "--preset slow --pix-fmt yuv422p --audio-codec flac --audio-bitrate 1.5M");
  EXPECT_EQ((std::vector<double>{o.fadeInSeconds, o.fadeOutSeconds, o.crf.value_or(-1)}),
            (std::vector<double>{1.5, 0.25, 18.5}));
  EXPECT_EQ((std::vector<std::string>{o.output, o.format, o.videoCodec, o.preset, o.pixFmt, o.audioCodec}),
            (std::vector<std::string>{"-", "nut", "libx265", "slow", "yuv422p", "flac"}));
  EXPECT_TRUE(o.audioBitrate == 1500000 && o.overwrite && parsed("render a b --overwrite").overwrite);
  o = parsed("settings --settings p.prefs --strength 0 --rect 0.25,0,1,0.5 --media-type hd --keep-proportions yes "
             "--reset");
  EXPECT_EQ(o.command, vmhost::Command::Settings);
  EXPECT_EQ(o.settings, "p.prefs");
  EXPECT_EQ(o.strength, 0);
  EXPECT_EQ(o.rect, (std::array<double, 4>{0.25, 0, 1, 0.5}));
  EXPECT_TRUE(o.mediaType == 3 && o.keepProportions == true && o.reset);
  EXPECT_EQ(parsed("thumbnail a.mov t.png --strength 100 --rect=0,0,1,1").strength, 100);
  o = parsed("thumbnail a.mov t.png --at 12 --size 64x48");
  EXPECT_TRUE(o.command == vmhost::Command::Thumbnail && o.at == 12);
  o = parsed("configure clip.mp4 --at 7");
  EXPECT_TRUE(o.command == vmhost::Command::Configure && o.input == "clip.mp4" && o.at == 7);
  o = parsed("info --plugin p.so");
  EXPECT_TRUE(o.command == vmhost::Command::Info && o.plugin == "p.so");
  EXPECT_TRUE(parsed("render --help").help && parsed("configure a.mov -h").help);
  EXPECT_EQ(parsed("--version").command, vmhost::Command::Version);
}

TEST(ParseOptions, NamesWhatIsWrong) {
  const std::pair<const char*, const char*> cases[] = {  // the line, its error
      {"", "no command given (render, thumbnail, info, configure or settings; see velmorance --help)"},
      {"paint a b", "unknown command 'paint' (render, thumbnail, info, configure or settings; see velmorance --help)"},
      {"render a b --speed 2", "unknown option '--speed' for render (see velmorance render --help)"},
      {"thumbnail a b.png --fade-in 2", "unknown option '--fade-in' for thumbnail (see velmorance thumbnail --help)"},
      {"render a b --frames", "--frames needs a value"},
      {"render a b --frames -1", "--frames '-1' is not a whole number of frames (0 or more)"},
      {"render a b --start 1.5", "--start '1.5' is not a whole number of frames (0 or more)"},
      {"render a b --size 640", "--size '640' is not a size such as 640x360 (1 to 32767 each way)"},
      {"render a b --size 0x10", "--size '0x10' is not a size such as 640x360 (1 to 32767 each way)"},
      {"render a b --size 40000x10", "--size '40000x10' is not a size such as 640x360 (1 to 32767 each way)"},
      {"render a b --draft=1", "--draft takes no value"},
      {"render a b --fade-in 1.5m", "--fade-in '1.5m' is not a whole number of frames (0 or more) or seconds such as "
                                    "1.5s"},
      {"render a b --crf -3", "--crf '-3' is not a number (0 or more)"},
      {"render a b --audio-bitrate 12q", "--audio-bitrate '12q' is not a bit rate such as 192k or 128000"},
      {"thumbnail a b.png --crf 3", "unknown option '--crf' for thumbnail (see velmorance thumbnail --help)"},
      {"render a", "render needs an OUTPUT after the INPUT (see velmorance render --help)"},
      {"render", "render needs an INPUT and an OUTPUT (see velmorance render --help)"},
      {"render a b c", "render: unexpected argument 'c'"},
      {"info x", "info takes no file names ('x' given)"},
      {"configure", "configure needs an INPUT (see velmorance configure --help)"},
      {"configure a b", "configure: unexpected argument 'b'"},
      {"configure a --size 10x10", "unknown option '--size' for configure (see velmorance configure --help)"},
      {"configure a --strength 5", "unknown option '--strength' for configure (see velmorance configure --help)"},
      {"settings x", "settings takes no file names ('x' given)"},
      {"settings --settings=", "--settings needs a file name"},
      {"render a b --strength 101", "--strength '101' is not a strength from 0 to 100"},
      {"render a b --strength -1", "--strength '-1' is not a strength from 0 to 100"},
      {"render a b --rect 0,0,1", "--rect '0,0,1' is not four fractions L,T,R,B (left, top, right, bottom) such as "
                                  "0,0,0.5,1"},
      {"render a b --rect 0,0,1,1,1", "--rect '0,0,1,1,1' is not four fractions L,T,R,B (left, top, right, bottom) "
                                      "such as 0,0,0.5,1"},
      {"render a b --rect 0,a,1,1", "--rect '0,a,1,1' is not four fractions L,T,R,B (left, top, right, bottom) such "
                                    "as 0,0,0.5,1"},
      {"render a b --rect 0,0,1.5,1",
       "--rect '0,0,1.5,1': 1.5 is outside 0 to 1 (fractions of the frame's width and height)"},
      {"render a b --rect 0.5,0,0.5,1", "--rect '0.5,0,0.5,1': left is not less than right"},
      {"render a b --rect 0,0.9,1,0.1", "--rect '0,0.9,1,0.1': top is not less than bottom"},
      {"settings --media-type NTSC", "--media-type 'NTSC' is not ntsc, pal or hd"},
      {"settings --keep-proportions 1", "--keep-proportions '1' is not yes or no"},
  };
  for (const auto& [line, message] : cases) {
    vmhost::Options o;
    std::string error;
    EXPECT_FALSE(vmhost::parseOptions(words(line), o, error)) << line;
    EXPECT_EQ(error, message) << line;
  }
}

}  // namespace
