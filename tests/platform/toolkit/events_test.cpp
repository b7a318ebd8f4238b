// Commands, handler chains, the modal loop, windows disposed of by their own
// handlers, custom control tracking and drawing, through real widgets.
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>

#include "platform/toolkit/qt_access.h"
#include "tests/platform/toolkit/panel_fixture.h"

namespace toolkit_test {
namespace {

std::vector<std::string> gCommands;
OSStatus gWindowAnswer = noErr;

// Notes "tag" and the command's four characters; answers gWindowAnswer for
// the window, noErr for the application.
OSStatus RecordCommand(EventHandlerCallRef, EventRef event, void* tag) {
  HICommand command{};
  GetEventParameter(event, kEventParamDirectObject, typeHICommand, nullptr, sizeof command, nullptr, &command);
  std::string code(4, ' ');
  for (int i = 0; i < 4; ++i) code[i] = static_cast<char>(command.commandID >> (24 - 8 * i));
  gCommands.push_back(static_cast<const char*>(tag) + code);
  return std::string(static_cast<const char*>(tag)) == "window:" ? gWindowAnswer : noErr;
}

// Quits the window's modal loop on "ok  ", disposes of the window on "abcd".
OSStatus QuitOrDispose(EventHandlerCallRef, EventRef event, void* window) {
  HICommand command{};
  GetEventParameter(event, kEventParamDirectObject, typeHICommand, nullptr, sizeof command, nullptr, &command);
  if (command.commandID == kHICommandOK) return QuitAppModalLoopForWindow(static_cast<WindowRef>(window));
  if (command.commandID != Code("abcd")) return eventNotHandledErr;
  DisposeWindow(static_cast<WindowRef>(window));
  return noErr;
}

// Controls send their command to the window; one the window does not handle
// goes on to the application, and a removed handler hears nothing more. A
// modal loop runs until quit, and Escape sends "not!" without hiding its
// window; the window is non-modal afterwards. A handler may dispose of the
// window whose button sent the command, which then frees its control class.
TEST_F(PanelTest, CommandsFollowTheHandlerChainTheModalLoopAndTheWindowsEnd) {
  gCommands.clear();
  const EventTypeSpec commandEvent{kEventClassCommand, kEventCommandProcess};
  EventHandlerRef windowHandler = nullptr, appHandler = nullptr;
  InstallEventHandler(GetWindowEventTarget(window_), RecordCommand, 1, &commandEvent, const_cast<char*>("window:"),
                      &windowHandler);
  InstallEventHandler(GetApplicationEventTarget(), RecordCommand, 1, &commandEvent, const_cast<char*>("app:"),
                      &appHandler);
  ShowWindow(window_);
  QPointer<QWidget> top = ToolkitWindowWidget(window_);
  auto click = [&](const char* button) { QTest::mouseClick(top->findChild<QPushButton*>(button), Qt::LeftButton); };
  click("okButton");
  QTest::mouseClick(WidgetOf(window_, "Keep", 1), Qt::LeftButton);
  gWindowAnswer = eventNotHandledErr;
  click("otherButton");
  RemoveEventHandler(windowHandler);
  gWindowAnswer = noErr;
  click("otherButton");
  EXPECT_EQ((std::vector<std::string>{"window:ok  ", "window:Keep", "window:abcd", "app:abcd", "app:abcd"}), gCommands);
  // The quit handler, installed last, runs first and takes "ok  ".
  InstallEventHandler(GetWindowEventTarget(window_), RecordCommand, 1, &commandEvent, const_cast<char*>("window:"),
                      nullptr);
  InstallEventHandler(GetWindowEventTarget(window_), QuitOrDispose, 1, &commandEvent, window_, nullptr);
  gCommands.clear();
  QTimer::singleShot(0, top, [&] { QTest::keyClick(top, Qt::Key_Escape), click("okButton"); });
  EXPECT_EQ(noErr, RunAppModalLoopForWindow(window_));
  EXPECT_TRUE(top->isVisible()) << "Escape must not hide a window whose loop is running";
  EXPECT_EQ((std::vector<std::string>{"window:not!"}), gCommands);
  EXPECT_EQ(Qt::NonModal, top->windowModality());
  EXPECT_EQ(hiObjectClassHasInstancesErr, UnregisterToolboxObjectClass(class_));
  RemoveEventHandler(appHandler);
  click("otherButton");
  window_ = nullptr;  // gone; TearDown has nothing to dispose of
  EXPECT_FALSE(top->isVisible());
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(top.isNull());
  EXPECT_EQ(noErr, UnregisterToolboxObjectClass(std::exchange(class_, nullptr))) << "no instances remain";
}

// The first show tells custom controls their window, then shows the pixels
// they painted, in the widget and in the port at the control's place. A drag
// on a custom control: HitTest, Track with the mouse-down point and
// modifiers, every movement (outside the control too) and the release, then
// Hit; redraws and activation may come between.
TEST_F(PanelTest, CustomControlsHearOfTheirWindowDrawAndTrackDrags) {
  gTracker.paint = RGBColor{0x1200, 0x3400, 0x5600};
  EXPECT_TRUE(gTracker.kinds.empty()) << "nothing before the window shows";
  ShowWindow(window_);
  HideWindow(window_);
  ShowWindow(window_);
  const auto& kinds = gTracker.kinds;
  EXPECT_EQ(kEventControlOwningWindowChanged, kinds.empty() ? 0 : kinds.front());
  EXPECT_EQ(1, std::count(kinds.begin(), kinds.end(), kEventControlOwningWindowChanged));
  EXPECT_LE(2, std::count(kinds.begin(), kinds.end(), kEventControlDraw));
  QWidget* tracker = WidgetOf(window_, "Clip", 1);
  EXPECT_EQ(qRgb(0x12, 0x34, 0x56), tracker->grab().toImage().pixel(100, 50) | 0xFF000000u);
  const PixMap& pm = GetWindowPort(window_)->portPixMap;
  const auto* p = reinterpret_cast<const uint8_t*>(pm.baseAddr) + 170 * pm.rowBytes + 120 * 4;
  EXPECT_EQ(0x123456u, uint32_t{p[1]} << 16 | p[2] << 8 | p[3]);
  gTracker.kinds.clear();
  // Widget-local points; the control sits at (20, 120) in the window.
  Drag(tracker, {{10, 5}, {30, 15}, {250, 40}, {60, 50}});
  std::vector<std::array<int, 3>> steps{{gTracker.trackStart.h, gTracker.trackStart.v, kMouseTrackingMouseDown}};
  for (const auto& [at, result] : gTracker.steps) steps.push_back({at.h, at.v, result});
  EXPECT_EQ((std::vector<std::array<int, 3>>{{30, 125, kMouseTrackingMouseDown},
                                             {50, 135, kMouseTrackingMouseDragged},
                                             {270, 160, kMouseTrackingMouseDragged},
                                             {80, 170, kMouseTrackingMouseUp}}),
            steps);
  std::vector<UInt32> order = gTracker.kinds;
  std::erase_if(order,
                [](UInt32 k) { return k != kEventControlHitTest && k != kEventControlTrack && k != kEventControlHit; });
  EXPECT_EQ((std::vector<UInt32>{kEventControlHitTest, kEventControlTrack, kEventControlHit}), order);
  const std::pair<Qt::KeyboardModifiers, UInt32> masks[] = {
      {Qt::ShiftModifier | Qt::AltModifier, 512 | 2048}, {Qt::ControlModifier, 256}, {Qt::MetaModifier, 4096}};
  for (const auto& [qt, mask] : masks) {
    gTracker.trackModifiers = 0xFFFF;
    Drag(tracker, {{5, 5}, {6, 6}}, qt, qt);
    EXPECT_EQ(mask, gTracker.trackModifiers);
  }
}

}  // namespace
}  // namespace toolkit_test
