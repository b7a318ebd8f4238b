#include "plugin/render/relrects.h"

#include "plugin/render/float_to_int.h"

namespace {

struct FrameSize {
  int16_t wid;
  int16_t hig;
};

FrameSize sizeOf(const Rect& theFrame) {
  return {static_cast<int16_t>(theFrame.right - theFrame.left), static_cast<int16_t>(theFrame.bottom - theFrame.top)};
}

// The product is truncated toward zero before the corner is added; the sum
// wraps to 16 bits like the coordinates it becomes.
int16_t scaled(int16_t origin, int16_t extent, double fraction) {
  return static_cast<int16_t>(origin + TruncToInt32(extent * fraction));
}

}  // namespace

Rect Rel2Rect(const relRect& theRel, const Rect& theFrame) {
  const FrameSize size = sizeOf(theFrame);
  Rect result;
  result.left = scaled(theFrame.left, size.wid, theRel.left);
  result.right = scaled(theFrame.left, size.wid, theRel.right);
  result.top = scaled(theFrame.top, size.hig, theRel.top);
  result.bottom = scaled(theFrame.top, size.hig, theRel.bottom);
  return result;
}

relRect Rect2Rel(const Rect& theRect, const Rect& theFrame) {
  const FrameSize size = sizeOf(theFrame);
  const double wid = size.wid, hig = size.hig;
  return relRect{(theRect.left - theFrame.left) / wid, (theRect.right - theFrame.left) / wid,
                 (theRect.top - theFrame.top) / hig, (theRect.bottom - theFrame.top) / hig};
}

relRect SetRelRect(double left, double top, double right, double bottom) { return relRect{left, right, top, bottom}; }

Point Rel2Point(const relPoint& theRel, const Rect& theFrame) {
  const FrameSize size = sizeOf(theFrame);
  return Point{scaled(theFrame.top, size.hig, theRel.vert), scaled(theFrame.left, size.wid, theRel.horiz)};
}

relPoint Point2Rel(Point thePoint, const Rect& theFrame) {
  const FrameSize size = sizeOf(theFrame);
  return relPoint{(thePoint.h - theFrame.left) / double(size.wid), (thePoint.v - theFrame.top) / double(size.hig)};
}
