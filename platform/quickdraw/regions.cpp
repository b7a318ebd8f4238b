#include "platform/quickdraw/regions.h"

#include <new>

struct MacRegion {
  Rect bounds{0, 0, 0, 0};
  MacRegion* self = this;  // a handle is the address of this pointer
};

RgnHandle NewRgn() {
  auto* region = new (std::nothrow) MacRegion;
  return region == nullptr ? nullptr : &region->self;
}

void DisposeRgn(RgnHandle region) {
  if (region != nullptr) delete *region;
}

void RectRgn(RgnHandle region, const Rect* r) {
  if (region == nullptr || r == nullptr) return;
  (*region)->bounds = EmptyRect(r) ? Rect{0, 0, 0, 0} : *r;
}

void SetRectRgn(RgnHandle region, short left, short top, short right, short bottom) {
  const Rect r{top, left, bottom, right};
  RectRgn(region, &r);
}

Rect* GetRegionBounds(RgnHandle region, Rect* bounds) {
  if (bounds != nullptr) *bounds = region == nullptr ? Rect{0, 0, 0, 0} : (*region)->bounds;
  return bounds;
}
