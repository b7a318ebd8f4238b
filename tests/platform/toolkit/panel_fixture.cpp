#include "tests/platform/toolkit/panel_fixture.h"

#include <QVariant>

#include "platform/bundles/cfurl.h"
#include "platform/toolkit/qt_access.h"

#if defined(__SANITIZE_ADDRESS__)
// fontconfig, under Qt's fonts, keeps its caches for the life of the process.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
#endif

namespace toolkit_test {

TrackerLog& trackerLog() {
  static TrackerLog log;
  return log;
}

OSStatus TrackerHandler(EventHandlerCallRef, EventRef event, void*) {
  TrackerLog& log = trackerLog();
  const UInt32 kind = GetEventKind(event);
  log.kinds.push_back(kind);
  ControlRef control = nullptr;
  GetEventParameter(event, kEventParamDirectObject, typeControlRef, nullptr, sizeof control, nullptr, &control);
  Rect bounds;
  GetControlBounds(control, &bounds);
  switch (kind) {
    case kEventControlDraw: {
      CGrafPtr saved;
      GDHandle device;
      GetGWorld(&saved, &device);
      SetPortWindowPort(GetControlOwner(control));
      RGBForeColor(&log.paint);
      PaintRect(&bounds);
      SetGWorld(saved, device);
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
      GetEventParameter(event, kEventParamKeyModifiers, typeUInt32, nullptr, 4, nullptr, &log.trackModifiers);
      GetEventParameter(event, kEventParamMouseLocation, typeQDPoint, nullptr, 4, nullptr, &log.trackStart);
      MouseTrackingResult result = kMouseTrackingMouseDown;
      while (result != kMouseTrackingMouseUp) {
        Point at;
        TrackMouseLocation(nullptr, &at, &result);
        log.steps.emplace_back(at, result);
      }
      return noErr;
    }
    case kEventControlHit:
      return log.hitResult;
    case kEventControlActivate:
    case kEventControlOwningWindowChanged:
      return noErr;
    default:
      return eventNotHandledErr;
  }
}

void EnsureApplication() {
  if (QCoreApplication::instance() != nullptr) return;
  static int argc = 1;
  static char name[] = "toolkit_tests";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);
}

CFBundleRef TestBundle() {
  static CFBundleRef bundle = [] {
    CFURLRef url = platformCreateURLForPath(TEST_PANELS_BUNDLE, true);
    CFBundleRef b = CFBundleCreate(nullptr, url);
    CFRelease(url);
    return b;
  }();
  return bundle;
}

OSStatus OpenPanel(const char* name, WindowRef* window) {
  IBNibRef nib = nullptr;
  OSStatus status = CreateNibReferenceWithCFBundle(TestBundle(), CFSTR("panel"), &nib);
  if (status != noErr) return status;
  CFStringRef windowName = CFStringCreateWithCString(nullptr, name, kCFStringEncodingUTF8);
  status = CreateWindowFromNib(nib, windowName, window);
  CFRelease(windowName);
  DisposeNibReference(nib);
  return status;
}

ControlRef Control(WindowRef window, OSType sig, SInt32 id) {
  const ControlID controlID{sig, id};
  ControlRef control = nullptr;
  GetControlByID(window, &controlID, &control);
  return control;
}

QWidget* WidgetOf(WindowRef window, OSType sig, SInt32 id) { return ToolkitControlWidget(Control(window, sig, id)); }

void PanelTest::SetUp() {
  EnsureApplication();
  trackerLog() = TrackerLog{};
  const EventTypeSpec events[] = {{kEventClassControl, kEventControlDraw},
                                  {kEventClassControl, kEventControlHitTest},
                                  {kEventClassControl, kEventControlHit},
                                  {kEventClassControl, kEventControlTrack},
                                  {kEventClassControl, kEventControlActivate},
                                  {kEventClassControl, kEventControlOwningWindowChanged}};
  ASSERT_EQ(noErr, RegisterToolboxObjectClass(CFSTR("org.velmorance.test.tracker"), nullptr, 6, events,
                                              NewEventHandlerUPP(TrackerHandler), nullptr, &class_));
  ASSERT_EQ(noErr, OpenPanel("panel", &window_));
}

void PanelTest::TearDown() {
  DisposeWindow(window_);
  UnregisterToolboxObjectClass(class_);
}

}  // namespace toolkit_test
