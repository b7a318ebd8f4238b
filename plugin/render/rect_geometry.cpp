#include "plugin/render/rect_geometry.h"

#include <utility>

#include "plugin/render/float_to_int.h"


void GetDims(const Rect& theRect, int32_t& wid, int32_t& hig) {
  wid = int32_t{theRect.right} - theRect.left;
  hig = int32_t{theRect.bottom} - theRect.top;
}

Rect KeepPropsWithFixedHorizontal(const Rect& inOriginal, const Rect& inNewSize) {
  int32_t origWid, origHig, newWid, newHig;
  GetDims(inOriginal, origWid, origHig);
  GetDims(inNewSize, newWid, newHig);
  if (origWid == 0) return inNewSize;
  const double prop = double(origWid) / double(origHig);
  Rect result = inNewSize;
  result.bottom = static_cast<int16_t>(result.top + RoundHalfUpToInt32(newWid / prop));
  return result;
}

Rect KeepPropsWithFixedVertical(const Rect& inOriginal, const Rect& inNewSize) {
  int32_t origWid, origHig, newWid, newHig;
  GetDims(inOriginal, origWid, origHig);
  GetDims(inNewSize, newWid, newHig);
  if (origHig == 0) return inNewSize;
  const double prop = double(origWid) / double(origHig);
  Rect result = inNewSize;
  result.right = static_cast<int16_t>(result.left + RoundHalfUpToInt32(prop * newHig));
  return result;
}

Rect CalcProportionalRectForFrame(const Rect& inRect, const Rect& inFrame) {
  int32_t iWid, iHig, wid, hig;
  GetDims(inRect, iWid, iHig);
  GetDims(inFrame, wid, hig);
  const Rect imageBounds{0, 0, static_cast<int16_t>(iHig), static_cast<int16_t>(iWid)};
  const Rect newBounds{0, 0, static_cast<int16_t>(hig), static_cast<int16_t>(wid)};
  const bool frameIsWide = wid > hig;
  const bool keepWidth = frameIsWide ? iWid > iHig : !(iHig > iWid);
  return keepWidth ? KeepPropsWithFixedHorizontal(imageBounds, newBounds)
                   : KeepPropsWithFixedVertical(imageBounds, newBounds);
}

void CenterRectInRect(Rect& theRect, const Rect& theBounds) {
  int32_t wid, hig;
  GetDims(theBounds, wid, hig);
  const int16_t cx = static_cast<int16_t>(theBounds.left + wid / 2);
  const int16_t cy = static_cast<int16_t>(theBounds.top + hig / 2);
  GetDims(theRect, wid, hig);
  const int16_t rx = static_cast<int16_t>(theRect.left + wid / 2);
  const int16_t ry = static_cast<int16_t>(theRect.top + hig / 2);
  const int16_t dx = static_cast<int16_t>(rx - cx), dy = static_cast<int16_t>(ry - cy);
  OffsetRect(&theRect, static_cast<short>(-dx), static_cast<short>(-dy));
}

void VerifyRect(Rect& theRect) {
  if (theRect.left > theRect.right) std::swap(theRect.left, theRect.right);
  if (theRect.top > theRect.bottom) std::swap(theRect.top, theRect.bottom);
}
