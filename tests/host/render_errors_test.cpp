// Bad inputs and outputs: each gives one clear message naming the culprit,
// exit status 1, no crash and no output file.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "tests/host/test_media.h"

namespace {

using vmtest::ScratchDir;

struct BadRun {
  const char* args;      // $ stands for the scratch folder
  const char* message;   // the whole standard error, $ likewise
};

TEST(RenderErrors, EachBadInputGetsAClearMessage) {
  ScratchDir scratch;
  const std::string dir = scratch.path("").substr(0, scratch.path("").size() - 1);
  ASSERT_TRUE(vmtest::ffmpeg("-f lavfi -i testsrc=s=32x24:r=10:d=2 -pix_fmt yuv420p '" + dir + "/clip.mp4'"));
  const auto clip = vmtest::readFile(dir + "/clip.mp4");
  vmtest::writeFile(dir + "/cut.mp4", std::vector<uint8_t>(clip.begin(), clip.begin() + clip.size() / 2));
  vmtest::writeFile(dir + "/empty.mp4", {});
  std::ofstream(dir + "/notes.mp4") << "shopping list: milk, eggs\n";
  std::ofstream(dir + "/afile") << "x";
  ASSERT_TRUE(vmtest::writePng(dir + "/odd.png", vmtest::randomBytes(7 * 5 * 3, 3), 7, 5));
  // A picture sequence with one number missing, and outputs already there.
  ASSERT_TRUE(vmtest::ffmpeg("-f lavfi -i testsrc=s=16x16:r=10:d=0.9 '" + dir + "/in_%04d.png'"));
  std::filesystem::remove(dir + "/in_0005.png");
  const std::vector<uint8_t> old = {'o', 'l', 'd'};
  for (const char* name : {"/old.mp4", "/old.png", "/seq_002.png"}) vmtest::writeFile(dir + name, old);

  const BadRun cases[] = {
      {"render $/missing.mp4 $/out.mp4", "velmorance: $/missing.mp4: No such file or directory\n"},
      {"render $/empty.mp4 $/out.mp4", "velmorance: $/empty.mp4: the file is empty\n"},
      {"render $/notes.mp4 $/out.mp4",
       "velmorance: $/notes.mp4: cannot open as video or image (Invalid data found when processing input)\n"},
      {"render $/cut.mp4 $/out.mp4",
       "velmorance: $/cut.mp4: cannot open as video or image (Invalid data found when processing input)\n"},
      {"render $/clip.mp4 $/out.mp4 --frames 0", "velmorance: --frames 0: nothing to render (give 1 or more)\n"},
      {"render $/clip.mp4 $/out.mp4 --start 20",
       "velmorance: --start 20 is past the end: $/clip.mp4 has 20 frames (0 to 19)\n"},
      {"render $/clip.mp4 $/out.mp4 --start 15 --frames 10",
       "velmorance: frames 15 to 24 are outside the clip: $/clip.mp4 has 20 frames (0 to 19)\n"},
      {"render $/clip.mp4 $/no/such/folder/out.mp4",
       "velmorance: $/no/such/folder/out.mp4: cannot write there (No such file or directory)\n"},
      {"render $/clip.mp4 $/afile/out.mp4", "velmorance: $/afile/out.mp4: cannot write there (Not a directory)\n"},
      {"render $/clip.mp4 $/out.xyz",
       "velmorance: $/out.xyz: unknown output type '.xyz' (use .mp4, .mov, .mkv, .webm, .avi, .ts, .gif, or .png, "
       ".tif, .jpg pictures)\n"},
      {"render $/clip.mp4 $/out.mp3", "velmorance: $/out.mp3: unknown output type '.mp3' (use .mp4, .mov, .mkv, .webm, "
                                      ".avi, .ts, .gif, or .png, .tif, .jpg pictures)\n"},
      {"render $/in_%04d.png $/out.mp4", "velmorance: $/in_0005.png is missing (the sequence runs 0001\u20130009)\n"},
      {"render $/clip.mp4 $/old.mp4", "velmorance: $/old.mp4 exists (add --overwrite to replace it)\n"},
      {"render $/clip.mp4 $/seq_%03d.png --frames 3",
       "velmorance: $/seq_002.png exists (add --overwrite to replace it)\n"},
      {"thumbnail $/clip.mp4 $/old.png", "velmorance: $/old.png exists (add --overwrite to replace it)\n"},
      {"render $/clip.mp4 -", "velmorance: -: name the container for standard output with --format (matroska, nut, "
                              "mpegts, ...)\n"},
      {"render $/clip.mp4 - --format nonesuch", "velmorance: --format nonesuch: FFmpeg knows no such container\n"},
      {"render $/clip.mp4 $/out.mp4 --video-codec nonesuch",
       "velmorance: --video-codec nonesuch: this FFmpeg has no video encoder of that name\n"},
      {"render $/clip.mp4 $/out.webm --video-codec libx264",
       "velmorance: $/out.webm: the webm container cannot hold h264 video (choose another --video-codec)\n"},
      {"render $/clip.mp4 $/out.avi --video-codec mpeg4 --crf 20",
       "velmorance: --crf: the mpeg4 encoder has no constant-quality setting\n"},
      {"render $/clip.mp4 $/out.mkv --pix-fmt rgb24",
       "velmorance: --pix-fmt rgb24: the libx264 encoder takes yuv420p, yuv422p, yuv444p, nv12, nv16, nv21, "
       "yuv420p10le, yuv422p10le, yuv444p10le, nv20le, gray, gray10le\n"},
      {"render $/clip.mp4 $/out.png",
       "velmorance: $/out.png: one picture cannot hold 20 frames (name a sequence such as out_%04d.png, or render "
       "--frames 1)\n"},
      {"render $/clip.mp4 $/out.mp4 --lossless", "velmorance: $/out.mp4: lossless output is written as .mkv (or .png)\n"},
      {"render $/odd.png $/out.mp4",
       "velmorance: $/out.mp4: yuv420p pictures need an even width and height, not 7x5 (pick one with --size, or "
       "write --lossless .mkv or .png)\n"},
      {"render $/clip.mp4 $/out.mp4 --fade-in", "velmorance: --fade-in needs a value\n"},
      {"render $/clip.mp4 $/./clip.mp4", "velmorance: $/./clip.mp4: the output would replace the input $/clip.mp4\n"},
      {"thumbnail $/clip.mp4 $/out.png --at 99",
       "velmorance: --at 99 is past the end: $/clip.mp4 has 20 frames (0 to 19)\n"},
      {"thumbnail $/clip.mp4 $/out.jpg", "velmorance: $/out.jpg: a thumbnail is written as .png\n"},
  };
  for (const BadRun& c : cases) {
    const auto run = vmtest::runShell(std::string(VELMORANCE_BIN) + " " + vmtest::expand(c.args, dir) + " --plugin " +
                                      FAKE_PLUGIN);
    EXPECT_TRUE(run.exited) << c.args;
    EXPECT_EQ(run.status, 1) << c.args;
    // FFmpeg's own error line, if any, comes before ours.
    const std::string message = vmtest::expand(c.message, dir);
    EXPECT_TRUE(run.err.size() >= message.size() && run.err.ends_with(message) &&
                (run.err.size() == message.size() || run.err[run.err.size() - message.size() - 1] == '\n'))
        << c.args << "\n" << run.err;
  }
  for (const char* name : {"out.mp4", "out.xyz", "out.png", "out.jpg", "out.webm", "out.avi", "out.mkv", "seq_001.png"})
    EXPECT_FALSE(vmtest::fileExists(dir + "/" + name)) << name;
  for (const char* name : {"/old.mp4", "/old.png", "/seq_002.png"}) EXPECT_EQ(vmtest::readFile(dir + name), old);
}

// Outputs that would lose data or land where they should not: each is
// refused before the first frame, --overwrite or not, and the folder is
// left exactly as it was.
TEST(RenderErrors, OutputNamesThatWouldHarmFilesAreRefused) {
  ScratchDir scratch;
  const std::string dir = scratch.path("").substr(0, scratch.path("").size() - 1);
  ASSERT_TRUE(vmtest::ffmpeg("-f lavfi -i testsrc=s=16x16:r=10:d=0.3 '" + dir + "/in_%04d.png'"));
  std::filesystem::copy_file(dir + "/in_0001.png", dir + "/p_0001.png");
  std::filesystem::create_symlink(dir + "/p_0001.png", dir + "/link.png");
  std::filesystem::create_hard_link(dir + "/in_0002.png", dir + "/hard.png");
  for (const char* folder : {"/d1", "/d2", "/folder.mp4", "/f_2.png"}) std::filesystem::create_directory(dir + folder);
  ASSERT_EQ(mkfifo((dir + "/fifo.mp4").c_str(), 0600), 0);
  const auto before = vmtest::folderContents(dir);

  const BadRun cases[] = {
      {"render $/in_%04d.png $/in_%04d.png -y", "velmorance: $/in_0001.png: the output would replace the input\n"},
      {"render $/p_0001.png $/p_%04d.png", "velmorance: $/p_0001.png: the output would replace the input\n"},
      {"thumbnail $/p_0001.png $/p_0001.png -y", "velmorance: $/p_0001.png: the output would replace the input\n"},
      {"thumbnail $/p_0001.png $/link.png -y",
       "velmorance: $/link.png: the output would replace the input $/p_0001.png\n"},
      {"render $/in_%04d.png $/hard.png --start 1 --frames 1 -y",
       "velmorance: $/hard.png: the output would replace the input $/in_0002.png\n"},
      {"render $/p_0001.png $/a%025d.png", "velmorance: $/a%025d.png: the number field %025d is wider than 18 digits\n"},
      {"render $/in_%04d.png $/d%d/../x.png --frames 2",
       "velmorance: $/d%d/../x.png: two frames would be written to one file, $/x.png\n"},
      {"render $/p_0001.png $/folder.mp4 -y", "velmorance: $/folder.mp4: is a folder (give the output a file name)\n"},
      {"render $/in_%04d.png $/f_%d.png -y", "velmorance: $/f_2.png: is a folder (give the output a file name)\n"},
      {"render $/fifo.mp4 $/out.mp4", "velmorance: $/fifo.mp4: is a pipe, not a file: the input must be a seekable file\n"},
      {"render /dev/stdin $/out.mp4",
       "velmorance: /dev/stdin: is a device, not a file: the input must be a seekable file\n"},
  };
  for (const BadRun& c : cases) {
    const auto run = vmtest::runShell(std::string(VELMORANCE_BIN) + " " + vmtest::expand(c.args, dir) + " --plugin " +
                                      FAKE_PLUGIN);
    EXPECT_EQ(run.status, 1) << c.args;
    EXPECT_EQ(run.err, vmtest::expand(c.message, dir)) << c.args;
  }
  EXPECT_EQ(vmtest::folderContents(dir), before);
  // "--" ends the options: "--p.png" is the input and "-y.png" the output.
  std::filesystem::rename(dir + "/p_0001.png", dir + "/--p.png");
  const auto run = vmtest::runShell("cd '" + dir + "' && " + VELMORANCE_BIN + " thumbnail --plugin " + FAKE_PLUGIN +
                                    " -- --p.png -y.png");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(vmtest::fileExists(dir + "/-y.png"));
}

TEST(RenderErrors, ConfigureWithoutADisplaySaysSoBeforeOpeningAnything) {
  ScratchDir scratch;
  const auto run = vmtest::runShell("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " +
                                    std::string(VELMORANCE_BIN) + " configure " + scratch.path("missing.mp4"));
  EXPECT_TRUE(run.exited);
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
  const auto whole = vmtest::readFile(scratch.path("whole.mp4"));
  vmtest::writeFile(scratch.path("cut.mp4"), std::vector<uint8_t>(whole.begin(), whole.begin() + whole.size() * 6 / 10));
  const auto run = vmtest::runShell(std::string(VELMORANCE_BIN) + " render " + scratch.path("cut.mp4") + " " +
                                    scratch.path("out.mp4") + " --plugin " + FAKE_PLUGIN);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("velmorance: " + scratch.path("cut.mp4") + ": frame "), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("(GetFrame: frame "), std::string::npos) << run.err;
  EXPECT_NE(run.err.find(" cannot be decoded ("), std::string::npos) << run.err;
  EXPECT_FALSE(vmtest::fileExists(scratch.path("out.mp4")));
}

TEST(RenderErrors, MissingOrBrokenPluginIsNamed) {
  ScratchDir scratch;
  const std::string dir = scratch.path("").substr(0, scratch.path("").size() - 1);
  std::filesystem::create_directories(dir + "/Empty.bundle");
  std::ofstream(dir + "/bad.so") << "not a library";
  const BadRun cases[] = {
      {"info --plugin $/Nothing.bundle",
       "velmorance: $/Nothing.bundle: no plug-in there (the bundle is missing; name one with --plugin)\n"},
      {"info --plugin $/Empty.bundle",
       "velmorance: $/Empty.bundle: not a plug-in bundle (Contents/Linux/velmorance.so is missing)\n"},
  };
  for (const BadRun& c : cases) {
    const auto run = vmtest::runShell(std::string(VELMORANCE_BIN) + " " + vmtest::expand(c.args, dir));
    EXPECT_EQ(run.status, 1) << c.args;
    EXPECT_EQ(run.err, vmtest::expand(c.message, dir)) << c.args;
  }
  const auto run = vmtest::runShell(std::string(VELMORANCE_BIN) + " info --plugin " + dir + "/bad.so");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err.rfind("velmorance: " + dir + "/bad.so: cannot load the plug-in (", 0), 0u) << run.err;
}

}  // namespace
