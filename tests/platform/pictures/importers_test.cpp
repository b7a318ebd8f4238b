// Graphics importers and image sources decoding real files written by Qt.
#include <gtest/gtest.h>

#include <QImage>
#include <QImageReader>
#include <fstream>
#include <string>

#include "platform/bundles/cfurl.h"
#include "platform/pictures/graphics_importer.h"
#include "platform/pictures/image_source.h"
#include "tests/platform/files/temp_dir.h"

namespace {

// 3 x 2 opaque pixels with distinct colours.
QImage Sample() {
  QImage image(3, 2, QImage::Format_RGB32);
  const QRgb colours[6] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255),
                           qRgb(16, 32, 48), qRgb(200, 100, 50), qRgb(255, 255, 255)};
  for (int i = 0; i < 6; ++i) image.setPixel(i % 3, i / 3, colours[i]);
  return image;
}

void ExpectSamplePixels(CGImageRef image) {
  ASSERT_NE(image, nullptr);
  ASSERT_EQ(CGImageGetWidth(image), 3u);
  ASSERT_EQ(CGImageGetHeight(image), 2u);
  QImage sample = Sample();
  const uint8_t* data = CGImageGetARGBData(image);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) {
      const uint8_t* p = data + y * CGImageGetBytesPerRow(image) + x * 4;
      QRgb want = sample.pixel(x, y);
      const std::vector<int> argb{255, qRed(want), qGreen(want), qBlue(want)};
      EXPECT_EQ((std::vector<int>{p[0], p[1], p[2], p[3]}), argb) << x << "," << y;
    }
}

struct Format {
  const char* name;  // Qt's format name
  const char* file;
};

void PrintTo(const Format& f, std::ostream* out) { *out << f.name << " in " << f.file; }

class LosslessFormats : public ::testing::TestWithParam<Format> {};

TEST_P(LosslessFormats, ImporterAndImageSourceGiveTheFilesPixels) {
  if (!QImageReader::supportedImageFormats().contains(GetParam().name)) GTEST_SKIP() << "no Qt plug-in";
  TempDir folder;
  // The contents decide the format, not the name.
  const std::string path = folder / GetParam().file;
  ASSERT_TRUE(Sample().save(QString::fromStdString(path), GetParam().name));

  FSSpec spec;
  ASSERT_EQ(platformFSSpecForPath(path, &spec), noErr);
  GraphicsImportComponent importer = nullptr;
  ASSERT_EQ(GetGraphicsImporterForFile(&spec, &importer), noErr);
  CGImageRef image = nullptr;
  ASSERT_EQ(GraphicsImportCreateCGImage(importer, &image, kGraphicsImportCreateCGImageUsingCurrentSettings), noErr);
  ExpectSamplePixels(image);
  CGImageRelease(image);
  PicHandle picture = nullptr;
  ASSERT_EQ(GraphicsImportGetAsPicture(importer, &picture), noErr);
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ((*picture)->picFrame.right, 3);
  EXPECT_EQ((*picture)->picFrame.bottom, 2);
  ExpectSamplePixels((*picture)->image);
  KillPicture(picture);
  EXPECT_EQ(CloseComponent(importer), noErr);

  CFURLRef url = platformCreateURLForPath(path, false);
  CGImageSourceRef source = CGImageSourceCreateWithURL(url, nullptr);
  ASSERT_NE(source, nullptr);
  EXPECT_EQ(CGImageSourceGetCount(source), 1u);
  image = CGImageSourceCreateImageAtIndex(source, 0, nullptr);
  ExpectSamplePixels(image);
  CGImageRelease(image);
  EXPECT_EQ(CGImageSourceCreateImageAtIndex(source, 1, nullptr), nullptr);
  CFRelease(source);
  CFRelease(url);
}

INSTANTIATE_TEST_SUITE_P(Decoders, LosslessFormats,
                         ::testing::Values(Format{"png", "a.png"}, Format{"bmp", "b.bmp"},
                                           Format{"tiff", "c.tif"}, Format{"png", "named-wrongly.jpg"}),
                         [](const auto& info) { return std::string(info.param.name) + std::to_string(info.index); });

TEST(Importers, JpegDecodesCloseToTheOriginal) {
  TempDir folder;
  const std::string path = folder / "photo.jpg";
  QImage flat(8, 8, QImage::Format_RGB32);
  flat.fill(qRgb(120, 60, 30));
  ASSERT_TRUE(flat.save(QString::fromStdString(path), "jpeg", 100));
  FSSpec spec;
  ASSERT_EQ(platformFSSpecForPath(path, &spec), noErr);
  GraphicsImportComponent importer = nullptr;
  ASSERT_EQ(GetGraphicsImporterForFile(&spec, &importer), noErr);
  CGImageRef image = nullptr;
  ASSERT_EQ(GraphicsImportCreateCGImage(importer, &image, 1), noErr);
  const uint8_t* p = CGImageGetARGBData(image) + 4 * 9;
  EXPECT_NEAR(p[1], 120, 3);
  EXPECT_NEAR(p[2], 60, 3);
  EXPECT_NEAR(p[3], 30, 3);
  CGImageRelease(image);
  CloseComponent(importer);
}

TEST(Importers, FilesWithoutAnImageAreRefused) {
  TempDir folder;
  const std::string text = folder / "notes.png";
  std::ofstream(text) << "not a picture";
  FSSpec spec;
  ASSERT_EQ(platformFSSpecForPath(text, &spec), noErr);
  GraphicsImportComponent importer = reinterpret_cast<GraphicsImportComponent>(1);
  EXPECT_EQ(GetGraphicsImporterForFile(&spec, &importer), cantFindHandler);
  EXPECT_EQ(importer, nullptr);

  EXPECT_EQ(platformFSSpecForPath(folder / "missing.png", &spec), fnfErr);
  EXPECT_EQ(GetGraphicsImporterForFile(&spec, &importer), fnfErr);

  CFURLRef url = platformCreateURLForPath(text, false);
  CGImageSourceRef source = CGImageSourceCreateWithURL(url, nullptr);
  ASSERT_NE(source, nullptr);
  EXPECT_EQ(CGImageSourceGetCount(source), 0u);
  EXPECT_EQ(CGImageSourceCreateImageAtIndex(source, 0, nullptr), nullptr);
  CFRelease(source);
  CFRelease(url);
  url = platformCreateURLForPath(folder / "missing.png", false);
  EXPECT_EQ(CGImageSourceCreateWithURL(url, nullptr), nullptr);
  CFRelease(url);
}

}  // namespace
