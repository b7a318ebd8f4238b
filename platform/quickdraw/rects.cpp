#include <algorithm>

#include "platform/quickdraw/quickdraw.h"

void SetRect(Rect* r, short left, short top, short right, short bottom) {
  if (r != nullptr) *r = Rect{top, left, bottom, right};
}

void OffsetRect(Rect* r, short dh, short dv) {
  if (r == nullptr) return;
  r->left = static_cast<int16_t>(r->left + dh);
  r->right = static_cast<int16_t>(r->right + dh);
  r->top = static_cast<int16_t>(r->top + dv);
  r->bottom = static_cast<int16_t>(r->bottom + dv);
}

void InsetRect(Rect* r, short dh, short dv) {
  if (r == nullptr) return;
  r->left = static_cast<int16_t>(r->left + dh);
  r->right = static_cast<int16_t>(r->right - dh);
  r->top = static_cast<int16_t>(r->top + dv);
  r->bottom = static_cast<int16_t>(r->bottom - dv);
}

Boolean PtInRect(Point pt, const Rect* r) {
  return r != nullptr && pt.h >= r->left && pt.h < r->right && pt.v >= r->top && pt.v < r->bottom;
}

void Pt2Rect(Point a, Point b, Rect* r) {
  if (r == nullptr) return;
  *r = Rect{std::min(a.v, b.v), std::min(a.h, b.h), std::max(a.v, b.v), std::max(a.h, b.h)};
}

Boolean EmptyRect(const Rect* r) { return r == nullptr || r->left >= r->right || r->top >= r->bottom; }

Boolean SectRect(const Rect* a, const Rect* b, Rect* result) {
  Rect s{std::max(a->top, b->top), std::max(a->left, b->left), std::min(a->bottom, b->bottom),
         std::min(a->right, b->right)};
  if (EmptyRect(&s)) s = Rect{0, 0, 0, 0};
  if (result != nullptr) *result = s;
  return !EmptyRect(&s);
}

Boolean EqualRect(const Rect* a, const Rect* b) {
  return a->top == b->top && a->left == b->left && a->bottom == b->bottom && a->right == b->right;
}

void SetPt(Point* pt, short h, short v) {
  if (pt != nullptr) *pt = Point{v, h};
}
