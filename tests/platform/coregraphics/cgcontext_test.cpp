// Bitmap contexts: formats, the y-up coordinate system, fills, clears,
// image drawing, transforms, opacity and blend modes, with exact pixels.
// Snapshots of ports are checked through the Core Graphics bridge.
#include "platform/coregraphics/cgcontext.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "platform/quickdraw/quickdraw_owners.h"

namespace {

using Pixel = std::array<uint8_t, 4>;  // alpha, red, green, blue

// A width x height context over our own zeroed pixels, rows padded by 8
// pixels so stride mistakes show.
class Canvas {
 public:
  Canvas(size_t width, size_t height)
      : width_(width), stride_(width + 8), pixels_(stride_ * height),
        context_(CGBitmapContextCreate(pixels_.data(), width, height, 8, stride_ * 4, space_,
                                       kCGImageAlphaPremultipliedFirst)) {}
  ~Canvas() {
    CGContextRelease(context_);
    CGColorSpaceRelease(space_);
  }
  CGContextRef get() const { return context_; }
  Pixel at(size_t x, size_t y) const { return pixels_[y * stride_ + x]; }
  std::vector<Pixel> row(size_t y) const { return {&pixels_[y * stride_], &pixels_[y * stride_ + width_]}; }
  void fillAll(Pixel p) {
    for (size_t i = 0; i < pixels_.size(); ++i) pixels_[i] = i % stride_ < width_ ? p : Pixel{};
  }

 private:
  size_t width_, stride_;
  std::vector<Pixel> pixels_;
  CGColorSpaceRef space_ = CGColorSpaceCreateDeviceRGB();
  CGContextRef context_;
};

constexpr Pixel kRed{255, 255, 0, 0}, kGreen{255, 0, 255, 0}, kBlue{255, 0, 0, 255}, kWhite{255, 255, 255, 255},
    kClear{0, 0, 0, 0};

TEST(BitmapContextTest, OnlyEightBitAlphaFirstFormatsAreAccepted) {
  CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
  // Bits per component, bytes per row, format: accepted.
  const std::tuple<size_t, size_t, CGBitmapInfo, bool> cases[] = {
      {8, 16, kCGImageAlphaPremultipliedFirst, true},
      {8, 16, kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Big, true},
      {8, 16, kCGImageAlphaNoneSkipFirst, true},
      {8, 0, kCGImageAlphaPremultipliedFirst, true},  // stride chosen as 4 * width
      {16, 32, kCGImageAlphaPremultipliedFirst, false},
      {8, 16, 1 /* premultiplied last */, false},
      {8, 12, kCGImageAlphaPremultipliedFirst, false},  // rows too short
      {8, 16, kCGImageAlphaPremultipliedFirst | (2 << 12) /* 32 little */, false}};
  for (const auto& [bits, stride, info, ok] : cases) {
    CGContextRef context = CGBitmapContextCreate(nullptr, 4, 2, bits, stride, space, info);
    EXPECT_EQ(ok, context != nullptr) << bits << " " << stride << " " << info;
    CGContextRelease(context);
  }
  EXPECT_EQ(nullptr, CGBitmapContextCreate(nullptr, 4, 2, 8, 16, nullptr, kCGImageAlphaPremultipliedFirst));
  const CGFloat rgba[] = {0.25f, 0.5f, 0.75f, 0.6f};
  EXPECT_EQ(nullptr, CGColorCreate(nullptr, rgba));
  CGColorSpaceRelease(space);
}

TEST(BitmapContextTest, FillBlendsAndClearEmptiesExactlyTheRectangleWithTheOriginAtTheBottomLeft) {
  Canvas canvas(4, 4);
  canvas.fillAll(kWhite);
  CGContextSetRGBFillColor(canvas.get(), 1, 0, 0, 0.5f);
  CGContextFillRect(canvas.get(), CGRectMake(1, 1, 2, 1));
  CGContextClearRect(canvas.get(), CGRectMake(0, 0, 2, 1));
  // y 1..2 up from the bottom is row 2 from the top, y 0..1 row 3.
  const Pixel half{255, 255, 127, 127};
  EXPECT_EQ(canvas.row(1), (std::vector{kWhite, kWhite, kWhite, kWhite}));
  EXPECT_EQ(canvas.row(2), (std::vector{kWhite, half, half, kWhite}));
  EXPECT_EQ(canvas.row(3), (std::vector{kClear, kClear, kWhite, kWhite}));
}

TEST(BitmapContextTest, ScaledImageIsFilteredBilinearly) {
  Canvas canvas(4, 1);
  const uint8_t pixels[] = {255, 0, 0, 0, 255, 255, 255, 255};  // black, white
  CGImageRef image = CGImageCreateWithARGB(2, 1, pixels, 8);
  CGContextDrawImage(canvas.get(), CGRectMake(0, 0, 4, 1), image);
  // Samples at source x 0.25, 0.75, 1.25, 1.75: the middle two blend, the
  // edges keep their solid colours. pixman weighs with 7-bit fractions, so a
  // quarter of 255 may come out 63.
  EXPECT_EQ((std::array{canvas.at(0, 0), canvas.at(3, 0)}), (std::array{Pixel{255, 0, 0, 0}, kWhite}));
  EXPECT_NEAR(64, canvas.at(1, 0)[1], 1);
  EXPECT_NEAR(191, canvas.at(2, 0)[1], 1);
  EXPECT_EQ(255, canvas.at(1, 0)[0]);
  CGImageRelease(image);
}

TEST(BitmapContextTest, RotationTurnsAboutTheTranslatedOriginAndRestoringDrawsTopRowUp) {
  Canvas canvas(4, 4);
  // A 2 x 2 opaque image: red, green on top; blue, white below.
  const uint8_t pixels[] = {255, 255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255};
  CGImageRef image = CGImageCreateWithARGB(2, 2, pixels, 8);
  CGContextSaveGState(canvas.get());
  CGContextTranslateCTM(canvas.get(), 2, 2);
  CGContextRotateCTM(canvas.get(), static_cast<CGFloat>(M_PI / 2));
  CGContextDrawImage(canvas.get(), CGRectMake(-1, -1, 2, 2), image);
  CGContextRestoreGState(canvas.get());
  // A quarter turn to the left: the top-left red goes to the bottom left.
  EXPECT_EQ(canvas.row(1), (std::vector{kClear, kGreen, kWhite, kClear}));
  EXPECT_EQ(canvas.row(2), (std::vector{kClear, kRed, kBlue, kClear}));
  // The state came back: at its own size untransformed the image is copied
  // exactly, its top row up.
  CGContextDrawImage(canvas.get(), CGRectMake(0, 0, 2, 2), image);
  EXPECT_EQ(canvas.row(2), (std::vector{kRed, kGreen, kBlue, kClear}));
  EXPECT_EQ(canvas.row(3), (std::vector{kBlue, kWhite, kClear, kClear}));
  CGImageRelease(image);
}

// One pixel filled at a global alpha (clamped to 0..1) and blend mode; an
// unknown mode draws as normal.
TEST(BitmapContextTest, GlobalAlphaAndBlendModesFollowThePdfFormulas) {
  const Pixel grey200{255, 200, 200, 200};
  // Canvas, grey fill level, alpha, mode: the pixel.
  const std::tuple<Pixel, CGFloat, CGFloat, CGBlendMode, Pixel> cases[] = {
      {kWhite, 0, 1.0f, kCGBlendModeNormal, {255, 0, 0, 0}},
      {kWhite, 0, 0.0f, kCGBlendModeNormal, kWhite},
      {kWhite, 0, 0.5f, kCGBlendModeNormal, {255, 127, 127, 127}},
      {kWhite, 0, -3.0f, kCGBlendModeNormal, kWhite},
      {kWhite, 0, 7.0f, kCGBlendModeNormal, {255, 0, 0, 0}},
      {grey200, 128, 1.0f, kCGBlendModeMultiply, {255, 100, 100, 100}},
      {grey200, 128, 1.0f, kCGBlendModeScreen, {255, 228, 228, 228}},
      {grey200, 128, 1.0f, kCGBlendModeDarken, {255, 128, 128, 128}},
      {grey200, 128, 1.0f, kCGBlendModeLighten, grey200},
      {grey200, 128, 1.0f, 99, {255, 128, 128, 128}}};
  for (const auto& [under, fill, alpha, mode, expected] : cases) {
    Canvas canvas(1, 1);
    canvas.fillAll(under);
    CGContextSetAlpha(canvas.get(), alpha);
    CGContextSetBlendMode(canvas.get(), mode);
    CGContextSetRGBFillColor(canvas.get(), fill / 255, fill / 255, fill / 255, 1);
    CGContextFillRect(canvas.get(), CGRectMake(0, 0, 1, 1));
    for (int i = 0; i < 4; ++i)
      EXPECT_NEAR(expected[i], canvas.at(0, 0)[i], 1) << "alpha " << alpha << " mode " << mode;
  }
}

TEST(PortContextTest, DrawsIntoThePortWithinItsClipAndEndsReleased) {
  GWorldPtr port = nullptr;
  const Rect bounds{0, 0, 4, 4}, clip{0, 0, 4, 2};  // left half only
  ASSERT_EQ(noErr, NewGWorld(&port, 32, &bounds));
  GWorldOwner owner(port);
  {
    PortSaver saver;
    SetGWorld(port, nullptr);
    ClipRect(&clip);
  }
  CGContextRef context = nullptr;
  ASSERT_EQ(noErr, QDBeginCGContext(port, &context));
  CGContextSetRGBFillColor(context, 0, 1, 0, 1);
  CGContextFillRect(context, CGRectMake(0, 3, 4, 1));  // the top row
  EXPECT_EQ(noErr, QDEndCGContext(port, &context));
  EXPECT_EQ(nullptr, context);
  CGContextRelease(context);  // harmless after the end
  const auto* row = reinterpret_cast<const uint8_t*>(port->portPixMap.baseAddr);
  EXPECT_EQ((std::vector<uint8_t>(row, row + 12)), (std::vector<uint8_t>{255, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0}));
  EXPECT_EQ((std::vector<uint8_t>(row + port->portPixMap.rowBytes, row + port->portPixMap.rowBytes + 4)),
            (std::vector<uint8_t>{0, 0, 0, 0}));
}

}  // namespace
