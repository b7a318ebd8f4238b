// The Core Graphics bridge: rectangle conversion, proportional fitting,
// drawing into ports with opacity, snapshots and line-art ownership.
#include "plugin/render/cg/cgglue.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstring>

#include "plugin/render/cg/line_effect.h"
#include "tests/support/gworld_fixture.h"

namespace {

using Argb = std::array<uint8_t, 4>;
using Sides = std::array<int, 4>;  // top, left, bottom, right
constexpr Argb kWhite{255, 255, 255, 255}, kRed{255, 255, 0, 0}, kBlue{255, 0, 0, 255}, kClear{0, 0, 0, 0};

Sides sides(const Rect& r) { return {r.top, r.left, r.bottom, r.right}; }

Argb Get(GrafPtr port, int x, int y) { return std::bit_cast<Argb>(*PixelAt(port, x, y)); }

// A new port of `width` x `height` pixels of one colour.
GWorldOwner Filled(int width, int height, Argb colour) {
  GWorldOwner port = MakeWorld(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) *PixelAt(port.get(), x, y) = std::bit_cast<pixRec>(colour);
  return port;
}

TEST(CGGlueTest, RectanglesTurnTheYAxisOverAndFitTheFrame) {
  const CGRect r = QDRectToGCRect(Rect{10, 20, 50, 120}, Rect{0, 0, 480, 720});
  EXPECT_EQ((std::array{r.origin.x, r.origin.y, r.size.width, r.size.height}),
            (std::array<CGFloat, 4>{20, 430, 100, 40}));
  const CGRect crop = QDCrop2CGCrop(Rect{10, 20, 50, 120}, nullptr);
  EXPECT_EQ((std::array{crop.origin.x, crop.origin.y}), (std::array<CGFloat, 2>{20, 10}));
  CGImageRef image = CGImageCreateWithARGB(1000, 900, nullptr, 0);
  EXPECT_EQ(sides(CalcProportionalImageForFrame(image, Rect{0, 0, 480, 720})), (Sides{0, 0, 648, 720}));
  EXPECT_EQ(sides(GetImageRect(image)), (Sides{0, 0, 900, 1000}));
  EXPECT_EQ(sides(CalcProportionalImageForFrame(nullptr, Rect{0, 0, 480, 720})), (Sides{0, 0, 0, 0}));
  EXPECT_EQ(sides(GetImageRect(nullptr)), (Sides{0, 0, 0, 0}));
  CGImageRelease(image);
}

TEST(CGGlueTest, AlphaMinusOneDrawsOpaqueAndZeroLeavesThePort) {
  CGImageRef image = GWorld2CGImage(Filled(4, 4, kRed).get());
  for (const auto& [alpha, inside] : {std::pair{-1.0, kRed}, {0.0, kWhite}, {1.0, kRed}}) {
    GWorldOwner owner = Filled(8, 8, kWhite);
    GrafPtr port = owner.get();
    DrawCGImageInQDRectWithAlpha(port, image, Rect{2, 2, 6, 6}, 0.0f, false, alpha, 0);
    EXPECT_EQ((std::array{Get(port, 2, 2), Get(port, 5, 5), Get(port, 1, 2), Get(port, 6, 5)}),
              (std::array{inside, inside, kWhite, kWhite}))
        << alpha;
  }
  CGImageRelease(image);
}

TEST(CGGlueTest, DrawClearPaintAndSnapshotWorkInPortCoordinates) {
  const uint8_t pixels[] = {255, 255, 0, 0, 255, 0, 0, 255};  // red over blue, 1 x 2
  CGImageRef image = CGImageCreateWithARGB(1, 2, pixels, 4);
  GWorldOwner owner = MakeWorld(6, 5);
  GrafPtr port = owner.get();
  DrawCGImageInQDRect(port, image, Rect{0, 2, 4, 4}, 0.0f, true);
  DrawCGImageInQDRect(port, nullptr, Rect{0, 0, 6, 6}, 0.0f, true);  // draws nothing
  EXPECT_EQ((std::array{Get(port, 2, 0), Get(port, 3, 3), Get(port, 2, 4)}), (std::array{kRed, kBlue, kClear}));
  CGImageRelease(image);
  GWClearRect(port, Rect{0, 2, 1, 3});
  GWPaintRectWithAlpha(port, Rect{3, 3, 4, 4}, RGBColor{0, 0xFFFF, 0}, 255);
  EXPECT_EQ((std::array{Get(port, 2, 0), Get(port, 3, 0), Get(port, 3, 3), Get(port, 2, 3)}),
            (std::array{kClear, kRed, Argb{255, 0, 255, 0}, kBlue}));
  EXPECT_EQ(Get(port, 2, 1)[0], 255) << "the row below the cleared one is kept";

  image = GWorld2CGImage(port);
  GWClearRect(port, Rect{0, 0, 5, 6});
  int32_t wid = 0, hig = 0;
  GetImageDims(image, wid, hig);
  EXPECT_EQ((std::array{wid, hig}), (std::array<int32_t, 2>{6, 5}));
  EXPECT_EQ(CGImageGetARGBData(image)[3 * CGImageGetBytesPerRow(image) + 3 * 4 + 2], 255) << "the green pixel";
  CGImageRelease(image);
}

TEST(LineArtTest, RenderingKeepsExactlyOneImageAndReleasesItWhenThePictureGoes) {
  const long before = CGImageLiveCount();
  pluginDataRec config{};
  const uint8_t pixels[] = {255, 1,   2,   3,   128, 64, 32, 16, 0,   0,   0,  0,
                            255, 250, 251, 252, 9,   8,  7,  6,  200, 100, 50, 25};
  config.theOriginalImage = CGImageCreateWithARGB(3, 2, pixels, 12);
  RenderLineArt(&config);
  RenderLineArt(&config);
  EXPECT_EQ(before + 2, CGImageLiveCount()) << "the picture and one rendering";
  ASSERT_NE(nullptr, config.theRendered);
  // Re-rasterised at its own size: the same premultiplied pixels.
  const uint8_t* rendered = CGImageGetARGBData(config.theRendered);
  for (int y = 0; y < 2; ++y)
    EXPECT_EQ(std::memcmp(rendered + y * CGImageGetBytesPerRow(config.theRendered), pixels + y * 12, 12), 0) << y;
  CGImageRelease(config.theOriginalImage);
  config.theOriginalImage = nullptr;
  RenderLineArt(&config);
  EXPECT_EQ(nullptr, config.theRendered);
  EXPECT_EQ(before, CGImageLiveCount());
}

TEST(LineArtTest, LineEffectCopiesTheActiveRectAndOverlaysAtSliderThreeOpacity) {
  // The active rectangle's top-left pixel is black, scaled over all of dest.
  GWorldOwner source = Filled(4, 4, Argb{255, 200, 200, 200}), dest = MakeWorld(4, 4);
  *PixelAt(source.get(), 0, 0) = pixRec{255, 0, 0, 0};
  pluginDataRec config{};
  config.sliders[3] = 0;
  TheLineEffect(source.get(), dest.get(), Rect{0, 0, 1, 1}, false, &config, 0, 0);
  EXPECT_EQ((Argb{255, 0, 0, 0}), Get(dest.get(), 3, 3));
  config.sliders[3] = 50;
  TheLineEffect(source.get(), dest.get(), Rect{0, 0, 1, 1}, false, &config, 0, 0);
  EXPECT_NEAR(100, Get(dest.get(), 3, 3)[1], 1) << "black copy under source at 50%";
  EXPECT_NEAR(0, Get(dest.get(), 0, 0)[1], 1);
}

}  // namespace
