// Core Graphics geometry: 32-bit float points, sizes, rectangles and affine
// transforms. Contexts have their origin at the bottom left, y growing upward.
#pragma once

typedef float CGFloat;

struct CGPoint {
  CGFloat x;
  CGFloat y;
};

struct CGSize {
  CGFloat width;
  CGFloat height;
};

struct CGRect {
  CGPoint origin;
  CGSize size;
};

// x' = a * x + c * y + tx, y' = b * x + d * y + ty.
struct CGAffineTransform {
  CGFloat a, b, c, d, tx, ty;
};

inline CGRect CGRectMake(CGFloat x, CGFloat y, CGFloat width, CGFloat height) {
  return CGRect{CGPoint{x, y}, CGSize{width, height}};
}

inline CGPoint CGPointMake(CGFloat x, CGFloat y) { return CGPoint{x, y}; }
