// Rectangles and points in fractions of a frame, so one configuration fits
// frames of every size.
#pragma once

#include "platform/quickdraw/quickdraw.h"
#include "plugin/core/rel_rect.h"

// Pixel products are truncated toward zero before the frame's corner is added.
Rect Rel2Rect(const relRect& theRel, const Rect& theFrame);
relRect Rect2Rel(const Rect& theRect, const Rect& theFrame);
relRect SetRelRect(double left, double top, double right, double bottom);
Point Rel2Point(const relPoint& theRel, const Rect& theFrame);
relPoint Point2Rel(Point thePoint, const Rect& theFrame);
