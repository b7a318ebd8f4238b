#include "tests/platform/toolkit/panel_fixture.h"

#include <QMouseEvent>
#include <QTimer>

#include "platform/bundles/cfurl.h"
#include "platform/quickdraw/quickdraw_owners.h"
#include "platform/toolkit/qt_access.h"

#if defined(__SANITIZE_ADDRESS__)
// fontconfig, under Qt's fonts, keeps its caches for the life of the process.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
#endif

namespace toolkit_test {

OSStatus TrackerHandler(EventHandlerCallRef, EventRef event, void*) {
  const UInt32 kind = GetEventKind(event);
  gTracker.kinds.push_back(kind);
  ControlRef control = nullptr;
  GetEventParameter(event, kEventParamDirectObject, typeControlRef, nullptr, sizeof control, nullptr, &control);
  Rect bounds;
  GetControlBounds(control, &bounds);
  switch (kind) {
    case kEventControlDraw: {
      PortSaver saved;
      SetPortWindowPort(GetControlOwner(control));
      RGBForeColor(&gTracker.paint);
      PaintRect(&bounds);
      return noErr;
    }
    case kEventControlHitTest: {
      Point where;
      GetEventParameter(event, kEventParamMouseLocation, typeQDPoint, nullptr, sizeof where, nullptr, &where);
      const ControlPartCode part = PtInRect(where, &bounds) ? 1 : 0;
      SetEventParameter(event, kEventParamControlPart, typeControlPartCode, sizeof part, &part);
      return noErr;
    }
    case kEventControlTrack: {
      GetEventParameter(event, kEventParamKeyModifiers, typeUInt32, nullptr, 4, nullptr, &gTracker.trackModifiers);
      GetEventParameter(event, kEventParamMouseLocation, typeQDPoint, nullptr, 4, nullptr, &gTracker.trackStart);
      MouseTrackingResult result = kMouseTrackingMouseDown;
      while (result != kMouseTrackingMouseUp) {
        Point at;
        TrackMouseLocation(nullptr, &at, &result);
        gTracker.steps.emplace_back(at, result);
      }
      return noErr;
    }
    default: return noErr;  // Hit, Activate and OwningWindowChanged, the others registered, are only noted
  }
}

void EnsureApplication() {
  if (QCoreApplication::instance() != nullptr) return;
  static int argc = 1;
  static char* argv[] = {const_cast<char*>("toolkit_tests"), nullptr};
  new QApplication(argc, argv);
}

CFBundleRef TestBundle() {
  static CFBundleRef bundle =
      CFBundleCreate(nullptr, CFOwner<CFURLRef>(platformCreateURLForPath(TEST_PANELS_BUNDLE, true)).get());
  return bundle;
}

OSStatus OpenPanel(const char* name, WindowRef* window) {
  IBNibRef nib = nullptr;
  OSStatus status = CreateNibReferenceWithCFBundle(TestBundle(), CFSTR("panel"), &nib);
  if (status != noErr) return status;
  status = CreateWindowFromNib(
      nib, CFOwner<CFStringRef>(CFStringCreateWithCString(nullptr, name, kCFStringEncodingUTF8)).get(), window);
  DisposeNibReference(nib);
  return status;
}

ControlRef Control(WindowRef window, const char* sig, SInt32 id) {
  const ControlID controlID{Code(sig), id};
  ControlRef control = nullptr;
  GetControlByID(window, &controlID, &control);
  return control;
}

QWidget* WidgetOf(WindowRef window, const char* sig, SInt32 id) {
  return ToolkitControlWidget(Control(window, sig, id));
}

void SendMouse(QWidget* widget, QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::MouseButtons buttons,
               Qt::KeyboardModifiers modifiers) {
  QMouseEvent event(type, QPointF(p), QPointF(widget->mapToGlobal(p)), button, buttons, modifiers);
  QCoreApplication::sendEvent(widget, &event);
}

void Drag(QWidget* widget, const std::vector<QPoint>& path, Qt::KeyboardModifiers atPress,
          Qt::KeyboardModifiers later) {
  QTimer::singleShot(0, widget, [=] {
    for (size_t i = 1; i + 1 < path.size(); ++i)
      SendMouse(widget, QEvent::MouseMove, path[i], Qt::NoButton, Qt::LeftButton, later);
    SendMouse(widget, QEvent::MouseButtonRelease, path.back(), Qt::LeftButton, Qt::NoButton, later);
  });
  SendMouse(widget, QEvent::MouseButtonPress, path.front(), Qt::LeftButton, Qt::LeftButton, atPress);
}

void PanelTest::SetUp() {
  EnsureApplication();
  gTracker = TrackerLog{};
  const EventTypeSpec events[] = {
      {kEventClassControl, kEventControlDraw},     {kEventClassControl, kEventControlHitTest},
      {kEventClassControl, kEventControlHit},      {kEventClassControl, kEventControlTrack},
      {kEventClassControl, kEventControlActivate}, {kEventClassControl, kEventControlOwningWindowChanged}};
  ASSERT_EQ(noErr, RegisterToolboxObjectClass(CFSTR("org.velmorance.test.tracker"), nullptr, 6, events,
                                              NewEventHandlerUPP(TrackerHandler), nullptr, &class_));
  ASSERT_EQ(noErr, OpenPanel("panel", &window_));
}

void PanelTest::TearDown() {
  DisposeWindow(window_);
  UnregisterToolboxObjectClass(class_);
}

}  // namespace toolkit_test
