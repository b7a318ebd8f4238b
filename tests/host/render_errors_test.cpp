// Bad inputs and outputs: each gives one clear message naming the culprit,
// exit status 1, no crash and no output file.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "tests/host/test_media.h"

namespace {

using vmtest::ScratchDir;

// Each run of arguments ends with status 1 and its message (after
// "velmorance: ") as the last line of standard error: FFmpeg's own error
// line, if any, comes before ours. $ stands for the scratch folder in both.
void expectRefused(const std::vector<std::pair<const char*, std::string>>& cases, const std::string& dir,
                   const std::string& suffix = " --plugin " FAKE_PLUGIN) {
  for (const auto& [args, text] : cases) {
    const auto run = vmtest::runShell(VELMORANCE_BIN " " + vmtest::expand(args, dir) + suffix);
    const std::string message = "velmorance: " + vmtest::expand(text, dir) + "\n";
    EXPECT_EQ(run.status, 1) << args;
    EXPECT_TRUE(run.err == message || run.err.ends_with("\n" + message)) << args << "\n" << run.err;
  }
}

TEST(RenderErrors, EachBadInputGetsAClearMessage) {
  ScratchDir scratch;
  const std::string dir = scratch.path();
  ASSERT_TRUE(vmtest::ffmpeg("-f lavfi -i testsrc=s=32x24:r=10:d=2 -pix_fmt yuv420p '" + dir + "/clip.mp4'"));
  ASSERT_TRUE(vmtest::ffmpeg("-f lavfi -i sine=d=0.5 '" + dir + "/sound.m4a'"));
  const auto clip = readBytes(dir + "/clip.mp4");
  writeBytes(dir + "/cut.mp4", std::vector<uint8_t>(clip.begin(), clip.begin() + clip.size() / 2));
  writeBytes(dir + "/empty.mp4", {});
  std::ofstream(dir + "/notes.mp4") << "shopping list: milk, eggs\n";
  std::ofstream(dir + "/afile") << "x";
  ASSERT_TRUE(vmtest::writePng(dir + "/odd.png", vmtest::randomBytes(7 * 5 * 3, 3), 7, 5));
  // A picture sequence with one number missing, and outputs already there.
  ASSERT_TRUE(vmtest::ffmpeg("-f lavfi -i testsrc=s=16x16:r=10:d=0.9 '" + dir + "/in_%04d.png'"));
  std::filesystem::remove(dir + "/in_0005.png");
  const std::vector<uint8_t> old = {'o', 'l', 'd'};
  for (const char* name : {"/old.mp4", "/old.png", "/seq_002.png"}) writeBytes(dir + name, old);
  const std::string types = " (use .mp4, .mov, .mkv, .webm, .avi, .ts, .gif, or .png, .tif, .jpg pictures)";
  expectRefused(
      {{"render $/missing.mp4 $/out.mp4", "$/missing.mp4: No such file or directory"},
       {"render $/empty.mp4 $/out.mp4", "$/empty.mp4: the file is empty"},
       {"render $/notes.mp4 $/out.mp4", "$/notes.mp4: cannot open as video or image (Invalid data found when "
                                        "processing input)"},
       {"render $/cut.mp4 $/out.mp4", "$/cut.mp4: cannot open as video or image (Invalid data found when processing "
                                      "input)"},
       {"render $/sound.m4a $/out.mp4", "$/sound.m4a: no video stream"},
       {"render $/clip.mp4 $/out.mp4 --frames 0", "--frames 0: nothing to render (give 1 or more)"},
       {"render $/clip.mp4 $/out.mp4 --start 20", "--start 20 is past the end: $/clip.mp4 has 20 frames (0 to 19)"},
       {"render $/clip.mp4 $/out.mp4 --start 15 --frames 10",
        "frames 15 to 24 are outside the clip: $/clip.mp4 has 20 frames (0 to 19)"},
       {"render $/clip.mp4 $/no/such/folder/out.mp4",
        "$/no/such/folder/out.mp4: cannot write there (No such file or directory)"},
       {"render $/clip.mp4 $/afile/out.mp4", "$/afile/out.mp4: cannot write there (Not a directory)"},
       {"render $/clip.mp4 $/out.xyz", "$/out.xyz: unknown output type '.xyz'" + types},
       {"render $/clip.mp4 $/out.mp3", "$/out.mp3: unknown output type '.mp3'" + types},
       {"render $/in_%04d.png $/out.mp4", "$/in_0005.png is missing (the sequence runs 0001\u20130009)"},
       {"render $/clip.mp4 $/old.mp4", "$/old.mp4 exists (add --overwrite to replace it)"},
       {"render $/clip.mp4 $/seq_%03d.png --frames 3", "$/seq_002.png exists (add --overwrite to replace it)"},
       {"thumbnail $/clip.mp4 $/old.png", "$/old.png exists (add --overwrite to replace it)"},
       {"render $/clip.mp4 -", "-: name the container for standard output with --format (matroska, nut, mpegts, ...)"},
       {"render $/clip.mp4 - --format nonesuch", "--format nonesuch: FFmpeg knows no such container"},
       {"render $/clip.mp4 $/out.mp4 --video-codec nonesuch",
        "--video-codec nonesuch: this FFmpeg has no video encoder of that name"},
       {"render $/clip.mp4 $/out.webm --video-codec libx264",
        "$/out.webm: the webm container cannot hold h264 video (choose another --video-codec)"},
       {"render $/clip.mp4 $/out.avi --video-codec mpeg4 --crf 20",
        "--crf: the mpeg4 encoder has no constant-quality setting"},
       {"render $/clip.mp4 $/out.mkv --pix-fmt rgb24",
        "--pix-fmt rgb24: the libx264 encoder takes yuv420p, yuv422p, yuv444p, nv12, nv16, nv21, yuv420p10le, "
        "yuv422p10le, yuv444p10le, nv20le, gray, gray10le"},
       {"render $/clip.mp4 $/out.png", "$/out.png: one picture cannot hold 20 frames (name a sequence such as "
                                       "out_%04d.png, or render --frames 1)"},
       {"render $/clip.mp4 $/out.mp4 --lossless", "$/out.mp4: lossless output is written as .mkv (or .png)"},
       {"render $/odd.png $/out.mp4", "$/out.mp4: yuv420p pictures need an even width and height, not 7x5 (pick one "
                                      "with --size, or write --lossless .mkv or .png)"},
       {"render $/clip.mp4 $/out.mp4 --fade-in", "--fade-in needs a value"},
       {"render $/clip.mp4 $/./clip.mp4", "$/./clip.mp4: the output would replace the input $/clip.mp4"},
       {"thumbnail $/clip.mp4 $/out.png --at 99", "--at 99 is past the end: $/clip.mp4 has 20 frames (0 to 19)"},
       {"thumbnail $/clip.mp4 $/out.jpg", "$/out.jpg: a thumbnail is written as .png"}}, dir);
  for (const char* name : {"out.mp4", "out.xyz", "out.png", "out.jpg", "out.webm", "out.avi", "out.mkv", "seq_001.png"})
    EXPECT_FALSE(std::filesystem::exists(dir + "/" + name)) << name;
  for (const char* name : {"/old.mp4", "/old.png", "/seq_002.png"}) EXPECT_EQ(readBytes(dir + name), old);
}

// Outputs that would lose data or land where they should not: each is
// refused before the first frame, --overwrite or not, and the folder is
// left exactly as it was.
TEST(RenderErrors, OutputNamesThatWouldHarmFilesAreRefused) {
  ScratchDir scratch;
  const std::string dir = scratch.path();
  ASSERT_TRUE(vmtest::ffmpeg("-f lavfi -i testsrc=s=16x16:r=10:d=0.3 '" + dir + "/in_%04d.png'"));
  std::filesystem::copy_file(dir + "/in_0001.png", dir + "/p_0001.png");
  std::filesystem::create_symlink(dir + "/p_0001.png", dir + "/link.png");
  std::filesystem::create_hard_link(dir + "/in_0002.png", dir + "/hard.png");
  for (const char* folder : {"/d1", "/d2", "/folder.mp4", "/f_2.png"}) std::filesystem::create_directory(dir + folder);
  ASSERT_EQ(mkfifo((dir + "/fifo.mp4").c_str(), 0600), 0);
  const auto before = vmtest::folderContents(dir);
  expectRefused(
      {{"render $/in_%04d.png $/in_%04d.png -y", "$/in_0001.png: the output would replace the input"},
       {"render $/p_0001.png $/p_%04d.png", "$/p_0001.png: the output would replace the input"},
       {"thumbnail $/p_0001.png $/p_0001.png -y", "$/p_0001.png: the output would replace the input"},
       {"thumbnail $/p_0001.png $/link.png -y", "$/link.png: the output would replace the input $/p_0001.png"},
       {"render $/in_%04d.png $/hard.png --start 1 --frames 1 -y",
        "$/hard.png: the output would replace the input $/in_0002.png"},
       {"render $/p_0001.png $/a%025d.png", "$/a%025d.png: the number field %025d is wider than 18 digits"},
       {"render $/in_%04d.png $/d%d/../x.png --frames 2", "$/d%d/../x.png: two frames would be written to one file, "
                                                         "$/x.png"},
       {"render $/p_0001.png $/folder.mp4 -y", "$/folder.mp4: is a folder (give the output a file name)"},
       {"render $/in_%04d.png $/f_%d.png -y", "$/f_2.png: is a folder (give the output a file name)"},
       {"render $/fifo.mp4 $/out.mp4", "$/fifo.mp4: is a pipe, not a file: the input must be a seekable file"},
       {"render /dev/stdin $/out.mp4", "/dev/stdin: is a device, not a file: the input must be a seekable file"},
       {"render - $/out.mp4", "-: standard input cannot be read: the input must be a seekable file (a file named - "
                              "is ./-)"}},
      dir);
  EXPECT_EQ(vmtest::folderContents(dir), before);
  // "--" ends the options: "--p.png" is the input and "-y.png" the output.
  std::filesystem::rename(dir + "/p_0001.png", dir + "/--p.png");
  const auto run = vmtest::runShell("cd '" + dir + "' && " + VELMORANCE_BIN + " thumbnail --plugin " + FAKE_PLUGIN +
                                    " -- --p.png -y.png");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(std::filesystem::exists(dir + "/-y.png"));
}

TEST(RenderErrors, ConfigureWithoutADisplaySaysSoBeforeOpeningAnything) {
  ScratchDir scratch;
  const auto run = vmtest::runShell("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " VELMORANCE_BIN
                                    " configure " + scratch.path("missing.mp4"));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "velmorance: configure opens a window and needs a display: none is set (DISPLAY, WAYLAND_DISPLAY or "
            "QT_QPA_PLATFORM); run it in a desktop session or under Xvfb (xvfb-run velmorance configure ...)\n");
}

// A file cut short after its header: the render stops at the first frame
// that is not there and names it.
TEST(RenderErrors, TruncatedMovieStopsAtTheMissingFrame) {
  ScratchDir scratch;
  ASSERT_TRUE(vmtest::ffmpeg("-f lavfi -i testsrc=s=64x48:r=10:d=6 -pix_fmt yuv420p -g 10 -movflags +faststart '" +
                             scratch.path("whole.mp4") + "'"));
  const auto whole = readBytes(scratch.path("whole.mp4"));
  writeBytes(scratch.path("cut.mp4"), std::vector<uint8_t>(whole.begin(), whole.begin() + whole.size() * 6 / 10));
  const auto run = vmtest::runFake("render " + scratch.path("cut.mp4") + " " + scratch.path("out.mp4"));
  EXPECT_EQ(run.status, 1);
  for (const std::string& part : std::vector<std::string>{"velmorance: " + scratch.path("cut.mp4") + ": frame ",
                                                          "(GetFrame: frame ", " cannot be decoded ("})
    EXPECT_NE(run.err.find(part), std::string::npos) << run.err;
  EXPECT_FALSE(std::filesystem::exists(scratch.path("out.mp4")));
}

TEST(RenderErrors, MissingOrBrokenPluginIsNamed) {
  ScratchDir scratch;
  const std::string dir = scratch.path();
  std::filesystem::create_directories(dir + "/Empty.bundle");
  std::ofstream(dir + "/bad.so") << "not a library";
  expectRefused({{"info --plugin $/Nothing.bundle",
                  "$/Nothing.bundle: no plug-in there (the bundle is missing; name one with --plugin)"},
                 {"info --plugin $/Empty.bundle",
                  "$/Empty.bundle: not a plug-in bundle (Contents/Linux/velmorance.so is missing)"}},
                dir, "");
  const auto run = vmtest::runShell(VELMORANCE_BIN " info --plugin " + dir + "/bad.so");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err.rfind("velmorance: " + dir + "/bad.so: cannot load the plug-in (", 0), 0u) << run.err;
}

}  // namespace
