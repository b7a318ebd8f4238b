// The Core Graphics bridge: rectangle conversion, proportional fitting,
// drawing into ports with opacity, snapshots and line-art ownership.
#include "plugin/render/cg/cgglue.h"

#include <gtest/gtest.h>

#include <array>

#include "plugin/render/cg/line_effect.h"
#include "plugin/render/offscreen_buffers.h"
#include "plugin/render/rect_geometry.h"

namespace {

struct Argb {
  uint8_t a, r, g, b;
  bool operator==(const Argb&) const = default;
};

Argb At(GrafPtr port, int x, int y) {
  const PixMap& pm = port->portPixMap;
  const auto* p = reinterpret_cast<const uint8_t*>(pm.baseAddr) + y * pm.rowBytes + x * 4;
  return Argb{p[0], p[1], p[2], p[3]};
}

void Fill(GrafPtr port, Argb colour) {
  const PixMap& pm = port->portPixMap;
  for (int y = 0; y < pm.bounds.bottom; ++y)
    for (int x = 0; x < pm.bounds.right; ++x) {
      auto* p = reinterpret_cast<uint8_t*>(pm.baseAddr) + y * pm.rowBytes + x * 4;
      p[0] = colour.a, p[1] = colour.r, p[2] = colour.g, p[3] = colour.b;
    }
}

// top, left, bottom, right
std::array<int, 4> Sides(const Rect& r) { return {r.top, r.left, r.bottom, r.right}; }

// An opaque image of one colour.
CGImageRef Solid(int wid, int hig, Argb colour) {
  std::vector<uint8_t> pixels;
  for (int i = 0; i < wid * hig; ++i) pixels.insert(pixels.end(), {colour.a, colour.r, colour.g, colour.b});
  return CGImageCreateWithARGB(wid, hig, pixels.data(), wid * 4);
}

TEST(CGGlueTest, QDRectToGCRectTurnsTheYAxisOver) {
  const CGRect r = QDRectToGCRect(Rect{10, 20, 50, 120}, Rect{0, 0, 480, 720});
  EXPECT_EQ(20.0f, r.origin.x);
  EXPECT_EQ(430.0f, r.origin.y);
  EXPECT_EQ(100.0f, r.size.width);
  EXPECT_EQ(40.0f, r.size.height);
  const CGRect crop = QDCrop2CGCrop(Rect{10, 20, 50, 120}, nullptr);
  EXPECT_EQ(20.0f, crop.origin.x);
  EXPECT_EQ(10.0f, crop.origin.y);
}

TEST(CGGlueTest, ProportionalImageRectFollowsTheFrameOrientation) {
  CGImageRef image = CGImageCreateWithARGB(1000, 900, nullptr, 0);
  Rect fitted = CalcProportionalImageForFrame(image, Rect{0, 0, 480, 720});
  EXPECT_EQ((std::array{0, 0, 648, 720}), Sides(fitted));
  CenterRectInRect(fitted, Rect{0, 0, 480, 720});
  EXPECT_EQ((std::array{-84, 0, 564, 720}), Sides(fitted));
  EXPECT_EQ((std::array{0, 0, 0, 0}), Sides(CalcProportionalImageForFrame(nullptr, Rect{0, 0, 480, 720})));
  EXPECT_EQ((std::array{0, 0, 900, 1000}), Sides(GetImageRect(image)));
  EXPECT_EQ((std::array{0, 0, 0, 0}), Sides(GetImageRect(nullptr)));
  CGImageRelease(image);
}

TEST(CGGlueTest, AlphaMinusOneDrawsOpaqueAndZeroLeavesThePort) {
  const Argb white{255, 255, 255, 255}, red{255, 255, 0, 0};
  CGImageRef image = Solid(4, 4, red);
  const struct {
    double alpha;
    Argb inside;
  } cases[] = {{-1.0, red}, {0.0, white}, {1.0, red}};
  for (const auto& c : cases) {
    GrafPtr port = AllocateGWorld(8, 8);
    Fill(port, white);
    DrawCGImageInQDRectWithAlpha(port, image, Rect{2, 2, 6, 6}, 0.0f, false, c.alpha, 0);
    EXPECT_EQ(c.inside, At(port, 2, 2)) << c.alpha;
    EXPECT_EQ(c.inside, At(port, 5, 5)) << c.alpha;
    EXPECT_EQ(white, At(port, 1, 2)) << c.alpha;
    EXPECT_EQ(white, At(port, 6, 5)) << c.alpha;
    DisposeGWorld(port);
  }
  CGImageRelease(image);
}

TEST(CGGlueTest, DrawingInQDRectScalesIntoTheTopLeftOrientedRectangle) {
  const uint8_t pixels[] = {255, 255, 0, 0, 255, 0, 0, 255};  // red over blue, 1 x 2
  CGImageRef image = CGImageCreateWithARGB(1, 2, pixels, 4);
  GrafPtr port = AllocateGWorld(6, 6);
  DrawCGImageInQDRect(port, image, Rect{0, 2, 4, 4}, 0.0f, true);
  EXPECT_EQ((Argb{255, 255, 0, 0}), At(port, 2, 0));
  EXPECT_EQ((Argb{255, 0, 0, 255}), At(port, 3, 3));
  EXPECT_EQ((Argb{0, 0, 0, 0}), At(port, 2, 4));
  DrawCGImageInQDRect(port, nullptr, Rect{0, 0, 6, 6}, 0.0f, true);  // draws nothing
  EXPECT_EQ((Argb{255, 255, 0, 0}), At(port, 2, 0));
  DisposeGWorld(port);
  CGImageRelease(image);
}

TEST(CGGlueTest, ClearAndPaintWorkInPortCoordinates) {
  GrafPtr port = AllocateGWorld(4, 4);
  Fill(port, Argb{255, 255, 255, 255});
  GWClearRect(port, Rect{0, 0, 1, 2});
  EXPECT_EQ((Argb{0, 0, 0, 0}), At(port, 1, 0));
  EXPECT_EQ((Argb{255, 255, 255, 255}), At(port, 2, 0));
  EXPECT_EQ((Argb{255, 255, 255, 255}), At(port, 0, 1));
  GWPaintRectWithAlpha(port, Rect{3, 3, 4, 4}, RGBColor{0, 0, 0xFFFF}, 255);
  EXPECT_EQ((Argb{255, 0, 0, 255}), At(port, 3, 3));
  DisposeGWorld(port);
}

TEST(CGGlueTest, SnapshotKeepsThePixelsOfItsMoment) {
  GrafPtr port = AllocateGWorld(3, 2);
  Fill(port, Argb{255, 10, 20, 30});
  CGImageRef image = GWorld2CGImage(port);
  Fill(port, Argb{255, 0, 0, 0});
  int32_t wid = 0, hig = 0;
  GetImageDims(image, wid, hig);
  EXPECT_EQ(3, wid);
  EXPECT_EQ(2, hig);
  EXPECT_EQ(20, CGImageGetARGBData(image)[CGImageGetBytesPerRow(image) + 4 + 2]);
  CGImageRelease(image);
  DisposeGWorld(port);
}

TEST(CGGlueTest, ColourRefCarriesTheColourAndAlpha) {
  CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
  CGColorRef color = RGBColor2CGColorRef(RGBColor{0xFFFF, 0x8000, 0}, 51, space);
  const CGFloat* c = CGColorGetComponents(color);
  EXPECT_FLOAT_EQ(1.0f, c[0]);
  EXPECT_NEAR(0.5f, c[1], 0.001f);
  EXPECT_FLOAT_EQ(0.0f, c[2]);
  EXPECT_FLOAT_EQ(0.2f, c[3]);
  CGColorRelease(color);
  CGColorSpaceRelease(space);
}

TEST(LineArtTest, RenderingKeepsExactlyOneImageAndReleasesItWhenThePictureGoes) {
  const long before = CGImageLiveCount();
  pluginDataRec config{};
  const uint8_t pixels[] = {255, 1, 2, 3, 128, 64, 32, 16, 0, 0, 0, 0, 255, 250, 251, 252, 9, 8, 7, 6, 200, 100, 50, 25};
  config.theOriginalImage = CGImageCreateWithARGB(3, 2, pixels, 12);
  RenderLineArt(&config);
  RenderLineArt(&config);
  EXPECT_EQ(before + 2, CGImageLiveCount()) << "the picture and one rendering";
  ASSERT_NE(nullptr, config.theRendered);
  // Re-rasterised at its own size: the same premultiplied pixels.
  for (int y = 0; y < 2; ++y)
    for (int i = 0; i < 12; ++i)
      EXPECT_EQ(pixels[y * 12 + i], CGImageGetARGBData(config.theRendered)[y * CGImageGetBytesPerRow(config.theRendered) + i]);
  CGImageRelease(config.theOriginalImage);
  config.theOriginalImage = nullptr;
  RenderLineArt(&config);
  EXPECT_EQ(nullptr, config.theRendered);
  EXPECT_EQ(before, CGImageLiveCount());
}

TEST(LineArtTest, LineEffectCopiesTheActiveRectAndOverlaysAtSliderThreeOpacity) {
  GrafPtr source = AllocateGWorld(4, 4);
  GrafPtr dest = AllocateGWorld(4, 4);
  Fill(source, Argb{255, 200, 200, 200});
  // The active rectangle's top-left pixel is black, scaled over all of dest.
  auto* p = reinterpret_cast<uint8_t*>(source->portPixMap.baseAddr);
  p[0] = 255, p[1] = p[2] = p[3] = 0;
  pluginDataRec config{};
  for (int16_t opacity : {0, 50}) {
    config.sliders[3] = opacity;
    TheLineEffect(source, dest, Rect{0, 0, 1, 1}, false, &config, 0, 0);
    const Argb corner = At(dest, 0, 0), rest = At(dest, 3, 3);
    if (opacity == 0) {
      EXPECT_EQ((Argb{255, 0, 0, 0}), rest);
    } else {
      EXPECT_NEAR(100, rest.r, 1) << "black copy under source at 50%";
      EXPECT_NEAR(0, corner.r, 1);
    }
  }
  DisposeGWorld(source);
  DisposeGWorld(dest);
}

}  // namespace
