// Pictures and images loaded from files, URLs and the main bundle.
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QImage>
#include <array>
#include <climits>

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

// The sample's pixel (x, y) drawn over white: c + (255 - alpha), premultiplied.
Argb OnWhite(int x, int y) {
  QRgb p = Sample().convertToFormat(QImage::Format_ARGB32_Premultiplied).pixel(x, y);
  const int clear = 255 - qAlpha(p);
  return {255, static_cast<uint8_t>(qRed(p) + clear), static_cast<uint8_t>(qGreen(p) + clear),
          static_cast<uint8_t>(qBlue(p) + clear)};
}

Argb At(const uint8_t* base, size_t rowBytes, int x, int y) {
  Argb value;
  std::memcpy(value.data(), base + y * rowBytes + x * 4, 4);
  return value;
}

std::string SaveSample(const TempFolder& folder, const char* name = "sample.png") {
  const std::string path = folder.File(name);
  EXPECT_TRUE(Sample().save(QString::fromStdString(path), "png"));
  return path;
}

TEST(ScaledImage, AScaleBelowOneReturnsNothingWithoutOpeningTheFile) {
  TempFolder folder;
  const std::string path = SaveSample(folder);
  int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  ASSERT_GE(inotify_add_watch(watch, path.c_str(), IN_OPEN | IN_ACCESS), 0);
  char events[4096];
  for (auto [wid, hig] : {std::pair<int16_t, int16_t>{0, 1}, {1, 0}, {-2, 3}}) {
    EXPECT_EQ(GetScaledGWImageFromFSRef(RefFor(path), wid, hig), nullptr);
    EXPECT_LT(read(watch, events, sizeof events), 0) << "the file was opened for " << wid << " x " << hig;
  }
  // The watch does see a real read.
  GrafPtr read1 = GetScaledGWImageFromFSRef(RefFor(path), 1, 1);
  EXPECT_NE(read1, nullptr);
  EXPECT_GT(read(watch, events, sizeof events), 0);
  DisposeGWorld(read1);
  close(watch);
}

TEST(ScaledImage, ShrinksByWholeFactorsOnWhiteOrGivesNothing) {
  TempFolder folder;
  const std::string path = SaveSample(folder);
  GWorldOwner half(GetScaledGWImageFromFSRef(RefFor(path), 2, 1));
  ASSERT_NE(half, nullptr);
  Rect bounds;
  GetPortBounds(half.get(), &bounds);
  EXPECT_EQ((std::vector<int>{bounds.right, bounds.bottom}), (std::vector<int>{2, 2}));
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x) {
      Argb got;
      std::memcpy(got.data(), PixelAt(half.get(), x, y), 4);
      EXPECT_EQ(got, OnWhite(x * 2, y)) << x << "," << y;
    }
  // A picture smaller than the scale, or unreadable, gives nothing.
  EXPECT_EQ(GetScaledGWImageFromFSRef(RefFor(path), 5, 1), nullptr);
  EXPECT_EQ(GetScaledGWImageFromFSRef(RefFor(folder.Write("bad.png", "garbage")), 1, 1), nullptr);
  EXPECT_EQ(GetScaledGWImageFromFSRef(RefFor(folder.File("missing.png")), 1, 1), nullptr);
}

TEST(PictFromURL, HoldsThePngsPixelsOnWhiteAndRestoresThePort) {
  TempFolder folder;
  const std::string path = SaveSample(folder);
  GWorldOwner mine = MakeWorld(1, 1);
  SetGWorld(mine.get(), nullptr);
  const long images = CGImageLiveCount();
  CFURLRef url = platformCreateURLForPath(path, false);
  PicHandle picture = GetPictFromURLUsingCG(url);
  CFRelease(url);
  ASSERT_NE(picture, nullptr);
  CGrafPtr current = nullptr;
  GetGWorld(&current, nullptr);
  EXPECT_EQ(current, mine.get());
  const Rect frame = (*picture)->picFrame;
  EXPECT_EQ((std::vector<int>{frame.top, frame.left, frame.bottom, frame.right}), (std::vector<int>{0, 0, 2, 4}));
  CGImageRef image = (*picture)->image;
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(At(CGImageGetARGBData(image), CGImageGetBytesPerRow(image), x, y), OnWhite(x, y)) << x << "," << y;
  KillPicture(picture);
  EXPECT_EQ(CGImageLiveCount(), images);
  SetGWorld(nullptr, nullptr);
  // No image, no picture.
  for (const std::string& path : {folder.Write("text.png", "not an image"), folder.File("missing.png")}) {
    CFURLRef url = platformCreateURLForPath(path, false);
    EXPECT_EQ(GetPictFromURLUsingCG(url), nullptr) << path;
    CFRelease(url);
  }
  EXPECT_EQ(GetPictFromURLUsingCG(nullptr), nullptr);
}

TEST(ImageLoaders, EveryRoadGivesTheSameImage) {
  TempFolder folder;
  const std::string path = SaveSample(folder);
  const FSSpec spec = SpecFor(path);
  const FSRef ref = RefFor(path);
  CFURLRef url = platformCreateURLForPath(path, false);
  const QImage want = Sample().convertToFormat(QImage::Format_ARGB32_Premultiplied);
  for (CGImageRef image : {GetCGImageFromFSS(spec), GetCGImageFromURLUsingQT(url), GetCGImageFromURLUsingCG(url),
                           GetCGImageFromFSRefUsingCG(ref), GetCGImageFromFSSUsingCG(spec)}) {
    ASSERT_NE(image, nullptr);
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 4; ++x) {
        QRgb p = want.pixel(x, y);
        Argb expected{static_cast<uint8_t>(qAlpha(p)), static_cast<uint8_t>(qRed(p)), static_cast<uint8_t>(qGreen(p)),
                      static_cast<uint8_t>(qBlue(p))};
        EXPECT_EQ(At(CGImageGetARGBData(image), CGImageGetBytesPerRow(image), x, y), expected);
      }
    CGImageRelease(image);
  }
  CFRelease(url);
  Str255 name;
  PicHandle fromSpec = ReadPictureFromFSS(spec, name);
  ASSERT_NE(fromSpec, nullptr);
  EXPECT_EQ(FromPString(name), "sample.png");
  KillPicture(fromSpec);
  EXPECT_EQ(ReadPictureFromFSRef(RefFor(folder.File("missing.png")), name), nullptr);
  EXPECT_EQ(FromPString(name), "Dummy");
}

// Resources of the main bundle: the test program's folder.
class MainBundle : public ::testing::Test {
 protected:
  void SetUp() override {
    char exe[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", exe, sizeof exe - 1);
    ASSERT_GT(length, 0);
    std::string folder(exe, static_cast<size_t>(length));
    contents_ = folder.substr(0, folder.find_last_of('/')) + "/Contents";
    mkdir(contents_.c_str(), 0700);
    mkdir((contents_ + "/Resources").c_str(), 0700);
    mkdir((contents_ + "/Resources/art").c_str(), 0700);
    ASSERT_TRUE(Sample().save(QString::fromStdString(contents_ + "/Resources/art/logo.png"), "png"));
    ASSERT_TRUE(Sample().save(QString::fromStdString(contents_ + "/Resources/badge.png"), "png"));
  }
  void TearDown() override { std::system(("rm -rf '" + contents_ + "'").c_str()); }
  std::string contents_;
};

TEST_F(MainBundle, PicturesAndImagesComeFromItsResources) {
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
}

}  // namespace
