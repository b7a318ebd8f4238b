// The frame editor: hit codes and drag geometry as tables, then drags on the
// real preview control.
#include <QTimer>
#include <QWidget>

#include "plugin/core/globals.h"
#include "plugin/dialog/carbonmacros.h"
#include "plugin/dialog/frame_handles.h"
#include "tests/plugin/dialog/dialog_fixture.h"

namespace dialog_test {
namespace {

Rect R(int left, int top, int right, int bottom) {
  return Rect{static_cast<int16_t>(top), static_cast<int16_t>(left), static_cast<int16_t>(bottom),
              static_cast<int16_t>(right)};
}
Point P(int h, int v) { return Point{static_cast<int16_t>(v), static_cast<int16_t>(h)}; }

// Where handle 1 to 4 of `r` sits.
Point Corner(int16_t handle, const Rect& r) {
  return P(handle == 1 || handle == 3 ? r.left : r.right, handle <= 2 ? r.top : r.bottom);
}

TEST(FrameHandlesTest, HitCodes) {
  const Rect frame = R(100, 50, 300, 150);
  const std::array<int, 3> cases[] = {{94, 44, 1},   {105, 55, 1},  {106, 56, 5},  {306, 50, 0}, {305, 50, 2},
                                      {300, 150, 4}, {200, 160, 0}, {100, 150, 3}, {99, 100, 0}, {299, 149, 4}};
  for (const auto& [h, v, code] : cases) EXPECT_EQ(code, IsHandleHit(frame, P(h, v))) << h << "," << v;
  // Eight pixels wide: the top-left handle wins over the top-right one and
  // over the inside.
  EXPECT_EQ(1, IsHandleHit(R(100, 50, 108, 150), P(102, 52)));
}

TEST(FrameHandlesTest, CornerDragsAndMovesWithoutKeepProportions) {
  gConfigWorkSpace = pluginWorkSpace{};  // no keepProps without a configuration
  const Rect preview = R(0, 0, 800, 400), frame = R(100, 50, 300, 150);
  const struct {
    int16_t handle;
    Rect start;
    Point to;  // where the mouse ends, from the handle
    UInt32 modifiers;
    Rect expected;
  } cases[] = {
      {4, frame, P(320, 160), 0, R(100, 50, 320, 160)},
      {4, frame, P(320, 160), optionMask, R(80, 40, 320, 160)},
      {1, frame, P(350, 200), 0, R(300, 150, 350, 200)},  // turned over
      {2, frame, P(310, 40), 0, R(100, 40, 310, 150)},
      {3, frame, P(90, 170), 0, R(90, 50, 300, 170)},
      {3, frame, P(90, 170), optionMask, R(90, 30, 310, 170)},
      {0, frame, P(10, 10), 0, frame},
      {5, frame, P(10, 10), 0, frame},
      // Shift keeps the proportions of the frame at mouse-down: wider than
      // high, the bottom follows; higher than wide, the right edge.
      {4, R(200, 100, 400, 200), P(500, 230), shiftMask, R(200, 100, 500, 250)},
      {4, R(100, 100, 200, 300), P(230, 400), shiftMask, R(100, 100, 250, 400)},
  };
  for (const auto& c : cases) {
    Rect r = c.start;
    DragCorner(c.handle, r, Corner(c.handle, r), c.to, c.modifiers, preview, Rect2Rel(c.start, preview));
    EXPECT_EQ(Sides(c.expected), Sides(r)) << "handle " << c.handle << " to " << c.to.h << "," << c.to.v;
  }
  Rect r = frame;
  DragRect(r, P(110, 60), P(-40, 400));
  EXPECT_EQ(Sides(R(-50, 390, 150, 490)), Sides(r)) << "moving keeps the size and is not clamped";
}

TEST_F(DialogTest, KeepProportionsGivesEveryCornerDragThePreviewsProportions) {
  config_->keepProps = true;
  OpenWindow();
  const Rect preview = PreviewBounds();
  ASSERT_EQ(360, preview.right - preview.left);
  ASSERT_EQ(240, preview.bottom - preview.top);
  const std::array<int, 3> drags[] = {{4, 37, 5},   {4, -51, 90},  {1, 13, -7}, {2, 61, 3},
                                      {3, -29, 44}, {1, 100, 100}, {4, 3, 1}};  // handle, dx, dy
  for (const auto& [handle, dx, dy] : drags) {
    Rect r = R(preview.left + 50, preview.top + 40, preview.left + 200, preview.top + 140);
    const Point from = Corner(handle, r);
    DragCorner(handle, r, from, P(from.h + dx, from.v + dy), 0, preview, config_->startRel);
    const int width = r.right - r.left, height = r.bottom - r.top;
    EXPECT_EQ(static_cast<int>(width * 2.0 / 3.0 + 0.5), height) << handle << " " << dx << "," << dy;
  }
}

// Drags on the preview control itself; points are relative to the control.
class PreviewDragTest : public DialogTest {
 protected:
  void Open(const relRect& frame) {
    config_->startRel = frame;
    OpenWindow();
    origin_ = PreviewBounds();
  }
  // The configured frame in control coordinates.
  Rect Frame() const {
    Rect r = Rel2Rect(config_->startRel, origin_);
    OffsetRect(&r, static_cast<short>(-origin_.left), static_cast<short>(-origin_.top));
    return r;
  }
  QWidget* Preview() { return WidgetOf(window_, "Clip", 1); }
  Rect origin_{};
};

TEST_F(PreviewDragTest, DragsOnThePreviewMoveTheFrameByTheirRules) {
  const relRect small{0.25, 0.5, 0.25, 0.5}, large{0.25, 0.75, 0.25, 0.75};  // (90, 60) to (180, 120) or (270, 180)
  const Qt::KeyboardModifiers none, alt = Qt::AltModifier, shift = Qt::ShiftModifier;
  const struct {
    relRect frame;
    Qt::KeyboardModifiers atPress, later;
    Rect expected;
    std::vector<QPoint> path;
  } cases[] = {
      // A click outside the frame starts no drag.
      {small, none, none, R(90, 60, 180, 120), {{300, 200}, {250, 150}, {120, 100}}},
      // Option at mouse-down keeps the centre; pressed only during the drag, it has no effect.
      {large, alt, alt, R(70, 50, 290, 190), {{270, 180}, {280, 185}, {290, 190}, {290, 190}}},
      {large, none, alt, R(90, 60, 290, 190), {{270, 180}, {290, 190}, {290, 190}}},
      // Shift keeps 180 x 120 in proportion, grown to 240 wide.
      {large, shift, shift, R(90, 60, 330, 220), {{270, 180}, {300, 170}, {330, 180}, {330, 180}}},
      // A move leaving the preview resumes with the grab offset.
      {small, none, none, R(110, 90, 200, 150), {{100, 70}, {110, 80}, {400, 80}, {500, 300}, {120, 100}, {120, 100}}},
  };
  for (const auto& c : cases) {
    Open(c.frame);
    Drag(Preview(), c.path, c.atPress, c.later);
    EXPECT_EQ(Sides(c.expected), Sides(Frame())) << "case " << &c - cases;
    TearDown();  // the next case on a fresh dialog
    SetUp();
  }
}

TEST_F(PreviewDragTest, EveryStepIsWrittenBeforeTheRelease) {
  Open(relRect{0.25, 0.5, 0.25, 0.5});
  std::vector<double> lefts;
  QWidget* preview = Preview();
  // Reads the configuration between the moves, while the button is down.
  QTimer::singleShot(0, preview, [&] {
    SendMouse(preview, QEvent::MouseMove, {136, 70}, Qt::NoButton, Qt::LeftButton);
    QTimer::singleShot(0, preview, [&] {
      lefts.push_back(config_->startRel.left);
      SendMouse(preview, QEvent::MouseMove, {172, 70}, Qt::NoButton, Qt::LeftButton);
      QTimer::singleShot(0, preview, [&] {
        lefts.push_back(config_->startRel.left);
        SendMouse(preview, QEvent::MouseButtonRelease, {172, 70}, Qt::LeftButton, Qt::NoButton);
      });
    });
  });
  SendMouse(preview, QEvent::MouseButtonPress, {100, 70}, Qt::LeftButton, Qt::LeftButton);
  ASSERT_EQ(2u, lefts.size());
  EXPECT_DOUBLE_EQ(126.0 / 360, lefts[0]);
  EXPECT_DOUBLE_EQ(162.0 / 360, lefts[1]);
  EXPECT_DOUBLE_EQ(162.0 / 360, config_->startRel.left);
}

}  // namespace
}  // namespace dialog_test
