// Rectangles and points in fractions of a frame, so one configuration fits
// frames of every size.
#pragma once

#include "platform/quickdraw/quickdraw.h"

// Fractions of the frame's width (left, right) and height (top, bottom),
// measured from its top left corner. Not clamped.
struct relRect {
  double left;
  double right;
  double top;
  double bottom;
};

struct relPoint {
  double horiz;
  double vert;
};

void InitRelRect(relRect& theRel);
// Pixel products are truncated toward zero before the frame's corner is added.
Rect Rel2Rect(const relRect& theRel, const Rect& theFrame);
relRect Rect2Rel(const Rect& theRect, const Rect& theFrame);
relRect SetRelRect(double left, double top, double right, double bottom);
Point Rel2Point(const relPoint& theRel, const Rect& theFrame);
relPoint Point2Rel(Point thePoint, const Rect& theFrame);
