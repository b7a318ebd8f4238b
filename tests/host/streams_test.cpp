// End-to-end renders checked for what a movie keeps besides the rendered
// picture and sound: other streams, chapters and tags; containers and
// encoders by extension and option; standard output; damaged sound.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <iterator>
#include <cstring>
#include <fstream>
#include <sstream>

#include "tests/host/test_media.h"

namespace {

using vmtest::ScratchDir;

// One second at 25 frames: video, 5.1 sound (English, default), a second
// mono track (French) from 0.2 s, mov_text subtitles (German), two chapters,
// a title and an artist.
std::string makeRichClip(const ScratchDir& dir) {
  std::ofstream(dir.path("s.srt")) << "1\n00:00:00,000 --> 00:00:00,500\nHello\n\n"
                                      "2\n00:00:00,600 --> 00:00:00,900\nWorld\n";
  std::ofstream(dir.path("meta.txt")) << ";FFMETADATA1\ntitle=Clip title\nartist=Someone\n[CHAPTER]\nTIMEBASE=1/1000\n"
                                         "START=0\nEND=500\ntitle=One\n[CHAPTER]\nTIMEBASE=1/1000\nSTART=500\n"
                                         "END=1000\ntitle=Two\n";
  const std::string clip = dir.path("rich.mp4");
  const bool made = vmtest::ffmpeg(
      "-f lavfi -i testsrc=s=64x48:r=25:d=1 -f lavfi -i sine=f=440:d=1 -itsoffset 0.2 -f lavfi -i sine=f=660:d=0.8 "
      "-i '" + dir.path("s.srt") + "' -i '" + dir.path("meta.txt") +
      "' -map 0 -map 1 -map 2 -map 3 -map_metadata 4 -map_chapters 4 -filter:a:0 aformat=channel_layouts=5.1 "
      "-c:v libx264 -pix_fmt yuv420p -c:a aac -c:s mov_text -metadata:s:a:0 language=eng -metadata:s:a:1 "
      "language=fra -metadata:s:s:0 language=deu -disposition:a:1 0 -disposition:s:0 default '" + clip + "'");
  return made ? clip : "";
}

// ffprobe's answer without the lines of side data.
std::string plainProbe(const std::string& path, const std::string& query) {
  std::istringstream in(vmtest::probe(path, query));
  std::string out;
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) out += line.substr(0, line.find_last_not_of(',') + 1) + "\n";
  return out;
}

// The subtitle cues as "start-end" seconds from the first video frame: the
// containers may move all streams alike.
std::string cues(const std::string& path) {
  const double video = std::stod(vmtest::probe(path, "-select_streams v:0 -show_entries stream=start_time"));
  std::istringstream in(vmtest::probe(path, "-select_streams s:0 -show_entries packet=pts_time,duration_time"));
  std::string out;
  char text[64];
  for (double start = 0, length = 0; in >> start && in.ignore(1) && in >> length;) {
    std::snprintf(text, sizeof text, "%.2f-%.2f ", start - video, start + length - video);
    out += text;
  }
  return out;
}

TEST(Streams, EveryOtherStreamChapterAndTagIsKept) {
  ScratchDir dir;
  const std::string clip = makeRichClip(dir);
  ASSERT_FALSE(clip.empty());
  const std::string query = "-show_entries stream=index,codec_name,codec_type,channels:stream_disposition=default:"
                            "stream_tags=language";
  const std::string secondTrack = plainProbe(clip, "-select_streams a:1 -show_entries packet=size");
  // Output: each stream's index, codec, kind, channels, default and language;
  // the subtitles from the first frame, in seconds.
  const std::tuple<const char*, const char*, const char*> cases[] = {
      {"out.mkv", "0,h264,video,1\n1,aac,audio,6,1,eng\n2,aac,audio,1,0,fra\n3,ass,subtitle,1,deu\n",
       "0.00-0.50 0.60-0.90 "},
      // MP4 writes its chapters as a track of its own.
      {"out.mp4",
       "0,h264,video,1,und\n1,aac,audio,6,1,eng\n2,aac,audio,1,0,fra\n3,mov_text,subtitle,1,deu\n4,bin_data,data,0,eng\n",
       "0.00-0.50 0.50-0.60 0.60-0.90 "},
      // WebM takes no AAC: the French track is encoded anew.
      {"out.webm", "0,vp9,video,1\n1,opus,audio,6,1,eng\n2,opus,audio,1,0,fra\n3,webvtt,subtitle,1,deu\n",
       "0.00-0.50 0.60-0.90 "},
  };
  for (const auto& [output, streams, subtitles] : cases) {
    const std::string out = dir.path(output);
    const auto run = vmtest::runFake("render " + clip + " " + out);
    ASSERT_EQ(run.status, 0) << output << run.err;
    EXPECT_EQ(run.out, out + ": 25 frames, 64x48, 1 audio, 1 subtitle stream copied\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(vmtest::probe(out, query), streams) << output;
    EXPECT_EQ(vmtest::probe(out, "-show_entries chapter=start_time,end_time:chapter_tags=title:format_tags=title,"
                                 "artist"),
              "0.000000,0.500000,One\n0.500000,1.000000,Two\nClip title,Someone\n")
        << output;
    EXPECT_EQ(cues(out), subtitles) << output;
    const auto text = vmtest::runShell("ffmpeg -v error -i '" + out + "' -map 0:s:0 -f srt -").out;
    EXPECT_TRUE(text.find("\nHello\n") != std::string::npos && text.find("\nWorld\n") != std::string::npos) << text;
    if (std::string(output) != "out.webm") {  // the French track, packet for packet
      EXPECT_EQ(plainProbe(out, "-select_streams a:1 -show_entries packet=size"), secondTrack) << output;
    } else {  // where and how long ffmpeg's own conversion puts it
      const std::string reference = dir.path("ffmpeg.webm"), span = "-select_streams a:1 -show_entries "
                                                                    "stream=start_time:stream_tags=DURATION";
      ASSERT_TRUE(vmtest::ffmpeg("-i '" + clip + "' -map 0:a '" + reference + "'"));
      EXPECT_EQ(vmtest::probe(out, span), vmtest::probe(reference, span));
    }
  }
}

// A jump in a track's clock stays a gap when the track is encoded anew, as in
// ffmpeg's own conversion, instead of minutes of silence.
TEST(Streams, SoundEncodedAnewKeepsAJumpInItsClock) {
  ScratchDir dir;
  const std::string clip = dir.path("jump.mkv"), out = dir.path("out.webm"), reference = dir.path("ffmpeg.webm");
  ASSERT_TRUE(vmtest::ffmpeg("-f lavfi -i testsrc=s=64x48:r=25:d=1 -f lavfi -i sine=d=1 -f lavfi -i sine=f=660:d=1 "
                             "-map 0 -map 1 -map 2 -filter:a:1 \"asetpts='PTS+gte(T,0.5)*100/TB'\" -c:v libx264 "
                             "-pix_fmt yuv420p -c:a aac '" + clip + "'"));
  ASSERT_EQ(vmtest::runFake("render " + clip + " " + out + " --quiet").status, 0);
  ASSERT_TRUE(vmtest::ffmpeg("-i '" + clip + "' -map 0 '" + reference + "'"));
  // Packets, and the times of the last one before the gap and the first after.
  const auto gap = [](const std::string& path) {
    std::istringstream in(vmtest::probe(path, "-select_streams a:1 -show_entries packet=pts_time"));
    std::vector<double> times{std::istream_iterator<double>(in), {}};
    const auto after = std::find_if(times.begin(), times.end(), [](double t) { return t > 50; });
    return std::array{double(times.size()), after == times.begin() ? 0 : after[-1], after == times.end() ? 0 : *after};
  };
  const auto ours = gap(out), ffmpegs = gap(reference);
  EXPECT_NEAR(ours[0], ffmpegs[0], 2);
  EXPECT_NEAR(ours[1], ffmpegs[1], 0.03);
  EXPECT_NEAR(ours[2], ffmpegs[2], 0.03);
}

// The container follows the extension, with its default encoders or the
// ones the options name.
TEST(Streams, ContainersAndEncodersFollowTheOutputAndTheOptions) {
  ScratchDir dir;
  const std::string clip = dir.path("in.mp4");
  ASSERT_TRUE(vmtest::ffmpeg("-f lavfi -i color=c=0x3060C0:s=64x48:r=25:d=0.4 -f lavfi -i sine=d=0.4 -f lavfi -i "
                             "sine=f=880:d=0.4 -map 0 -map 1 -map 2 -ac 2 -pix_fmt yuv420p -timecode 01:02:03:04 '" +
                             clip + "'"));
  // Output, options: the codec and pixel format of each stream (the first picture's).
  const std::tuple<const char*, const char*, const char*> cases[] = {
      {"out.webm", "", "vp9,yuv420p\nopus\n"},
      {"out.avi", "", "h264,yuv420p\naac\n"},
      {"out.ts", "", "h264,yuv420p\naac\n"},
      {"out.mov", "--video-codec prores_ks --audio-codec pcm_s16le", "prores,yuv422p10le\npcm_s16le\n"},
      {"out.mkv", "--video-codec libx265 --crf 30 --preset fast --audio-codec flac", "hevc,yuv420p\nflac\n"},
      {"out.mp4", "--pix-fmt yuv444p --audio-bitrate 96k", "h264,yuv444p\naac\n"},
      {"out.gif", "", "gif,bgra\n"},
      {"out_%02d.jpg", "--frames 2", "mjpeg,yuvj444p\n"},
      {"out_%02d.tif", "--frames 2", "tiff,rgb24\n"},
  };
  std::string notes;
  for (const auto& [output, options, streams] : cases) {
    const std::string out = dir.path(output);
    const auto run = vmtest::runFake("render " + clip + " " + out + " --quiet " + options);
    ASSERT_TRUE(vmtest::succeeded(run)) << output;
    std::istringstream lines(run.err);  // without the leak checker's report on libx265
    for (std::string line; std::getline(lines, line);)
      if (line.rfind("velmorance: ", 0) == 0) notes += line + "\n";
    // MPEG-TS lists its streams again in its program.
    EXPECT_EQ(plainProbe(out, "-show_entries stream=codec_name,pix_fmt").substr(0, std::strlen(streams)), streams)
        << output;
  }
  // The timecode track lives on as the video's timecode where a container has
  // one; a GIF holds no sound, nor any other stream.
  EXPECT_EQ(notes, vmtest::expand("velmorance: $.avi: stream 3 (tmcd data) dropped: the avi container cannot hold it\n"
                                  "velmorance: $.gif: stream 1 (the sound) dropped: the gif container holds no sound\n"
                                  "velmorance: $.gif: stream 2 (aac audio) dropped: the gif container cannot hold it\n"
                                  "velmorance: $.gif: stream 3 (tmcd data) dropped: the gif container cannot hold it\n",
                                  dir.path("out")));
  for (const char* output : {"out.webm", "out.mov", "out.mkv", "out.mp4"})
    EXPECT_EQ(vmtest::probe(dir.path(output), "-select_streams v:0 -show_entries stream_tags=timecode"),
              "01:02:03:04\n") << output;
  EXPECT_NEAR(std::stod(vmtest::probe(dir.path("out.mp4"), "-select_streams a -show_entries stream=bit_rate")), 96000,
              8000);
  // A GIF of few colours holds the rendered frames exactly.
  ASSERT_TRUE(vmtest::succeeded(vmtest::runFake("render " + clip + " " + dir.path("out_%02d.png") + " --quiet")));
  const auto pictures = vmtest::decodeRgb(dir.path("out_%02d.png"));
  EXPECT_EQ(pictures.size(), 10u * 64 * 48 * 3);
  EXPECT_EQ(vmtest::decodeRgb(dir.path("out.gif")), pictures);
}

// "-" writes to a pipe while the progress and summary go to standard
// error.
TEST(Streams, StandardOutput) {
  ScratchDir dir;
  const std::string clip = dir.path("in.mp4");
  ASSERT_TRUE(vmtest::ffmpeg("-f lavfi -i testsrc=s=64x48:r=25:d=0.4 -f lavfi -i sine=d=0.4 -pix_fmt yuv420p '" +
                             clip + "'"));
  for (const char* format : {"matroska", "mp4"}) {
    const std::string piped = dir.path(std::string("piped.") + format), err = dir.path("err.txt");
    const auto run = vmtest::runShell("{ (" VELMORANCE_BIN " render " + clip + " - --format " + format +
                                      " --plugin " FAKE_PLUGIN " 2>" + err + " || echo failed >&2) | cat > " + piped +
                                      "; }");
    EXPECT_EQ(run.err, "") << format;
    EXPECT_EQ(vmtest::readText(err), "-: 10 frames, 64x48\n");
    EXPECT_EQ(vmtest::probe(piped, "-count_frames -show_entries stream=codec_name,nb_read_frames"),
              "h264,10\naac,19\n")
        << format;
  }
}

// Three sound packets of a 100-frame clip overwritten: the render goes on
// to the end, the lost sound is silence in its place, the rest keeps its
// time, and one line says so, without FFmpeg's own. (No noise substitution
// in the AAC: its decoder's noise would follow another course after the
// damage.)
TEST(Streams, DamagedSoundIsSkippedInPlace) {
  ScratchDir dir;
  const std::string clip = dir.path("in.mp4"), out = dir.path("out.mkv");
  ASSERT_TRUE(vmtest::ffmpeg("-f lavfi -i testsrc=s=64x48:r=25:d=4 -f lavfi -i sine=f=440:r=48000:d=4 -ac 2 "
                             "-c:v libx264 -pix_fmt yuv420p -c:a aac -aac_pns 0 '" + clip + "'"));
  const auto whole = vmtest::decodeAudio(clip);
  std::istringstream packets(plainProbe(clip, "-select_streams a -show_entries packet=pts,size,pos"));
  std::vector<std::array<int64_t, 3>> table;  // time, size, place in the file
  for (std::array<int64_t, 3> p{}; packets >> p[0] && packets.ignore(1) >> p[1] && packets.ignore(1) >> p[2];)
    table.push_back(p);
  ASSERT_GT(table.size(), 100u);
  auto bytes = readBytes(clip);
  for (size_t k : {40, 41, 70}) std::fill_n(bytes.begin() + table[k][2], table[k][1], 0xFF);
  writeBytes(clip, bytes);

  const auto run = vmtest::runFake("render " + clip + " " + out + " --lossless --quiet");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "velmorance: " + clip + ": audio: 3 damaged packets skipped\n");
  const auto sound = vmtest::decodeAudio(out);
  ASSERT_EQ(sound.size(), 100u * 1920 * 2);
  // Silent where the packets were lost; as before, a frame of overlap on,
  // where the decoder has recovered.
  const int64_t lost[2][2] = {{table[40][0], table[42][0]}, {table[70][0], table[71][0]}};
  size_t loud = 0, changed = 0;
  for (int64_t i = 0; i < static_cast<int64_t>(sound.size()) / 2; ++i) {
    bool inside = false, near = false;
    for (const auto& span : lost) {
      inside = inside || (i >= span[0] && i < span[1]);
      near = near || (i >= span[0] - 1024 && i < span[1] + 2048);
    }
    for (int c = 0; c < 2; ++c) {
      if (inside && sound[2 * i + c] != 0) ++loud;
      if (!near && std::abs(sound[2 * i + c] - whole[2 * i + c]) > 1) ++changed;
    }
  }
  EXPECT_EQ(loud, 0u);
  EXPECT_EQ(changed, 0u);
}

}  // namespace
