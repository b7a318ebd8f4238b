#include "plugin/render/offscreen_buffers.h"

#include "platform/quickdraw/quickdraw_owners.h"

namespace {

constexpr RGBColor kBlack{0, 0, 0};
constexpr RGBColor kWhite{0xFFFF, 0xFFFF, 0xFFFF};

// Black on white makes source copies exact.
void UseNeutralCopyColors() {
  RGBBackColor(&kWhite);
  RGBForeColor(&kBlack);
}

}  // namespace

Rect GetPortRect(GrafPtr thePort) {
  Rect bounds{};
  GetPortBounds(thePort, &bounds);
  return bounds;
}

Rect CarbonGetPortBounds(GrafPtr port) { return GetPortRect(port); }

BitMap CarbonGetPortBitMapForCopyBits(GrafPtr port) { return *GetPortBitMapForCopyBits(port); }

void LockGWorld(GrafPtr theGW) {
  if (theGW == nullptr) return;
  PixMapHandle pixels = GetGWorldPixMap(theGW);
  (void)GetPixelsState(pixels);
  LockPixels(pixels);
}

GrafPtr AllocateGWorld(int16_t wid, int16_t hig) {
  const Rect bounds{0, 0, hig, wid};
  GWorldPtr world = nullptr;
  (void)NewGWorld(&world, 32, &bounds, nullptr, nullptr, 0);
  LockGWorld(world);
  return world;
}

GrafPtr AllocateRectGWorld(const Rect& theRect) {
  Rect bounds = theRect;
  OffsetRect(&bounds, static_cast<short>(-bounds.left), static_cast<short>(-bounds.top));
  return AllocateGWorld(bounds.right, bounds.bottom);
}

void DrawGWinGW(GrafPtr theSource, GrafPtr theDest, const Rect& theRect) {
  UseNeutralCopyColors();
  const Rect sourceRect = GetPortRect(theSource);
  CopyBits(GetPortBitMapForCopyBits(theSource), GetPortBitMapForCopyBits(theDest), &sourceRect, &theRect, srcCopy,
           nullptr);
}

void ClearGW(GrafPtr theGW, const RGBColor& theColor) {
  if (theGW == nullptr) return;
  const Rect bounds = GetPortRect(theGW);
  PortSaver saved;
  SetGWorld(theGW, nullptr);
  RGBForeColor(&theColor);
  PaintRect(&bounds);
  RGBForeColor(&kBlack);
}

void Source2Target(GrafPtr theSource, GrafPtr theTarget) {
  if (theSource == nullptr || theTarget == nullptr) return;
  UseNeutralCopyColors();
  const Rect sourceRect = GetPortRect(theSource);
  const Rect targetRect = GetPortRect(theTarget);
  CopyBits(GetPortBitMapForCopyBits(theSource), GetPortBitMapForCopyBits(theTarget), &sourceRect, &targetRect,
           srcCopy, nullptr);
}

GrafPtr MakeGWorldClone(GrafPtr theGW) {
  if (theGW == nullptr) return nullptr;
  const Rect bounds = GetPortRect(theGW);
  GrafPtr clone = AllocateRectGWorld(bounds);
  if (clone == nullptr) return nullptr;
  CopyBits(GetPortBitMapForCopyBits(theGW), GetPortBitMapForCopyBits(clone), &bounds, &bounds, srcCopy, nullptr);
  return clone;
}
