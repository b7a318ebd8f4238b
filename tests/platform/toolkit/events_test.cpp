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

OSStatus RecordCommand(EventHandlerCallRef, EventRef event, void* tag) {
  HICommand command{};
  GetEventParameter(event, kEventParamDirectObject, typeHICommand, nullptr, sizeof command, nullptr, &command);
  std::string code(4, ' ');
  for (int i = 0; i < 4; ++i) code[i] = static_cast<char>(command.commandID >> (24 - 8 * i));
  gCommands.push_back(static_cast<const char*>(tag) + code);
  return std::string(static_cast<const char*>(tag)) == "window:" ? gWindowAnswer : noErr;
}

const EventTypeSpec kCommandEvent{kEventClassCommand, kEventCommandProcess};

class CommandTest : public PanelTest {
 protected:
  void SetUp() override {
    PanelTest::SetUp();
    gCommands.clear();
    gWindowAnswer = noErr;
    InstallEventHandler(GetWindowEventTarget(window_), RecordCommand, 1, &kCommandEvent, const_cast<char*>("window:"),
                        &windowHandler_);
    InstallEventHandler(GetApplicationEventTarget(), RecordCommand, 1, &kCommandEvent, const_cast<char*>("app:"),
                        &appHandler_);
    ShowWindow(window_);
    top_ = ToolkitWindowWidget(window_);
  }
  void TearDown() override {
    RemoveEventHandler(appHandler_);
    PanelTest::TearDown();
  }
  void Click(const char* button) { QTest::mouseClick(top_->findChild<QPushButton*>(button), Qt::LeftButton); }
  EventHandlerRef windowHandler_ = nullptr, appHandler_ = nullptr;
  QWidget* top_ = nullptr;
};

TEST_F(CommandTest, ControlsSendTheirCommandToTheWindowNotHandledGoesOnAndRemovedHandlersStop) {
  Click("okButton");
  QTest::mouseClick(WidgetOf(window_, "Keep", 1), Qt::LeftButton);
  EXPECT_EQ(1, GetControl32BitValue(Control(window_, "Keep", 1)));
  gWindowAnswer = eventNotHandledErr;
  Click("otherButton");
  RemoveEventHandler(windowHandler_);
  Click("otherButton");
  EXPECT_EQ((std::vector<std::string>{"window:ok  ", "window:Keep", "window:abcd", "app:abcd", "app:abcd"}), gCommands);
}

OSStatus QuitOnOK(EventHandlerCallRef, EventRef event, void* window) {
  HICommand command{};
  GetEventParameter(event, kEventParamDirectObject, typeHICommand, nullptr, sizeof command, nullptr, &command);
  if (command.commandID != kHICommandOK) return eventNotHandledErr;
  QuitAppModalLoopForWindow(static_cast<WindowRef>(window));
  return noErr;
}

TEST_F(CommandTest, ModalLoopRunsUntilQuitAndEscapeSendsCancel) {
  InstallEventHandler(GetWindowEventTarget(window_), QuitOnOK, 1, &kCommandEvent, window_, nullptr);
  QTimer::singleShot(0, top_, [this] {
    QTest::keyClick(top_, Qt::Key_Escape);
    Click("okButton");
  });
  EXPECT_EQ(noErr, RunAppModalLoopForWindow(window_));
  EXPECT_TRUE(top_->isVisible()) << "Escape must not hide a window whose loop is running";
  // The quit handler, installed last, runs first and takes "ok  ".
  EXPECT_EQ((std::vector<std::string>{"window:not!"}), gCommands);
  EXPECT_EQ(Qt::NonModal, top_->windowModality());
}

OSStatus DisposeOnOK(EventHandlerCallRef, EventRef, void* window) {
  DisposeWindow(static_cast<WindowRef>(window));
  return noErr;
}

TEST_F(CommandTest, HandlerMayDisposeOfTheWindowWhoseButtonSentTheCommandFreeingItsClass) {
  EXPECT_EQ(hiObjectClassHasInstancesErr, UnregisterToolboxObjectClass(class_));
  ToolboxObjectClassRef again = nullptr;
  const EventTypeSpec draw{kEventClassControl, kEventControlDraw};
  EXPECT_EQ(hiObjectClassExistsErr, RegisterToolboxObjectClass(CFSTR("org.velmorance.test.tracker"), nullptr, 1, &draw,
                                                               TrackerHandler, nullptr, &again));
  InstallEventHandler(GetWindowEventTarget(window_), DisposeOnOK, 1, &kCommandEvent, window_, nullptr);
  QPointer<QWidget> top = top_;
  Click("okButton");
  window_ = nullptr;  // gone; TearDown has nothing to dispose of
  EXPECT_FALSE(top->isVisible());
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(top.isNull());
  EXPECT_EQ(noErr, UnregisterToolboxObjectClass(class_)) << "no instances remain";
  class_ = nullptr;
}

// A drag on a custom control: HitTest, Track with the mouse-down point and
// modifiers, every movement (outside the control too) and the release, then
// Hit; redraws and activation may come between.
TEST_F(PanelTest, CustomControlDragArrivesAsTrackWithEachMovementTheReleaseAndTheModifiers) {
  ShowWindow(window_);
  QWidget* tracker = WidgetOf(window_, "Clip", 1);
  trackerLog().kinds.clear();
  // Widget-local points; the control sits at (20, 120) in the window.
  Drag(tracker, {{10, 5}, {30, 15}, {250, 40}, {60, 50}});
  const TrackerLog& log = trackerLog();
  std::vector<std::array<int, 3>> steps{{log.trackStart.h, log.trackStart.v, kMouseTrackingMouseDown}};
  for (const auto& [at, result] : log.steps) steps.push_back({at.h, at.v, result});
  EXPECT_EQ((std::vector<std::array<int, 3>>{{30, 125, kMouseTrackingMouseDown},
                                             {50, 135, kMouseTrackingMouseDragged},
                                             {270, 160, kMouseTrackingMouseDragged},
                                             {80, 170, kMouseTrackingMouseUp}}),
            steps);
  std::vector<UInt32> order;
  for (UInt32 kind : log.kinds)
    if (kind == kEventControlHitTest || kind == kEventControlTrack || kind == kEventControlHit) order.push_back(kind);
  EXPECT_EQ((std::vector<UInt32>{kEventControlHitTest, kEventControlTrack, kEventControlHit}), order);
  const std::pair<Qt::KeyboardModifiers, UInt32> masks[] = {{Qt::ShiftModifier | Qt::AltModifier, 512 | 2048},
                                                            {Qt::ControlModifier, 256},
                                                            {Qt::MetaModifier, 4096},
                                                            {Qt::NoModifier, 0}};
  for (const auto& [qt, mask] : masks) {
    trackerLog().trackModifiers = 0xFFFF;
    Drag(tracker, {{5, 5}, {6, 6}}, qt);
    EXPECT_EQ(mask, trackerLog().trackModifiers);
  }
}

TEST_F(PanelTest, FirstShowTellsCustomControlsTheirWindowThenShowsThePixelsTheyPainted) {
  trackerLog().paint = RGBColor{0x1200, 0x3400, 0x5600};
  EXPECT_TRUE(trackerLog().kinds.empty()) << "nothing before the window shows";
  ShowWindow(window_);
  HideWindow(window_);
  ShowWindow(window_);
  const auto& kinds = trackerLog().kinds;
  ASSERT_FALSE(kinds.empty());
  EXPECT_EQ(kEventControlOwningWindowChanged, kinds.front());
  EXPECT_EQ(1, std::count(kinds.begin(), kinds.end(), kEventControlOwningWindowChanged));
  EXPECT_LE(2, std::count(kinds.begin(), kinds.end(), kEventControlDraw));
  const QImage shot = WidgetOf(window_, "Clip", 1)->grab().toImage();
  EXPECT_EQ(qRgb(0x12, 0x34, 0x56), shot.pixel(100, 50) | 0xFF000000u);
  // And the port holds them at the control's place in window coordinates.
  const PixMap& pm = GetWindowPort(window_)->portPixMap;
  const auto* p = reinterpret_cast<const uint8_t*>(pm.baseAddr) + 170 * pm.rowBytes + 120 * 4;
  EXPECT_EQ(0x123456u, uint32_t{p[1]} << 16 | p[2] << 8 | p[3]);
}

}  // namespace
}  // namespace toolkit_test
