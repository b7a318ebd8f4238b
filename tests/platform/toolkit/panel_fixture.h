// Opens the test window "panel" of the test bundle's nib in a fresh
// QApplication (offscreen), with a custom control class that records its
// events.
#pragma once

#include <QApplication>
#include <QSlider>
#include <QWidget>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/bundles/cfbundle.h"
#include "platform/quickdraw/quickdraw.h"
#include "platform/toolkit/toolkit.h"

namespace toolkit_test {

inline constexpr OSType Code(const char* text) { return VM_FOURCC(text[0], text[1], text[2], text[3]); }

// What the tracker class saw.
struct TrackerLog {
  std::vector<UInt32> kinds;
  UInt32 trackModifiers = 0;
  Point trackStart{0, 0};
  std::vector<std::pair<Point, MouseTrackingResult>> steps;
  RGBColor paint{0xFFFF, 0, 0};
  OSStatus hitResult = noErr;
};
TrackerLog& trackerLog();
OSStatus TrackerHandler(EventHandlerCallRef, EventRef event, void*);

void EnsureApplication();
CFBundleRef TestBundle();
// Opens window `name` of nib "panel"; the status of CreateWindowFromNib.
OSStatus OpenPanel(const char* name, WindowRef* window);
// The Qt widget standing for the control.
QWidget* WidgetOf(WindowRef window, OSType sig, SInt32 id);
ControlRef Control(WindowRef window, OSType sig, SInt32 id);
// Sends one mouse event at widget point `p`.
void SendMouse(QWidget* widget, QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::MouseButtons buttons,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// Presses at path[0], moves along the rest and releases at the last point
// from a timer: the press blocks in the control's track until the release,
// as a real drag does.
void Drag(QWidget* widget, const std::vector<QPoint>& path, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// The centre of the slider's thumb, in slider coordinates.
QPoint ThumbCentre(QSlider* slider);

class PanelTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  WindowRef window_ = nullptr;
  ToolboxObjectClassRef class_ = nullptr;
};

}  // namespace toolkit_test
