#include "platform/coregraphics/cgcolor.h"

#include <new>

struct CGColorSpace {
  int references = 1;
};

struct CGColor {
  int references = 1;
  CGFloat components[4];
};

CGColorSpaceRef CGColorSpaceCreateDeviceRGB() { return new (std::nothrow) CGColorSpace; }

CGColorSpaceRef CGColorSpaceRetain(CGColorSpaceRef space) {
  if (space != nullptr) ++space->references;
  return space;
}

void CGColorSpaceRelease(CGColorSpaceRef space) {
  if (space != nullptr && --space->references == 0) delete space;
}

size_t CGColorSpaceGetNumberOfComponents(CGColorSpaceRef space) { return space == nullptr ? 0 : 3; }

CGColorRef CGColorCreate(CGColorSpaceRef space, const CGFloat* components) {
  if (space == nullptr || components == nullptr) return nullptr;
  auto* color = new (std::nothrow) CGColor;
  if (color == nullptr) return nullptr;
  for (int i = 0; i < 4; ++i) color->components[i] = components[i];
  return color;
}

CGColorRef CGColorRetain(CGColorRef color) {
  if (color != nullptr) ++color->references;
  return color;
}

void CGColorRelease(CGColorRef color) {
  if (color != nullptr && --color->references == 0) delete color;
}

size_t CGColorGetNumberOfComponents(CGColorRef color) { return color == nullptr ? 0 : 4; }
const CGFloat* CGColorGetComponents(CGColorRef color) { return color == nullptr ? nullptr : color->components; }
CGFloat CGColorGetAlpha(CGColorRef color) { return color == nullptr ? 0 : color->components[3]; }
