// Rectangles and points in fractions of a frame, so one configuration fits
// frames of every size. The conversions to and from pixels are rendering's.
#pragma once

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

// The whole frame.
inline void InitRelRect(relRect& theRel) { theRel = relRect{0.0, 1.0, 0.0, 1.0}; }
