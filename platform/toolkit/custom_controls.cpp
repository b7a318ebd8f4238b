// Custom control classes: the registry, the widget that stands for each
// instance (it shows the window port's pixels in its bounds and turns mouse
// presses into HitTest, Track and Hit events), and mouse tracking.
#include <QEventLoop>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QtEndian>

#include <algorithm>

#include "platform/strings/cfstring.h"
#include "platform/toolkit/toolkit_internal.h"

namespace toolkit {
namespace {

std::map<std::string, std::unique_ptr<OpaqueToolboxObjectClassRef>>& registry() {
  static std::map<std::string, std::unique_ptr<OpaqueToolboxObjectClassRef>> classes;
  return classes;
}

// The one mouse track in progress: events queued for TrackMouseLocation.
struct Track {
  ControlRef control = nullptr;
  std::deque<std::pair<Point, MouseTrackingResult>> pending;
  QEventLoop* waiting = nullptr;
  Point last{0, 0};
};
Track* gTrack = nullptr;

Point windowPoint(QWidget* widget, WindowRef window, const QPointF& local) {
  const QPoint p = widget->mapTo(window->widget, local.toPoint());
  return Point{static_cast<int16_t>(p.y()), static_cast<int16_t>(p.x())};
}

class CustomControlWidget : public QWidget {
 public:
  explicit CustomControlWidget(QWidget* parent) : QWidget(parent) {
    setProperty("vmCustomControl", true);
    setAttribute(Qt::WA_OpaquePaintEvent);
  }
  ControlRef control = nullptr;

 protected:
  void paintEvent(QPaintEvent*) override {
    if (control == nullptr || control->owner->port == nullptr) return;
    const PixMap& pm = control->owner->port->portPixMap;
    Rect bounds;
    GetControlBounds(control, &bounds);
    Rect visible{};
    if (!SectRect(&bounds, &pm.bounds, &visible)) return;
    QImage image(visible.right - visible.left, visible.bottom - visible.top, QImage::Format_RGB32);
    for (int y = visible.top; y < visible.bottom; ++y) {
      const auto* src = reinterpret_cast<const uint8_t*>(pm.baseAddr) + (y - pm.bounds.top) * pm.rowBytes +
                        (visible.left - pm.bounds.left) * 4;
      auto* dst = reinterpret_cast<QRgb*>(image.scanLine(y - visible.top));
      for (int x = 0; x < image.width(); ++x) dst[x] = 0xFF000000u | (qFromBigEndian<quint32>(src + 4 * x) & 0xFFFFFF);
    }
    QPainter painter(this);
    painter.drawImage(QPoint(visible.left - bounds.left, visible.top - bounds.top), image);
  }

  void mousePressEvent(QMouseEvent* event) override {
    if (control == nullptr || gTrack != nullptr || event->button() != Qt::LeftButton || !isEnabled()) return;
    const Point where = windowPoint(this, control->owner, event->position());
    const UInt32 modifiers = modifiersFrom(event->modifiers());
    // Everything below may run nested event loops in which the window goes
    // away; the widget pointer tells.
    QPointer<QWidget> alive(this);
    ControlRef c = control;

    auto hitTest = makeEvent(kEventClassControl, kEventControlHitTest);
    SetEventParameter(hitTest.get(), kEventParamMouseLocation, typeQDPoint, sizeof where, &where);
    SetEventParameter(hitTest.get(), kEventParamKeyModifiers, typeUInt32, sizeof modifiers, &modifiers);
    ControlPartCode part = kControlNoPart;
    if (sendControlEvent(c, kEventControlHitTest, hitTest.get()) == noErr)
      GetEventParameter(hitTest.get(), kEventParamControlPart, typeControlPartCode, nullptr, sizeof part, nullptr,
                        &part);
    if (part == kControlNoPart) return;

    Track track;
    track.control = c;
    track.last = where;
    gTrack = &track;
    HiliteControl(c, part);
    auto trackEvent = makeEvent(kEventClassControl, kEventControlTrack);
    SetEventParameter(trackEvent.get(), kEventParamMouseLocation, typeQDPoint, sizeof where, &where);
    SetEventParameter(trackEvent.get(), kEventParamKeyModifiers, typeUInt32, sizeof modifiers, &modifiers);
    SetEventParameter(trackEvent.get(), kEventParamControlPart, typeControlPartCode, sizeof part, &part);
    if (sendControlEvent(c, kEventControlTrack, trackEvent.get()) == noErr) {
      GetEventParameter(trackEvent.get(), kEventParamControlPart, typeControlPartCode, nullptr, sizeof part, nullptr,
                        &part);
    } else {
      // Standard tracking: follow the mouse to its release, then the part
      // under it decides.
      Point at = where;
      MouseTrackingResult result = kMouseTrackingMouseDown;
      while (result != kMouseTrackingMouseUp && alive) TrackMouseLocation(nullptr, &at, &result);
      Rect bounds;
      if (alive && !PtInRect(at, GetControlBounds(c, &bounds))) part = kControlNoPart;
    }
    gTrack = nullptr;
    if (!alive) return;
    HiliteControl(c, 0);
    if (part == kControlNoPart) return;

    auto hit = makeEvent(kEventClassControl, kEventControlHit);
    SetEventParameter(hit.get(), kEventParamControlPart, typeControlPartCode, sizeof part, &part);
    SetEventParameter(hit.get(), kEventParamKeyModifiers, typeUInt32, sizeof modifiers, &modifiers);
    if (sendControlEvent(c, kEventControlHit, hit.get()) == eventNotHandledErr && alive) sendCommand(c);
  }

  void mouseMoveEvent(QMouseEvent* event) override {
    if (control != nullptr && (event->buttons() & Qt::LeftButton))
      trackMouse(control, windowPoint(this, control->owner, event->position()), kMouseTrackingMouseDragged);
  }

  void mouseReleaseEvent(QMouseEvent* event) override {
    if (control != nullptr && event->button() == Qt::LeftButton)
      trackMouse(control, windowPoint(this, control->owner, event->position()), kMouseTrackingMouseUp);
  }
};

}  // namespace

QWidget* newCustomControlWidget(QWidget* parent) { return new CustomControlWidget(parent); }

void attachCustomControl(QWidget* widget, ControlRef control) {
  auto* custom = static_cast<CustomControlWidget*>(widget);
  custom->control = control;
  OpaqueToolboxObjectClassRef* cls = control->customClass;
  // The class handler sits at the bottom of the instance's chain.
  InstallEventHandler(GetControlEventTarget(control), cls->handler, static_cast<UInt32>(cls->events.size()),
                      cls->events.data(), cls->userData, nullptr);
}

void detachCustomControl(QWidget* widget, ControlRef control) {
  // A drag in progress ends as a release.
  if (gTrack != nullptr && gTrack->control == control) trackMouse(control, gTrack->last, kMouseTrackingMouseUp);
  if (widget != nullptr) static_cast<CustomControlWidget*>(widget)->control = nullptr;
}

OpaqueToolboxObjectClassRef* findClass(const std::string& identifier) {
  auto it = registry().find(identifier);
  return it == registry().end() ? nullptr : it->second.get();
}

OSStatus sendControlEvent(ControlRef control, UInt32 kind, EventRef prepared) {
  EventPtr own;
  if (prepared == nullptr) {
    own = makeEvent(kEventClassControl, kind);
    prepared = own.get();
  }
  SetEventParameter(prepared, kEventParamDirectObject, typeControlRef, sizeof control, &control);
  const OSStatus status = dispatch(prepared, &control->target);
  if (control->widget != nullptr) control->widget->update();
  return status;
}

void sendToCustomControls(WindowRef window, UInt32 kind) {
  for (auto& control : window->controls)
    if (control->customClass != nullptr) sendControlEvent(control.get(), kind);
}

void refreshCustomControls(WindowRef window) {
  for (auto& control : window->controls)
    if (control->customClass != nullptr && control->widget != nullptr) control->widget->update();
}

void trackMouse(ControlRef control, Point where, MouseTrackingResult result) {
  if (gTrack == nullptr || gTrack->control != control) return;
  gTrack->pending.emplace_back(where, result);
  if (gTrack->waiting != nullptr) gTrack->waiting->quit();
}

}  // namespace toolkit

using toolkit::gTrack;

OSStatus RegisterToolboxObjectClass(CFStringRef classID, ToolboxObjectClassRef baseClass, UInt32 numEvents,
                                    const EventTypeSpec* events, EventHandlerUPP handler, void* userData,
                                    ToolboxObjectClassRef* outClassRef) {
  if (outClassRef != nullptr) *outClassRef = nullptr;
  if (classID == nullptr || baseClass != nullptr || handler == nullptr || (numEvents > 0 && events == nullptr))
    return paramErr;
  const std::string identifier = CFStringToUTF8(classID);
  auto& classes = toolkit::registry();
  if (classes.count(identifier) != 0) return hiObjectClassExistsErr;
  auto cls = std::make_unique<OpaqueToolboxObjectClassRef>();
  cls->identifier = identifier;
  cls->events.assign(events, events + numEvents);
  cls->handler = handler;
  cls->userData = userData;
  if (outClassRef != nullptr) *outClassRef = cls.get();
  classes[identifier] = std::move(cls);
  return noErr;
}

OSStatus UnregisterToolboxObjectClass(ToolboxObjectClassRef classRef) {
  if (classRef == nullptr) return paramErr;
  if (classRef->instances > 0) return hiObjectClassHasInstancesErr;
  auto& classes = toolkit::registry();
  auto it = classes.find(classRef->identifier);
  if (it == classes.end() || it->second.get() != classRef) return paramErr;
  classes.erase(it);
  return noErr;
}

void Draw1Control(ControlRef control) {
  if (control == nullptr || control->widget == nullptr) return;
  if (control->customClass != nullptr && !control->widget->isHidden())
    toolkit::sendControlEvent(control, kEventControlDraw);
  control->widget->update();
}

OSStatus TrackMouseLocation(GrafPtr, Point* outPt, MouseTrackingResult* outResult) {
  if (gTrack == nullptr) {
    if (outResult != nullptr) *outResult = kMouseTrackingMouseUp;
    return noErr;
  }
  // What the handler drew since the last step shows before we wait.
  toolkit::refreshCustomControls(gTrack->control->owner);
  if (gTrack->pending.empty()) {
    QEventLoop loop;
    gTrack->waiting = &loop;
    loop.exec();
    if (gTrack != nullptr) gTrack->waiting = nullptr;
  }
  if (gTrack == nullptr || gTrack->pending.empty()) {
    if (outResult != nullptr) *outResult = kMouseTrackingMouseUp;
    return noErr;
  }
  auto [where, result] = gTrack->pending.front();
  gTrack->pending.pop_front();
  gTrack->last = where;
  if (outPt != nullptr) *outPt = where;
  if (outResult != nullptr) *outResult = result;
  return noErr;
}
