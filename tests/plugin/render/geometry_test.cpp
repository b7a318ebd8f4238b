#include <gtest/gtest.h>

#include <cmath>

#include "plugin/render/callpixelfx.h"
#include "plugin/render/offscreen_buffers.h"
#include "plugin/render/rect_geometry.h"
#include "plugin/render/relrects.h"

namespace {

// Rect fields are top, left, bottom, right.
void ExpectRect(const Rect& r, int top, int left, int bottom, int right) {
  EXPECT_EQ(r.top, top);
  EXPECT_EQ(r.left, left);
  EXPECT_EQ(r.bottom, bottom);
  EXPECT_EQ(r.right, right);
}

void ExpectRel(const relRect& r, double left, double right, double top, double bottom) {
  EXPECT_DOUBLE_EQ(r.left, left);
  EXPECT_DOUBLE_EQ(r.right, right);
  EXPECT_DOUBLE_EQ(r.top, top);
  EXPECT_DOUBLE_EQ(r.bottom, bottom);
}

TEST(RelRects, Rel2RectScalesFromTheFrameCornerAndTruncates) {
  relRect whole;
  InitRelRect(whole);
  ExpectRect(Rel2Rect(whole, Rect{0, 0, 480, 720}), 0, 0, 480, 720);
  ExpectRect(Rel2Rect(whole, Rect{10, 20, 490, 740}), 10, 20, 490, 740);
  ExpectRect(Rel2Rect(relRect{0.25, 0.75, 0.5, 1.0}, Rect{0, 0, 480, 720}), 240, 180, 480, 540);
  EXPECT_EQ(Rel2Rect(relRect{0.9999, 1, 0, 1}, Rect{0, 0, 480, 720}).left, 719);
  // Fractions outside 0..1 convert like any other, and NaN gives the corner.
  EXPECT_EQ(Rel2Rect(relRect{-0.5, 1.5, 0, 1}, Rect{0, 0, 10, 100}).left, -50);
  EXPECT_EQ(Rel2Rect(relRect{std::nan(""), 1, 0, 1}, Rect{5, 7, 10, 100}).left, 7);
}

TEST(RelRects, Rect2RelMeasuresFromTheFrameCorner) {
  ExpectRel(Rect2Rel(Rect{48, 72, 432, 648}, Rect{0, 0, 480, 720}), 0.1, 0.9, 0.1, 0.9);
  const relRect r = Rect2Rel(Rect{20, 30, 20, 30}, Rect{10, 20, 60, 120});
  EXPECT_DOUBLE_EQ(r.left, 0.1);
  EXPECT_DOUBLE_EQ(r.top, 0.2);
  ExpectRel(SetRelRect(0.1, 0.2, 0.3, 0.4), 0.1, 0.3, 0.2, 0.4);
}

TEST(RelRects, PointsConvertBothWays) {
  const Point p = Rel2Point(relPoint{0.5, 0.25}, Rect{10, 20, 110, 220});
  EXPECT_EQ(p.h, 120);
  EXPECT_EQ(p.v, 35);
  const relPoint back = Point2Rel(p, Rect{10, 20, 110, 220});
  EXPECT_DOUBLE_EQ(back.horiz, 0.5);
  EXPECT_DOUBLE_EQ(back.vert, 0.25);
}

TEST(RelRects, TweenInterpolatesInsideTheRangeAndHoldsOutside) {
  relRect whole;
  InitRelRect(whole);
  const relRect point{0.5, 0.5, 0.5, 0.5};
  ExpectRel(CalcTweenRel(0, 10, 5, whole, point), 0.25, 0.75, 0.25, 0.75);
  ExpectRel(CalcTweenRel(0, 10, -1, whole, point), 0, 1, 0, 1);
  ExpectRel(CalcTweenRel(0, 10, 11, whole, point), 0.5, 0.5, 0.5, 0.5);
  ExpectRel(CalcTweenRel(0, 10, 10, whole, point), 0.5, 0.5, 0.5, 0.5);
}

TEST(Geometry, KeepPropsRoundsHalfUp) {
  const Rect r640x480{0, 0, 480, 640};
  ExpectRect(KeepPropsWithFixedHorizontal(r640x480, Rect{10, 20, 110, 340}), 10, 20, 250, 340);
  EXPECT_EQ(KeepPropsWithFixedVertical(r640x480, Rect{0, 0, 100, 5}).right, 133);
  const Rect r3x2{0, 0, 2, 3};
  EXPECT_EQ(KeepPropsWithFixedHorizontal(r3x2, Rect{0, 0, 9, 1}).bottom, 1);
  EXPECT_EQ(KeepPropsWithFixedVertical(r3x2, Rect{0, 0, 1, 9}).right, 2);
}

TEST(Geometry, KeepPropsWithZeroExtents) {
  const Rect newSize{1, 2, 30, 40};
  ExpectRect(KeepPropsWithFixedHorizontal(Rect{0, 0, 10, 0}, newSize), 1, 2, 30, 40);
  ExpectRect(KeepPropsWithFixedVertical(Rect{0, 0, 0, 10}, newSize), 1, 2, 30, 40);
  // The other axis zero: infinite or zero proportions give a zero extent.
  EXPECT_EQ(KeepPropsWithFixedHorizontal(Rect{0, 0, 0, 10}, newSize).bottom, 1);
  EXPECT_EQ(KeepPropsWithFixedVertical(Rect{0, 0, 10, 0}, newSize).right, 2);
}

TEST(Geometry, ProportionalRectFollowsOrientation) {
  ExpectRect(CalcProportionalRectForFrame(Rect{0, 0, 400, 400}, Rect{0, 0, 480, 720}), 0, 0, 480, 480);
  ExpectRect(CalcProportionalRectForFrame(Rect{0, 0, 400, 400}, Rect{0, 0, 720, 480}), 0, 0, 480, 480);
  ExpectRect(CalcProportionalRectForFrame(Rect{0, 0, 900, 1000}, Rect{0, 0, 480, 720}), 0, 0, 648, 720);
}

TEST(Geometry, CenterAndVerify) {
  Rect r{0, 0, 10, 11};
  CenterRectInRect(r, Rect{0, 0, 100, 100});
  ExpectRect(r, 45, 45, 55, 56);
  Rect inverted{30, 40, 10, 20};
  VerifyRect(inverted);
  ExpectRect(inverted, 10, 20, 30, 40);
}

TEST(OffscreenBuffers, AllocateRectGWorldStartsAtOriginAndKeepsTheCallersRect) {
  const Rect asked{100, 50, 200, 250};
  GrafPtr world = AllocateRectGWorld(asked);
  ASSERT_NE(world, nullptr);
  ExpectRect(GetPortRect(world), 0, 0, 100, 200);
  ExpectRect(asked, 100, 50, 200, 250);
  EXPECT_TRUE(GetPixelsState(GetGWorldPixMap(world)) & pixelsLocked);
  DisposeGWorld(world);
}

TEST(OffscreenBuffers, ClearCloneAndScaleRestoreThePort) {
  GrafPtr previous = AllocateGWorld(2, 2);
  SetGWorld(previous, nullptr);
  GrafPtr world = AllocateGWorld(4, 2);
  ClearGW(world, RGBColor{0xFFFF, 0x8000, 0x00FF});
  CGrafPtr current = nullptr;
  GetGWorld(&current, nullptr);
  EXPECT_EQ(current, previous);
  GrafPtr clone = MakeGWorldClone(world);
  ASSERT_NE(clone, nullptr);
  GrafPtr big = AllocateGWorld(8, 4);
  Source2Target(clone, big);
  const auto* pixel = reinterpret_cast<const uint8_t*>(GetPixBaseAddr(GetGWorldPixMap(big)) +
                                                       3 * GetPixRowBytes(GetGWorldPixMap(big)) + 7 * 4);
  EXPECT_EQ(pixel[0], 255);
  EXPECT_EQ(pixel[1], 0xFF);
  EXPECT_EQ(pixel[2], 0x80);
  EXPECT_EQ(pixel[3], 0x00);
  for (GrafPtr w : {previous, world, clone, big}) DisposeGWorld(w);
}

}  // namespace
