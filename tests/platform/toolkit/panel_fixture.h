// Opens the test window "panel" of the test bundle's nib in a fresh
// QApplication (offscreen), with a custom control class that records its
// events, and drives widgets as the window system would.
#pragma once

#include <gtest/gtest.h>
#include <QApplication>
#include <QWidget>

#include <array>
#include <vector>

#include "platform/bundles/cfbundle.h"
#include "platform/quickdraw/quickdraw.h"
#include "platform/toolkit/toolkit.h"

namespace toolkit_test {

inline constexpr OSType Code(const char* text) { return VM_FOURCC(text[0], text[1], text[2], text[3]); }
// A rectangle as left, top, right, bottom, to compare at once.
inline std::array<int, 4> Sides(const Rect& r) { return {r.left, r.top, r.right, r.bottom}; }

// What the tracker class saw; it paints itself in `paint`.
struct TrackerLog {
  std::vector<UInt32> kinds;
  UInt32 trackModifiers = 0;
  Point trackStart{0, 0};
  std::vector<std::pair<Point, MouseTrackingResult>> steps;
  RGBColor paint{0xFFFF, 0, 0};
};
inline TrackerLog gTracker;
OSStatus TrackerHandler(EventHandlerCallRef, EventRef event, void*);

void EnsureApplication();
CFBundleRef TestBundle();
// Opens window `name` of nib "panel"; the status of CreateWindowFromNib.
OSStatus OpenPanel(const char* name, WindowRef* window);
// The control of signature `sig` ("Sldr") and number `id`; nullptr when none.
ControlRef Control(WindowRef window, const char* sig, SInt32 id);
// The Qt widget standing for that control.
QWidget* WidgetOf(WindowRef window, const char* sig, SInt32 id);
// Sends one mouse event at widget point `p`.
void SendMouse(QWidget* widget, QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::MouseButtons buttons,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// Presses at path[0], moves along the rest and releases at the last point
// from a timer: the press blocks in the control's track until the release,
// as a real drag does. `later` are the modifiers held after the press.
void Drag(QWidget* widget, const std::vector<QPoint>& path, Qt::KeyboardModifiers atPress = {},
          Qt::KeyboardModifiers later = {});

class PanelTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  WindowRef window_ = nullptr;
  ToolboxObjectClassRef class_ = nullptr;
};

}  // namespace toolkit_test
