// An open dialog window: its commands and frame steps as one table, the
// colour and picture boxes, the preview and its frame editor; the frame
// editor's geometry and the frame fetch on their own.
#include <QApplication>
#include <QColorDialog>
#include <QSlider>

#include "plugin/core/bridges/pascal_fx.h"
#include "plugin/dialog/color_control.h"
#include "plugin/dialog/frame_handles.h"
#include "plugin/dialog/imovie_glue.h"
#include "plugin/dialog/picture_control.h"
#include "plugin/dialog/slider_handlers.h"
#include "tests/plugin/dialog/dialog_fixture.h"

namespace dialog_test {
namespace {

Rect R(int left, int top, int right, int bottom) {
  return Rect{int16_t(top), int16_t(left), int16_t(bottom), int16_t(right)};
}
Point P(int h, int v) { return Point{int16_t(v), int16_t(h)}; }

TEST(FrameHandlesTest, HitCodesAndDragGeometry) {
  const Rect preview = R(0, 0, 800, 400), frame = R(100, 50, 300, 150);
  const std::array<int, 3> hits[] = {{94, 44, 1},   {105, 55, 1},  {106, 56, 5},  {306, 50, 0}, {305, 50, 2},
                                     {300, 150, 4}, {200, 160, 0}, {100, 150, 3}, {99, 100, 0}, {299, 149, 4}};
  for (const auto& [h, v, code] : hits) EXPECT_EQ(code, IsHandleHit(frame, P(h, v))) << h << "," << v;
  // Eight pixels wide: the top-left handle wins over the top-right one and
  // over the inside.
  EXPECT_EQ(1, IsHandleHit(R(100, 50, 108, 150), P(102, 52)));
  gConfigWorkSpace = pluginWorkSpace{};  // no keepProps without a configuration
  // Handle, start, where the mouse ends, modifiers, the frame made. Option
  // keeps the centre; shift the proportions of the frame at mouse-down (higher
  // than wide, the right edge follows; the bottom-right handle with Option, and
  // wider than high with Shift: the drags on the preview below).
  const std::tuple<int16_t, Rect, Point, UInt32, Rect> drags[] = {
      {4, frame, P(320, 160), 0, R(100, 50, 320, 160)},
      {1, frame, P(350, 200), 0, R(300, 150, 350, 200)},  // turned over
      {2, frame, P(310, 40), 0, R(100, 40, 310, 150)},
      {3, frame, P(90, 170), optionMask, R(90, 30, 310, 170)},
      {0, frame, P(10, 10), 0, frame},
      {5, frame, P(10, 10), 0, frame},
      {4, R(100, 100, 200, 300), P(230, 400), shiftMask, R(100, 100, 250, 400)},
  };
  for (const auto& [handle, start, to, modifiers, expected] : drags) {
    Rect r = start;
    const Point corner = P(handle == 1 || handle == 3 ? r.left : r.right, handle <= 2 ? r.top : r.bottom);  // 1 to 4
    DragCorner(handle, r, corner, to, modifiers, preview, Rect2Rel(start, preview));
    EXPECT_EQ(toolkit_test::Sides(expected), toolkit_test::Sides(r))
        << "handle " << handle << " to " << to.h << "," << to.v;
  }
  Rect r = frame;
  DragRect(r, P(110, 60), P(-40, 400));
  EXPECT_EQ(toolkit_test::Sides(R(-50, 390, 150, 490)), toolkit_test::Sides(r))
      << "moving keeps the size and is not clamped";
}

// Low quality only for proxy renders under 260 lines; a negative frame
// number never reaches the host, and a failed fetch gives the host's code.
// (Frames counted from the clip's start, filling the buffer and keeping it on
// a failure: the frame steps below.)
TEST(FrameFetchTest, QualityFrameNumbersAndFailures) {
  const std::tuple<bool, int16_t, HYRefDVQuality> qualities[] = {
      {true, 259, kDVLowQuality}, {true, 260, kDVHighQuality}, {false, 240, kDVHighQuality}};
  for (const auto& [proxy, height, quality] : qualities) {
    _PluginParams params{};
    params.proxyOnly = proxy;
    EXPECT_EQ(quality, FrameFetchQuality(params, height)) << proxy << " " << height;
  }
  FakeHost host(36, 24);
  _PluginParams params = host.params(kPlugCustomButtonClick);
  GWorldOwner gw = MakeWorld(36, 24);
  params.startFrame = 10;
  EXPECT_EQ(-1, GetFrameIntoGW(gw.get(), &params, -11, 1));
  host.failures["GetFrame"] = kPluginOutOfMemory;
  EXPECT_EQ(kPluginOutOfMemory, GetFrameIntoGW(gw.get(), &params, -10, 1));
  EXPECT_EQ(host.calls, (std::vector<std::string>{"GetFrame 0 36x24 q1"}));
}

// Draws `control` with `handler`; its pixels inside (5, 5 in), at the
// top-left corner and at the bottom-right one.
std::array<uint32_t, 3> Draw(EventHandlerUPP handler, ControlRef control) {
  EventRef event = nullptr;
  CreateEvent(nullptr, kEventClassControl, kEventControlDraw, 0, 0, &event);
  SetEventParameter(event, kEventParamDirectObject, typeControlRef, sizeof control, &control);
  EXPECT_EQ(noErr, handler(nullptr, event, nullptr));
  ReleaseEvent(event);
  const Rect b = GetControlBox(control);
  GrafPtr port = GetWindowPort(lgTheWindow);
  return {RgbAt(port, b.left + 5, b.top + 5), RgbAt(port, b.left, b.top), RgbAt(port, b.right - 1, b.bottom - 1)};
}

// Each command writes the record and shows it: two colours, keep
// proportions, select all (even with keep proportions on), reset (the media
// type kept); a drag of the bottom-right handle keeps the HD preview's 16:9
// with keep proportions on; the step buttons move the scrubber one frame, never past the
// ends, and fetch that frame (a failed fetch keeps the one shown), and only
// dragging the scrubber changes the current frame. An unknown command is
// passed on and changes nothing.
TEST_F(DialogTest, CommandsAndFrameStepsWriteTheRecordAndShowIt) {
  config_->mediaType = 3;
  config_->sliders[1] = 60;
  config_->keepProps = true;
  config_->startRel = relRect{0.1, 0.3, 0.1, 0.3};
  params_.startFrame = 1000;
  auto click = [this](const char* name, HYPluginResult answer = kPluginOK) {
    return std::function<void()>([=, this] { host_.failures["GetFrame"] = answer, ClickCommand(lgTheWindow, name); });
  };
  InDialog(3, [&] {
    const std::pair<std::function<void()>, const char*> steps[] = {
        {click("twoColors"), "0.1,0.1,0.3,0.3 3 1 0 60 | 60 1 0 0 60% 0/2"},
        {click("keepProportions"), "0.1,0.1,0.3,0.3 3 0 0 60 | 60 0 0 0 60% 0/2"},
        {click("keepProportions"), "0.1,0.1,0.3,0.3 3 1 0 60 | 60 1 0 0 60% 0/2"},
        {click("selectAll"), "0,0,1,1 3 1 0 60 | 60 1 0 0 60% 0/2"},
        {[] {
           Drag(WidgetOf(lgTheWindow, "Clip", 1), {{479, 269}, {400, 200}, {380, 160}});
         },
         "0,0,0.835417,0.837037 3 1 0 60 | 60 1 0 0 60% 0/2"},
        {click("reset"), "0,0,1,1 3 0 1 17 | 17 0 1 0 17% 0/2"},
        {click("previousFrame"), "0,0,1,1 3 0 1 17 | 17 0 1 0 17% 0/2"},
        {click("nextFrame"), "0,0,1,1 3 0 1 17 | 17 0 1 1 17% 1/2"},
        {click("nextFrame", kPluginFailed), "0,0,1,1 3 0 1 17 | 17 0 1 2 17% 2/2"},
        {click("nextFrame"), "0,0,1,1 3 0 1 17 | 17 0 1 2 17% 2/2"},
    };
    for (const auto& [step, expected] : steps) {
      step();
      EXPECT_EQ(expected, State());
    }
    EXPECT_EQ(host_.calls,
              (std::vector<std::string>{"GetFrame 1001 720x480 q1", "ReleaseFrame", "GetFrame 1002 720x480 q1"}));
    EXPECT_EQ(gConfigWorkSpace.currFrameIndex, 0);
    // Frame 1001 in the dialog's frame buffer: (100 x 255 / 720, 50 x 255 / 480, 1001 x 53 + 20 cut to a byte).
    EXPECT_EQ(0x231A51u, RgbAt(gConfigWorkSpace.sourceClip, 100, 50));
    // The scrubber dragged to 1, in a clip whose first frame is 100 frames in.
    host_.failures.clear();
    gConfigWorkSpace.minFrameIndex = 100;
    SetControl32BitValue(gConfigWorkSpace.clipSlider, 1);
    ClipSliderAction(gConfigWorkSpace.clipSlider, kControlIndicatorPart);
    EXPECT_EQ(gConfigWorkSpace.currFrameIndex, 1);
    EXPECT_EQ(host_.calls[host_.calls.size() - 2], "GetFrame 1101 720x480 q1");
    lgItemHit = 5;
    const HICommand unknown{0, toolkit_test::Code("abcd"), {nullptr, 0}};
    EXPECT_EQ(eventNotHandledErr, ProcessHICommand(&unknown));
    EXPECT_TRUE(lgItemHit == -1 && IsWindowVisible(lgTheWindow));
    EXPECT_EQ("0,0,1,1 3 0 1 17 | 17 0 1 1 17% 1/2", State());
  });
}

// The colour box is filled and outlined, and a click opens the picker whose
// answer (kept when cancelled) its "Col3" command copies into the
// configuration. The picture box is white and outlined, inverted while
// pressed.
TEST_F(DialogTest, ColourAndPictureBoxesDrawAndTakeThePickedColour) {
  InDialog(150, [&] {
    ControlRef box = Control(lgTheWindow, "Colr", 3);
    SetControl32BitValue(box, 0x336699);
    ShowControl(box);
    EXPECT_EQ((std::array<uint32_t, 3>{0x336699, 0, 0}), Draw(ColorBoxControlHandler, box));
    for (const auto& [choice, value] : {std::pair{QColor(), 0x336699}, {QColor(0x12, 0x34, 0x56), 0x123456}}) {
      // Answers the picker once it is up, or cancels it for an invalid choice.
      std::function<void()> answer = [&] {
        auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) return QTimer::singleShot(20, answer);
        if (choice.isValid()) dialog->setCurrentColor(choice);
        choice.isValid() ? dialog->accept() : dialog->reject();
      };
      QTimer::singleShot(20, answer);
      Drag(WidgetOf(lgTheWindow, "Colr", 3), {{4, 4}, {4, 4}});
      const RGBColor& c = config_->colors[3];
      EXPECT_EQ((std::array<int, 4>{value, value >> 16 << 8, (value >> 8 & 0xFF) << 8, (value & 0xFF) << 8}),
                (std::array<int, 4>{GetControl32BitValue(box), c.red, c.green, c.blue}));
    }
    // Any control of the window can stand for a picture box: the handler draws
    // within its bounds.
    box = Control(lgTheWindow, "Colr", 2);
    EXPECT_EQ((std::array<uint32_t, 3>{0xFFFFFF, 0, 0}), Draw(PictureControlHandler, box));
    HiliteControl(box, 1);
    EXPECT_EQ((std::array<uint32_t, 3>{0, 0xFFFFFF, 0xFFFFFF}), Draw(PictureControlHandler, box));
  });
}

// The frame as the render path prints it at `strength`, scaled to the
// preview's size as the preview scales it.
GWorldOwner Printed(pluginDataRec config, int16_t strength, GrafPtr frame, const Rect& preview) {
  config.sliders[1] = strength;
  GWorldOwner printed(MakeGWorldClone(frame)),
      scaled = MakeWorld(preview.right - preview.left, preview.bottom - preview.top);
  int16_t opacity = 0;
  DoEffect(&config, nullptr, frame, printed.get(), 0, 0, 0, 1, 0, 0, 0, opacity);
  Source2Target(printed.get(), scaled.get());
  return scaled;
}

// The preview shows the effect on the scaled frame, the frame outline in
// frameStartColor (red after a reset) just inside the frame, handles ringed
// black, white, black from the outside in, and a black border over the
// picture's outermost pixels; it follows the strength slider during its drag.
TEST_F(DialogTest, PreviewShowsTheEffectAndFollowsTheStrength) {
  config_->startRel = relRect{0.25, 0.75, 0.25, 0.75};  // (90, 60) to (270, 180)
  InDialog(150, [&] {
    const Rect preview = PreviewBounds();
    ASSERT_TRUE(preview.right - preview.left == 360 && preview.bottom - preview.top == 240);
    GWorldOwner at17 = Printed(*config_, 17, frame_.get(), preview),
                at42 = Printed(*config_, 42, frame_.get(), preview);
    auto shown = [&](int x, int y) { return RgbAt(GetWindowPort(lgTheWindow), preview.left + x, preview.top + y); };
    // Points of the picture clear of the border, the outline and the handles.
    std::vector<std::pair<int, int>> points;
    for (int y = 3; y < 237; y += 13)
      for (int x = 3; x < 357; x += 17)
        if (std::abs(x - 90) > 8 && std::abs(x - 269) > 8 && std::abs(y - 60) > 8 && std::abs(y - 179) > 8)
          points.emplace_back(x, y);
    int differing = 0;
    for (auto [x, y] : points) {
      EXPECT_EQ(RgbAt(at17.get(), x, y), shown(x, y)) << x << "," << y;
      differing += RgbAt(at42.get(), x, y) != RgbAt(at17.get(), x, y);
    }
    EXPECT_GT(differing, 20) << "the two strengths must look different for this test to mean anything";
    for (auto [x, y] : {std::pair{90, 120}, {269, 100}, {180, 60}, {150, 179}}) EXPECT_EQ(0xFF0000u, shown(x, y));
    EXPECT_EQ((std::array<uint32_t, 3>{0, 0xFFFFFF, 0}), (std::array{shown(90, 54), shown(90, 55), shown(90, 56)}));
    for (auto [x, y] : {std::pair{0, 0}, {359, 120}, {200, 239}, {0, 100}}) EXPECT_EQ(0u, shown(x, y)) << x << "," << y;
    auto* slider = static_cast<QSlider*>(WidgetOf(lgTheWindow, "Sldr", 1));
    slider->setSliderDown(true);  // as a drag of its thumb does
    slider->setSliderPosition(42);
    EXPECT_EQ("42%", TextOf(lgTheWindow, "Lgnd", 1));
    EXPECT_EQ(42, config_->sliders[1]);
    for (auto [x, y] : points) EXPECT_EQ(RgbAt(at42.get(), x, y), shown(x, y)) << x << "," << y;
  });
}

// Drags on the preview control itself, points relative to the control: a
// click outside the frame starts no drag; Option at mouse-down keeps the
// centre, pressed only during the drag it has no effect; Shift keeps 180 x
// 120 in proportion, grown to 240 wide; a move leaving the preview resumes
// with the grab offset. Every step is written before the release.
TEST_F(DialogTest, DragsOnThePreviewMoveTheFrameByTheirRules) {
  const relRect small{0.25, 0.5, 0.25, 0.5}, large{0.25, 0.75, 0.25, 0.75};  // (90, 60) to (180, 120) or (270, 180)
  const Qt::KeyboardModifiers none, alt = Qt::AltModifier, shift = Qt::ShiftModifier;
  const std::tuple<relRect, Qt::KeyboardModifiers, Qt::KeyboardModifiers, Rect, std::vector<QPoint>> cases[] = {
      {small, none, none, R(90, 60, 180, 120), {{300, 200}, {250, 150}, {120, 100}}},
      {large, alt, alt, R(70, 50, 290, 190), {{270, 180}, {280, 185}, {290, 190}, {290, 190}}},
      {large, none, alt, R(90, 60, 290, 190), {{270, 180}, {290, 190}, {290, 190}}},
      {large, shift, shift, R(90, 60, 330, 220), {{270, 180}, {300, 170}, {330, 180}, {330, 180}}},
      {small, none, none, R(110, 90, 200, 150), {{100, 70}, {110, 80}, {400, 80}, {500, 300}, {120, 100}, {120, 100}}},
  };
  for (const auto& [frame, atPress, later, expected, path] : cases) {
    config_->startRel = frame;
    InDialog(150, [&] {
      Drag(WidgetOf(lgTheWindow, "Clip", 1), path, atPress, later);
      Rect r = Rel2Rect(config_->startRel, PreviewBounds());
      OffsetRect(&r, static_cast<short>(-PreviewBounds().left), static_cast<short>(-PreviewBounds().top));
      EXPECT_EQ(toolkit_test::Sides(expected), toolkit_test::Sides(r))
          << path.size() << " points from " << path[0].x() << "," << path[0].y();
    });
  }
  config_->startRel = small;
  InDialog(150, [&] {
    std::vector<double> lefts;
    QWidget* preview = WidgetOf(lgTheWindow, "Clip", 1);
    auto send = [&](QEvent::Type type, int h, Qt::MouseButton button, Qt::MouseButtons buttons) {
      return [=, &lefts, this] {
        lefts.push_back(config_->startRel.left);
        toolkit_test::SendMouse(preview, type, {h, 70}, button, buttons);
      };
    };
    // The configuration is read at every step, while the button is down.
    InTurns({send(QEvent::MouseMove, 136, Qt::NoButton, Qt::LeftButton),
             send(QEvent::MouseMove, 172, Qt::NoButton, Qt::LeftButton),
             send(QEvent::MouseButtonRelease, 172, Qt::LeftButton, Qt::NoButton)},
            send(QEvent::MouseButtonPress, 100, Qt::LeftButton, Qt::LeftButton));
    EXPECT_EQ((std::vector<double>{0.25, 0.25, 126.0 / 360, 162.0 / 360}), lefts);
    EXPECT_DOUBLE_EQ(162.0 / 360, config_->startRel.left);
  });
}

}  // namespace
}  // namespace dialog_test
