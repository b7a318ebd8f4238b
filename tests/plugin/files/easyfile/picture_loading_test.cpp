// Pictures and images loaded from files, URLs and the main bundle.
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <QImage>
#include <array>
#include <filesystem>

#include "plugin/files/easyfile/file_conversions.h"
#include "tests/plugin/files/easyfile/easyfile_support.h"
#include "tests/support/gworld_fixture.h"

namespace {

using Argb = std::array<uint8_t, 4>;

// 4 x 2 pixels: opaque colours, one half-transparent and one clear pixel.
QImage Sample() {
  QImage image(4, 2, QImage::Format_ARGB32);
  const QRgb colours[8] = {qRgba(255, 0, 0, 255),   qRgba(0, 255, 0, 255),  qRgba(0, 0, 255, 255),
                           qRgba(10, 20, 30, 255),  qRgba(255, 0, 0, 128),  qRgba(0, 0, 0, 0),
                           qRgba(200, 100, 50, 255), qRgba(90, 60, 30, 64)};
  for (int i = 0; i < 8; ++i) image.setPixel(i % 4, i / 4, colours[i]);
  return image;
}

// The sample's pixel (x, y) premultiplied, drawn over white when `onWhite`:
// c + (255 - alpha).
Argb Expected(int x, int y, bool onWhite) {
  const QRgb p = Sample().convertToFormat(QImage::Format_ARGB32_Premultiplied).pixel(x, y);
  const int clear = onWhite ? 255 - qAlpha(p) : 0;
  return {uint8_t(onWhite ? 255 : qAlpha(p)), uint8_t(qRed(p) + clear), uint8_t(qGreen(p) + clear),
          uint8_t(qBlue(p) + clear)};
}

// Every pixel of the 4 x 2 image against the sample.
void ExpectSample(CGImageRef image, bool onWhite) {
  ASSERT_NE(image, nullptr);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) {
      Argb got;
      std::memcpy(got.data(), CGImageGetARGBData(image) + y * CGImageGetBytesPerRow(image) + x * 4, 4);
      EXPECT_EQ(got, Expected(x, y, onWhite)) << x << "," << y;
    }
}

std::string SaveSample(const std::string& path) {
  EXPECT_TRUE(Sample().save(QString::fromStdString(path), "png"));
  return path;
}

// Shrunk by whole factors over white; a scale below one gives nothing
// without opening the file, as does a picture smaller than the scale or an
// unreadable file.
TEST(ScaledImage, ShrinksByWholeFactorsOnWhiteOrGivesNothing) {
  TempDir folder;
  const std::string path = SaveSample(folder / "sample.png");
  const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  ASSERT_GE(inotify_add_watch(watch, path.c_str(), IN_OPEN | IN_ACCESS), 0);
  char events[4096];
  for (auto [wid, hig] : {std::pair<int16_t, int16_t>{0, 1}, {1, 0}, {-2, 3}}) {
    EXPECT_EQ(GetScaledGWImageFromFSRef(RefFor(path), wid, hig), nullptr);
    EXPECT_LT(read(watch, events, sizeof events), 0) << "the file was opened for " << wid << " x " << hig;
  }
  GWorldOwner half(GetScaledGWImageFromFSRef(RefFor(path), 2, 1));
  EXPECT_GT(read(watch, events, sizeof events), 0) << "the watch sees a real read";
  close(watch);
  ASSERT_NE(half, nullptr);
  Rect bounds;
  GetPortBounds(half.get(), &bounds);
  EXPECT_EQ((std::array{bounds.right, bounds.bottom}), (std::array<int16_t, 2>{2, 2}));
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x) {
      Argb got;
      std::memcpy(got.data(), PixelAt(half.get(), x, y), 4);
      EXPECT_EQ(got, Expected(x * 2, y, true)) << x << "," << y;
    }
  EXPECT_EQ(GetScaledGWImageFromFSRef(RefFor(path), 5, 1), nullptr);
  EXPECT_EQ(GetScaledGWImageFromFSRef(RefFor(Write(folder, "bad.png", "garbage")), 1, 1), nullptr);
  EXPECT_EQ(GetScaledGWImageFromFSRef(RefFor(folder / "missing.png"), 1, 1), nullptr);
}

TEST(PictFromURL, HoldsThePngsPixelsOnWhiteAndRestoresThePort) {
  TempDir folder;
  GWorldOwner mine = MakeWorld(1, 1);
  SetGWorld(mine.get(), nullptr);
  const long images = CGImageLiveCount();
  CFOwner<CFURLRef> url(platformCreateURLForPath(SaveSample(folder / "sample.png"), false));
  PicHandle picture = GetPictFromURLUsingCG(url.get());
  ASSERT_NE(picture, nullptr);
  CGrafPtr current = nullptr;
  GetGWorld(&current, nullptr);
  EXPECT_EQ(current, mine.get());
  const Rect frame = (*picture)->picFrame;
  EXPECT_EQ((std::array{frame.top, frame.left, frame.bottom, frame.right}), (std::array<int16_t, 4>{0, 0, 2, 4}));
  ExpectSample((*picture)->image, true);
  KillPicture(picture);
  EXPECT_EQ(CGImageLiveCount(), images);
  SetGWorld(nullptr, nullptr);
  // No image, no picture.
  for (const std::string& path : {Write(folder, "text.png", "not an image"), folder / "missing.png"}) {
    CFOwner<CFURLRef> other(platformCreateURLForPath(path, false));
    EXPECT_EQ(GetPictFromURLUsingCG(other.get()), nullptr) << path;
  }
  EXPECT_EQ(GetPictFromURLUsingCG(nullptr), nullptr);
}

TEST(ImageLoaders, EveryRoadGivesTheSameImage) {
  TempDir folder;
  const std::string path = SaveSample(folder / "sample.png");
  const FSSpec spec = SpecFor(path);
  CFOwner<CFURLRef> url(platformCreateURLForPath(path, false));
  for (CGImageRef image : {GetCGImageFromFSS(spec), GetCGImageFromURLUsingQT(url.get()), GetCGImageFromURLUsingCG(url.get()),
                           GetCGImageFromFSRefUsingCG(RefFor(path)), GetCGImageFromFSSUsingCG(spec)}) {
    ExpectSample(image, false);
    CGImageRelease(image);
  }
  Str255 name;
  PicHandle fromSpec = ReadPictureFromFSS(spec, name);
  ASSERT_NE(fromSpec, nullptr);
  EXPECT_EQ(FromPString(name), "sample.png");
  KillPicture(fromSpec);
  EXPECT_EQ(ReadPictureFromFSRef(RefFor(folder / "missing.png"), name), nullptr);
  EXPECT_EQ(FromPString(name), "Dummy");
}

// Resources of the main bundle: the test program's folder.
TEST(MainBundle, PicturesAndImagesComeFromItsResources) {
  const std::string contents = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "Contents";
  std::filesystem::create_directories(contents + "/Resources/art");
  SaveSample(contents + "/Resources/art/logo.png");
  SaveSample(contents + "/Resources/badge.png");
  PicHandle picture = LoadPictureFromBundle("badge", "png");
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ((*picture)->picFrame.right, 4);
  KillPicture(picture);
  EXPECT_EQ(LoadPictureFromBundle("logo", "png"), nullptr);  // only in art/
  CGImageRef image = GetCGImageFromBundle("logo", "png", "art");
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(CGImageGetHeight(image), 2u);
  CGImageRelease(image);
  EXPECT_EQ(GetCGImageFromBundle("missing", "png", nullptr), nullptr);
  std::filesystem::remove_all(contents);
}

}  // namespace
