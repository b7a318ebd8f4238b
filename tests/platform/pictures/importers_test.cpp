// Graphics importers and image sources decoding real files written by Qt.
#include <gtest/gtest.h>

#include <QImage>
#include <QImageReader>
#include <array>
#include <string>

#include "platform/bundles/cfurl.h"
#include "platform/pictures/graphics_importer.h"
#include "platform/pictures/image_source.h"
#include "tests/platform/files/temp_dir.h"

namespace {

// 3 x 2 opaque pixels with distinct colours, or of one colour for a lossy
// format.
QImage Sample(bool lossy) {
  QImage image(3, 2, QImage::Format_RGB32);
  const QRgb colours[6] = {qRgb(255, 0, 0),  qRgb(0, 255, 0),    qRgb(0, 0, 255),
                           qRgb(16, 32, 48), qRgb(200, 100, 50), qRgb(255, 255, 255)};
  for (int i = 0; i < 6; ++i) image.setPixel(i % 3, i / 3, lossy ? qRgb(120, 60, 30) : colours[i]);
  return image;
}

// The image's pixels against the sample, close for a lossy format.
void ExpectSample(CGImageRef image, bool lossy) {
  ASSERT_NE(image, nullptr);
  ASSERT_EQ((std::array{CGImageGetWidth(image), CGImageGetHeight(image)}), (std::array<size_t, 2>{3, 2}));
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) {
      const uint8_t* p = CGImageGetARGBData(image) + y * CGImageGetBytesPerRow(image) + x * 4;
      const QRgb want = Sample(lossy).pixel(x, y);
      EXPECT_EQ(p[0], 255);
      for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(p[1 + c], (std::array{qRed(want), qGreen(want), qBlue(want)})[c], lossy ? 3 : 0) << x << "," << y;
    }
}

// The contents decide the format, not the name (PNG is read here under a
// JPEG name). The importer and the image
// source give the file's one image (the importer's picture of it is read by
// the EasyFile tests).
TEST(Importers, ImporterAndImageSourceGiveTheFilesPixels) {
  // Qt's format name, the file, lossy.
  const std::tuple<const char*, const char*, bool> cases[] = {{"bmp", "b.bmp", false},
                                                              {"tiff", "c.tif", false},
                                                              {"png", "named-wrongly.jpg", false},
                                                              {"jpeg", "photo.jpg", true}};
  TempDir folder;
  for (const auto& [format, file, lossy] : cases) {
    SCOPED_TRACE(file);
    if (!QImageReader::supportedImageFormats().contains(format)) continue;  // no Qt plug-in
    const std::string path = folder / file;
    ASSERT_TRUE(Sample(lossy).save(QString::fromStdString(path), format, 100));
    FSSpec spec;
    ASSERT_EQ(platformFSSpecForPath(path, &spec), noErr);
    GraphicsImportComponent importer = nullptr;
    ASSERT_EQ(GetGraphicsImporterForFile(&spec, &importer), noErr);
    CGImageRef image = nullptr;
    ASSERT_EQ(GraphicsImportCreateCGImage(importer, &image, kGraphicsImportCreateCGImageUsingCurrentSettings), noErr);
    ExpectSample(image, lossy);
    CGImageRelease(image);
    EXPECT_EQ(CloseComponent(importer), noErr);

    CFOwner<CFURLRef> url(platformCreateURLForPath(path, false));
    CFOwner<CGImageSourceRef> source(CGImageSourceCreateWithURL(url.get(), nullptr));
    ASSERT_NE(source, nullptr);
    EXPECT_EQ(CGImageSourceGetCount(source.get()), 1u);
    image = CGImageSourceCreateImageAtIndex(source.get(), 0, nullptr);
    ExpectSample(image, lossy);
    CGImageRelease(image);
    EXPECT_EQ(CGImageSourceCreateImageAtIndex(source.get(), 1, nullptr), nullptr);
  }
}

TEST(Importers, FilesWithoutAnImageAreRefused) {
  TempDir folder;
  const std::string text = folder / "notes.png";
  writeBytes(text, {'n', 'o', 't'});
  FSSpec spec;
  ASSERT_EQ(platformFSSpecForPath(text, &spec), noErr);
  GraphicsImportComponent importer = reinterpret_cast<GraphicsImportComponent>(1);
  EXPECT_EQ(GetGraphicsImporterForFile(&spec, &importer), cantFindHandler);
  EXPECT_EQ(importer, nullptr);
  EXPECT_EQ(platformFSSpecForPath(folder / "missing.png", &spec), fnfErr);
  EXPECT_EQ(GetGraphicsImporterForFile(&spec, &importer), fnfErr);

  CFOwner<CFURLRef> url(platformCreateURLForPath(text, false)),
      missing(platformCreateURLForPath(folder / "missing.png", false));
  CFOwner<CGImageSourceRef> source(CGImageSourceCreateWithURL(url.get(), nullptr));
  ASSERT_NE(source, nullptr);
  EXPECT_EQ(CGImageSourceGetCount(source.get()), 0u);
  EXPECT_EQ(CGImageSourceCreateImageAtIndex(source.get(), 0, nullptr), nullptr);
  EXPECT_EQ(CGImageSourceCreateWithURL(missing.get(), nullptr), nullptr);
}

}  // namespace
