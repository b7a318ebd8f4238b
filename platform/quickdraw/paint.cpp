// Filling, framing and inverting shapes in the current port with our own
// pixel code. Every routine clips to the port's bounds and clip rectangle.
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "platform/quickdraw/port_state.h"

namespace {

struct Pixel {
  uint8_t alpha, red, green, blue;
};

Pixel pixelOf(const RGBColor& c) {
  return Pixel{255, static_cast<uint8_t>(c.red >> 8), static_cast<uint8_t>(c.green >> 8),
               static_cast<uint8_t>(c.blue >> 8)};
}

Pixel* pixelAt(GrafPtr port, int x, int y) {
  const PixMap& pm = port->portPixMap;
  return reinterpret_cast<Pixel*>(pm.baseAddr + static_cast<ptrdiff_t>(y - pm.bounds.top) * pm.rowBytes +
                                  static_cast<ptrdiff_t>(x - pm.bounds.left) * 4);
}

enum class Fill { Foreground, Background, Invert };

// Applies `fill` to the pixels of `r` in the current port for which
// `inside(x, y)` holds.
template <typename Inside>
void fillShape(const Rect& r, Fill fill, Inside inside) {
  GrafPtr port = qd::currentPort();
  if (port == nullptr || port->portPixMap.baseAddr == nullptr) return;
  Rect area = qd::drawableArea(port);
  Rect clipped{};
  if (!SectRect(&r, &area, &clipped)) return;
  const Pixel fg = pixelOf(port->rgbFgColor);
  const Pixel bg = pixelOf(port->rgbBkColor);
  for (int y = clipped.top; y < clipped.bottom; ++y) {
    Pixel* row = pixelAt(port, 0, y);
    for (int x = clipped.left; x < clipped.right; ++x) {
      if (!inside(x, y)) continue;
      Pixel& p = row[x - port->portPixMap.bounds.left];
      switch (fill) {
        case Fill::Foreground: p = fg; break;
        case Fill::Background: p = bg; break;
        case Fill::Invert:
          p.red = static_cast<uint8_t>(~p.red);
          p.green = static_cast<uint8_t>(~p.green);
          p.blue = static_cast<uint8_t>(~p.blue);
          break;
      }
    }
  }
}

Fill penFill() {
  GrafPtr port = qd::currentPort();
  return port != nullptr && port->pnMode == patXor ? Fill::Invert : Fill::Foreground;
}

bool allPixels(int, int) { return true; }

// Pixel centres inside the ellipse inscribed in r.
auto insideOval(const Rect& r) {
  const double cx = (r.left + r.right) / 2.0, cy = (r.top + r.bottom) / 2.0;
  const double rx = (r.right - r.left) / 2.0, ry = (r.bottom - r.top) / 2.0;
  return [=](int x, int y) {
    if (rx <= 0 || ry <= 0) return false;
    const double dx = (x + 0.5 - cx) / rx, dy = (y + 0.5 - cy) / ry;
    return dx * dx + dy * dy <= 1.0;
  };
}

}  // namespace

void PaintRect(const Rect* r) {
  if (r != nullptr) fillShape(*r, penFill(), allPixels);
}

void EraseRect(const Rect* r) {
  if (r != nullptr) fillShape(*r, Fill::Background, allPixels);
}

void InvertRect(const Rect* r) {
  if (r != nullptr) fillShape(*r, Fill::Invert, allPixels);
}

void FrameRect(const Rect* r) {
  GrafPtr port = qd::currentPort();
  if (r == nullptr || port == nullptr) return;
  const int pw = port->pnSize.h, ph = port->pnSize.v;
  const Rect frame = *r;
  fillShape(frame, penFill(), [&](int x, int y) {
    return x < frame.left + pw || x >= frame.right - pw || y < frame.top + ph || y >= frame.bottom - ph;
  });
}

void PaintOval(const Rect* r) {
  if (r != nullptr) fillShape(*r, penFill(), insideOval(*r));
}

void FrameOval(const Rect* r) {
  GrafPtr port = qd::currentPort();
  if (r == nullptr || port == nullptr) return;
  Rect inner = *r;
  InsetRect(&inner, port->pnSize.h, port->pnSize.v);
  auto outerTest = insideOval(*r);
  auto innerTest = insideOval(inner);
  fillShape(*r, penFill(), [&](int x, int y) { return outerTest(x, y) && !innerTest(x, y); });
}
