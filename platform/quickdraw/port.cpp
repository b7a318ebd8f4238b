#include "platform/quickdraw/port_state.h"
#include "platform/quickdraw/port_observer.h"

namespace {

PortChangedObserver gPortChangedObserver = nullptr;

// Each thread draws into its own current port, as hosts such as the frei0r
// ones render different instances on different threads at once; a program
// that draws from one thread sees one current port as before. A port made
// current on one thread is not current on any other.
thread_local CGrafPtr gCurrentPort = nullptr;
thread_local GDHandle gCurrentDevice = nullptr;

constexpr RGBColor kBlack{0, 0, 0};
constexpr RGBColor kWhite{0xFFFF, 0xFFFF, 0xFFFF};

}  // namespace

namespace qd {

void initPortState(GrafPtr port) {
  port->rgbFgColor = kBlack;
  port->rgbBkColor = kWhite;
  port->pnLoc = Point{0, 0};
  port->pnSize = Point{1, 1};
  port->pnMode = patCopy;
  port->clipRect = Rect{-32768, -32768, 32767, 32767};
  port->txFont = 0;
  port->txFace = 0;
  port->txSize = 12;
}

void forgetPort(GrafPtr port) {
  if (gCurrentPort == port) {
    gCurrentPort = nullptr;
    gCurrentDevice = nullptr;
  }
}

GrafPtr currentPort() { return gCurrentPort; }

Rect drawableArea(GrafPtr port) {
  Rect area{};
  SectRect(&port->portPixMap.bounds, &port->clipRect, &area);
  return area;
}

}  // namespace qd

void GetGWorld(CGrafPtr* port, GDHandle* device) {
  if (port != nullptr) *port = gCurrentPort;
  if (device != nullptr) *device = gCurrentDevice;
}

void SetGWorld(CGrafPtr port, GDHandle device) {
  gCurrentPort = port;
  gCurrentDevice = device;
}

void GetPort(GrafPtr* port) {
  if (port != nullptr) *port = gCurrentPort;
}

void SetPort(GrafPtr port) { gCurrentPort = port; }

Rect* GetPortBounds(CGrafPtr port, Rect* bounds) {
  if (port != nullptr && bounds != nullptr) *bounds = port->portPixMap.bounds;
  return bounds;
}

const BitMap* GetPortBitMapForCopyBits(CGrafPtr port) {
  return port == nullptr ? nullptr : reinterpret_cast<const BitMap*>(&port->portPixMap);
}

void RGBForeColor(const RGBColor* color) {
  if (gCurrentPort != nullptr && color != nullptr) gCurrentPort->rgbFgColor = *color;
}

void RGBBackColor(const RGBColor* color) {
  if (gCurrentPort != nullptr && color != nullptr) gCurrentPort->rgbBkColor = *color;
}

void GetForeColor(RGBColor* color) {
  if (color != nullptr) *color = gCurrentPort != nullptr ? gCurrentPort->rgbFgColor : kBlack;
}

void GetBackColor(RGBColor* color) {
  if (color != nullptr) *color = gCurrentPort != nullptr ? gCurrentPort->rgbBkColor : kWhite;
}

void PenNormal() {
  if (gCurrentPort == nullptr) return;
  gCurrentPort->pnSize = Point{1, 1};
  gCurrentPort->pnMode = patCopy;
}

void PenMode(short mode) {
  if (gCurrentPort != nullptr) gCurrentPort->pnMode = mode;
}

void PenSize(short width, short height) {
  if (gCurrentPort != nullptr) gCurrentPort->pnSize = Point{height, width};
}

void MoveTo(short h, short v) {
  if (gCurrentPort != nullptr) gCurrentPort->pnLoc = Point{v, h};
}

void ClipRect(const Rect* r) {
  if (gCurrentPort != nullptr && r != nullptr) gCurrentPort->clipRect = *r;
}

void QDSetPortChangedObserver(PortChangedObserver observer) { gPortChangedObserver = observer; }

void QDPortChanged(GrafPtr port) {
  if (gPortChangedObserver != nullptr && port != nullptr) gPortChangedObserver(port);
}
