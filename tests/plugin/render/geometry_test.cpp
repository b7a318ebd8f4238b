#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "plugin/render/callpixelfx.h"
#include "plugin/render/offscreen_buffers.h"
#include "plugin/render/rect_geometry.h"
#include "plugin/render/relrects.h"
#include "tests/support/gworld_fixture.h"

namespace {

using Sides = std::array<int, 4>;         // top, left, bottom, right
using Fractions = std::array<double, 4>;  // left, right, top, bottom
Sides sides(const Rect& r) { return {r.top, r.left, r.bottom, r.right}; }
Fractions fractions(const relRect& r) { return {r.left, r.right, r.top, r.bottom}; }

TEST(RelRects, ConvertFromTheFrameCornerTruncateAndTween) {
  relRect whole;
  InitRelRect(whole);
  for (const Rect& frame : {Rect{0, 0, 480, 720}, Rect{10, 20, 490, 740}})
    EXPECT_EQ(sides(Rel2Rect(whole, frame)), sides(frame));
  EXPECT_EQ(sides(Rel2Rect(relRect{0.25, 0.75, 0.5, 1.0}, Rect{0, 0, 480, 720})), (Sides{240, 180, 480, 540}));
  EXPECT_EQ(Rel2Rect(relRect{0.9999, 1, 0, 1}, Rect{0, 0, 480, 720}).left, 719);
  // Fractions outside 0..1 convert like any other, and NaN gives the corner.
  EXPECT_EQ(Rel2Rect(relRect{-0.5, 1.5, 0, 1}, Rect{0, 0, 10, 100}).left, -50);
  EXPECT_EQ(Rel2Rect(relRect{std::nan(""), 1, 0, 1}, Rect{5, 7, 10, 100}).left, 7);

  EXPECT_EQ(fractions(Rect2Rel(Rect{48, 72, 432, 648}, Rect{0, 0, 480, 720})), (Fractions{0.1, 0.9, 0.1, 0.9}));
  EXPECT_EQ(fractions(Rect2Rel(Rect{20, 30, 20, 30}, Rect{10, 20, 60, 120})), (Fractions{0.1, 0.1, 0.2, 0.2}));
  EXPECT_EQ(fractions(SetRelRect(0.1, 0.2, 0.3, 0.4)), (Fractions{0.1, 0.3, 0.2, 0.4}));

  const Point p = Rel2Point(relPoint{0.5, 0.25}, Rect{10, 20, 110, 220});
  EXPECT_EQ((std::array{p.h, p.v}), (std::array<int16_t, 2>{120, 35}));
  const relPoint back = Point2Rel(p, Rect{10, 20, 110, 220});
  EXPECT_EQ((std::array{back.horiz, back.vert}), (std::array{0.5, 0.25}));
  // A tween interpolates inside its frame range and holds outside it.
  const std::pair<int32_t, Fractions> tweens[] = {
      {5, {0.25, 0.75, 0.25, 0.75}}, {-1, {0, 1, 0, 1}}, {10, {0.5, 0.5, 0.5, 0.5}}, {11, {0.5, 0.5, 0.5, 0.5}}};
  for (const auto& [frame, expected] : tweens)
    EXPECT_EQ(fractions(CalcTweenRel(0, 10, frame, whole, relRect{0.5, 0.5, 0.5, 0.5})), expected) << frame;
}

TEST(Geometry, RectangleHelpers) {
  const Rect r640x480{0, 0, 480, 640}, r3x2{0, 0, 2, 3}, newSize{1, 2, 30, 40};
  // The rectangle made, the sides expected.
  const std::pair<Rect, Sides> cases[] = {
      // Proportions kept, the computed extent rounded half up.
      {KeepPropsWithFixedHorizontal(r640x480, Rect{10, 20, 110, 340}), {10, 20, 250, 340}},
      {KeepPropsWithFixedVertical(r640x480, Rect{0, 0, 100, 5}), {0, 0, 100, 133}},
      {KeepPropsWithFixedHorizontal(r3x2, Rect{0, 0, 9, 1}), {0, 0, 1, 1}},
      {KeepPropsWithFixedVertical(r3x2, Rect{0, 0, 1, 9}), {0, 0, 1, 2}},
      // Zero extents: the size unchanged, or infinite or zero proportions
      // giving a zero extent.
      {KeepPropsWithFixedHorizontal(Rect{0, 0, 10, 0}, newSize), {1, 2, 30, 40}},
      {KeepPropsWithFixedVertical(Rect{0, 0, 0, 10}, newSize), {1, 2, 30, 40}},
      {KeepPropsWithFixedHorizontal(Rect{0, 0, 0, 10}, newSize), {1, 2, 1, 40}},
      {KeepPropsWithFixedVertical(Rect{0, 0, 10, 0}, newSize), {1, 2, 30, 2}},
      // Fitted by the frame's orientation.
      {CalcProportionalRectForFrame(Rect{0, 0, 400, 400}, Rect{0, 0, 480, 720}), {0, 0, 480, 480}},
      {CalcProportionalRectForFrame(Rect{0, 0, 400, 400}, Rect{0, 0, 720, 480}), {0, 0, 480, 480}},
      {CalcProportionalRectForFrame(Rect{0, 0, 900, 1000}, Rect{0, 0, 480, 720}), {0, 0, 648, 720}},
  };
  for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(sides(cases[i].first), cases[i].second) << "case " << i;
  Rect r{0, 0, 10, 11}, inverted{30, 40, 10, 20};
  CenterRectInRect(r, Rect{0, 0, 100, 100});
  EXPECT_EQ(sides(r), (Sides{45, 45, 55, 56}));
  VerifyRect(inverted);
  EXPECT_EQ(sides(inverted), (Sides{10, 20, 30, 40}));
}

// A buffer for a rectangle starts at the origin, locked; clearing, cloning
// and scaling leave the caller's port current.
TEST(OffscreenBuffers, StartAtTheOriginAndLeaveThePort) {
  GWorldOwner previous = MakeWorld(2, 2), world(AllocateRectGWorld(Rect{100, 50, 200, 250})), big(AllocateGWorld(8, 4));
  EXPECT_EQ(sides(GetPortRect(world.get())), (Sides{0, 0, 100, 200}));
  EXPECT_TRUE(GetPixelsState(GetGWorldPixMap(world.get())) & pixelsLocked);
  SetGWorld(previous.get(), nullptr);
  ClearGW(world.get(), RGBColor{0xFFFF, 0x8000, 0x00FF});
  GWorldOwner clone(MakeGWorldClone(world.get()));
  Source2Target(clone.get(), big.get());
  CGrafPtr current = nullptr;
  GetGWorld(&current, nullptr);
  EXPECT_EQ(current, previous.get());
  EXPECT_TRUE(SamePixel(*PixelAt(big.get(), 7, 3), pixRec{255, 0xFF, 0x80, 0x00}));
  SetGWorld(nullptr, nullptr);
}

}  // namespace
