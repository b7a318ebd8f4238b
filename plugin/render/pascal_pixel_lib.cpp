#include "plugin/render/pascal_pixel_lib.h"

#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "platform/quickdraw/quickdraw_owners.h"
#include "plugin/render/float_to_int.h"

namespace {

constexpr int32_t kRowBytesMask = 0x3FFF;

// A buffer's pixels locked for the life of the view, addressed from (0, 0).
class PixelView {
 public:
  explicit PixelView(GrafPtr world) : world_(world) {
    GetPixInfoFromGWorld(world, base_, rowBytes_, state_, bounds_);
    rowBytes_ &= kRowBytesMask;
    OffsetRect(&bounds_, static_cast<short>(-bounds_.left), static_cast<short>(-bounds_.top));
  }
  ~PixelView() { SetPixelsState(GetGWorldPixMap(world_), state_); }
  PixelView(const PixelView&) = delete;
  PixelView& operator=(const PixelView&) = delete;

  const Rect& bounds() const { return bounds_; }
  bool contains(int x, int y) const {
    return x >= bounds_.left && x < bounds_.right && y >= bounds_.top && y < bounds_.bottom;
  }
  pixRec* at(int x, int y) const {
    return reinterpret_cast<pixRec*>(base_ + static_cast<ptrdiff_t>(y) * rowBytes_ + static_cast<ptrdiff_t>(x) * 4);
  }
  Ptr base() const { return base_; }
  int32_t rowBytes() const { return rowBytes_; }

 private:
  GrafPtr world_;
  Ptr base_ = nullptr;
  int32_t rowBytes_ = 0;
  uint32_t state_ = 0;
  Rect bounds_{};
};

uint8_t highByte(uint16_t channel) { return static_cast<uint8_t>(channel >> 8); }

// Visits the square of theSize pixels from (x, y), rows and columns counting
// down, skipping what falls at or past the right or bottom edge.
template <typename Visit>
void forEachBrushPixel(const PixelView& view, int16_t x, int16_t y, int16_t theSize, Visit visit) {
  for (int row = theSize - 1; row >= 0; --row)
    for (int col = theSize - 1; col >= 0; --col)
      if (x + col < view.bounds().right && y + row < view.bounds().bottom) visit(*view.at(x + col, y + row));
}

}  // namespace

void GetPixInfoFromGWorld(GrafPtr theGW, Ptr& pixBaseAddress, int32_t& pixRowBytes, uint32_t& pixFlags,
                          Rect& theFrame) {
  PixMapHandle pixels = GetGWorldPixMap(theGW);
  pixFlags = GetPixelsState(pixels);
  LockPixels(pixels);
  pixBaseAddress = GetPixBaseAddr(pixels);
  pixRowBytes = GetPixRowBytes(pixels);
  GetPortBounds(theGW, &theFrame);
}

int16_t GetGWDepth(GrafPtr theGW) { return GetPixDepth(GetGWorldPixMap(theGW)); }

int16_t Depth2Size(int16_t theDepth) {
  switch (theDepth) {
    case 8: return 1;
    case 16: return 2;
    default: return 4;
  }
}

void pGetPixel(Ptr srcBaseAddr, int32_t rowBytes, int16_t x, int16_t y, pixRec& thePixel) {
  std::memcpy(&thePixel, srcBaseAddr + static_cast<ptrdiff_t>(y) * rowBytes + x * 4, sizeof thePixel);
}

void pSetPixel(Ptr srcBaseAddr, int32_t rowBytes, int16_t x, int16_t y, const pixRec* thePixel) {
  std::memcpy(srcBaseAddr + static_cast<ptrdiff_t>(y) * rowBytes + x * 4, thePixel, sizeof *thePixel);
}

void SetPixMapPixels(GrafPtr theDest, const Rect& theActiveRect, uint8_t r, uint8_t g, uint8_t b) {
  if (theDest == nullptr) return;
  Ptr base;
  int32_t rowBytes;
  uint32_t state;
  Rect bounds;
  GetPixInfoFromGWorld(theDest, base, rowBytes, state, bounds);
  PixelsStateRestorer restoreDest(GetGWorldPixMap(theDest), state);
  const pixRec pixel{0, r, g, b};
  for (int row = 0; row < bounds.bottom; ++row)
    for (int col = 0; col < bounds.right; ++col)
      if (row >= theActiveRect.top && row < theActiveRect.bottom && col >= theActiveRect.left &&
          col < theActiveRect.right)
        std::memcpy(base + static_cast<ptrdiff_t>(row) * rowBytes + col * 4, &pixel, 4);
}

void Put32BitPixelInPixMap(const pixRec& thePixel, Ptr dstBaseAddress, int16_t x, int16_t y, int32_t dstRowBytes,
                           int16_t targetDepth) {
  const int bytesPerPixel = targetDepth == 8 ? 1 : targetDepth == 16 ? 2 : targetDepth == 24 ? 3 : 4;
  Ptr target = dstBaseAddress + static_cast<ptrdiff_t>(y) * dstRowBytes + static_cast<ptrdiff_t>(x) * bytesPerPixel;
  switch (targetDepth) {
    case 8: *reinterpret_cast<uint8_t*>(target) = thePixel.red; break;
    case 16: {
      const uint16_t word =
          static_cast<uint16_t>(((thePixel.red / 8) * 32 + thePixel.green / 8) * 32 + thePixel.blue / 8);
      std::memcpy(target, &word, 2);
      break;
    }
    case 24: break;
    default: std::memcpy(target, &thePixel, 4);
  }
}

void pSetGWPixelUsingAlpha(GrafPtr theSource, int16_t x, int16_t y, double theAlpha, const RGBColor& theRGB,
                           int16_t theSize) {
  PixelView view(theSource);
  if (!view.contains(x, y)) return;
  const double target[3] = {double(highByte(theRGB.red)), double(highByte(theRGB.green)),
                            double(highByte(theRGB.blue))};
  auto blend = [&](uint8_t existing, double wanted) {
    return static_cast<uint8_t>(TruncToInt32(existing * (1.0 - theAlpha)) + TruncToInt32(wanted * theAlpha));
  };
  forEachBrushPixel(view, x, y, theSize, [&](pixRec& p) {
    p.red = blend(p.red, target[0]);
    p.green = blend(p.green, target[1]);
    p.blue = blend(p.blue, target[2]);
  });
}

void pSetGWPixelAndAlpha(GrafPtr theSource, int16_t x, int16_t y, const RGBColor& theRGB, int16_t alpha,
                         int16_t theSize) {
  PixelView view(theSource);
  if (!view.contains(x, y)) return;
  const pixRec pixel{static_cast<uint8_t>(alpha), highByte(theRGB.red), highByte(theRGB.green),
                     highByte(theRGB.blue)};
  forEachBrushPixel(view, x, y, theSize, [&](pixRec& p) { p = pixel; });
}

void pCombineGWAndPutUsingAlpha(GrafPtr theSource1, GrafPtr theSource2, GrafPtr theTarget, int16_t sx, int16_t sy,
                                int16_t tx, int16_t ty, int16_t alpha, bool invertAlpha, int16_t theSize) {
  if (invertAlpha) alpha = static_cast<int16_t>(255 - alpha);
  const double percent = alpha / 255.0, inverse = 1.0 - percent;
  PixelView source1(theSource1), source2(theSource2), target(theTarget);
  const int16_t targetDepth = GetGWDepth(theTarget);
  if (!source1.contains(sx, sy)) return;
  auto mix = [&](uint8_t a, uint8_t b) { return static_cast<uint8_t>(TruncToInt32(a * percent + b * inverse)); };
  for (int row = theSize - 1; row >= 0; --row) {
    for (int col = theSize - 1; col >= 0; --col) {
      if (tx + col >= target.bounds().right || ty + row >= target.bounds().bottom ||
          sx + col >= source1.bounds().right || sy + row >= source1.bounds().bottom ||
          !source2.contains(sx + col, sy + row))
        continue;
      const pixRec& p1 = *source1.at(sx + col, sy + row);
      // Source 2 shares source 1's coordinates; pixels it lacks are skipped.
      const pixRec& p2 = *source2.at(sx + col, sy + row);
      const pixRec* existing = target.at(tx + col, ty + row);
      // The mixed pixel keeps the target's own alpha.
      const pixRec result{targetDepth == 32 ? existing->alpha : uint8_t{0}, mix(p1.red, p2.red),
                          mix(p1.green, p2.green), mix(p1.blue, p2.blue)};
      if (targetDepth == 32)
        *target.at(tx + col, ty + row) = result;
      else
        Put32BitPixelInPixMap(result, target.base(), static_cast<int16_t>(tx + col), static_cast<int16_t>(ty + row),
                              target.rowBytes(), targetDepth);
    }
  }
}

void pSmudgePixel(GrafPtr theSource1, GrafPtr theSource2, int16_t radius, int16_t x, int16_t y, bool useS2Alpha,
                  int16_t smudgeAlpha, pixRec& result) {
  if (theSource1 == nullptr) return;
  PixelView source1(theSource1);
  if (!source1.contains(x, y)) return;
  const bool useSource2 = theSource2 != nullptr;
  Ptr base2 = nullptr;
  int32_t rowBytes2 = 0;
  uint32_t state2 = 0;
  Rect bounds2;
  if (useSource2) {
    GetPixInfoFromGWorld(theSource2, base2, rowBytes2, state2, bounds2);
    rowBytes2 &= kRowBytesMask;
  }
  long red = 0, green = 0, blue = 0;
  double weight = 0.0;
  for (int col = x - radius; col <= x + radius; ++col) {
    for (int row = y - radius; row <= y + radius; ++row) {
      if (!source1.contains(col, row)) continue;
      const pixRec& p = *source1.at(col, row);
      red += p.red;
      green += p.green;
      blue += p.blue;
      weight += 1.0;
      if (!useSource2) continue;
      pixRec q;
      std::memcpy(&q, base2 + static_cast<ptrdiff_t>(row) * rowBytes2 + col * 4, 4);
      const double a = useS2Alpha ? q.alpha / 255.0 : 1.0;
      red += TruncToInt32(q.red * a);
      green += TruncToInt32(q.green * a);
      blue += TruncToInt32(q.blue * a);
      weight += a;
    }
  }
  result.red = static_cast<uint8_t>(TruncToInt32(red / weight));
  result.green = static_cast<uint8_t>(TruncToInt32(green / weight));
  result.blue = static_cast<uint8_t>(TruncToInt32(blue / weight));
  result.alpha = static_cast<uint8_t>(smudgeAlpha);
  if (useSource2) SetPixelsState(GetGWorldPixMap(theSource2), state2);
}

void pPlotPixel(GrafPtr theTarget, int16_t x, int16_t y, int16_t size, bool, bool, const pixRec& thePixel) {
  if (theTarget == nullptr) return;
  PixelView view(theTarget);
  if (!view.contains(x, y)) return;
  for (int row = y - size; row <= y + size; ++row)
    for (int col = x - size; col <= x + size; ++col)
      if (view.contains(col, row)) *view.at(col, row) = thePixel;
}

void RotatePixmap(GrafPtr theSource, GrafPtr theDest, const Rect& theActiveRect, double phi) {
  if (theSource == nullptr || theDest == nullptr) return;
  Ptr srcBase, dstBase;
  int32_t srcRowBytes, dstRowBytes;
  uint32_t srcState, dstState;
  Rect srcBounds, dstBounds;
  GetPixInfoFromGWorld(theSource, srcBase, srcRowBytes, srcState, srcBounds);
  PixelsStateRestorer restoreSource(GetGWorldPixMap(theSource), srcState);
  GetPixInfoFromGWorld(theDest, dstBase, dstRowBytes, dstState, dstBounds);
  PixelsStateRestorer restoreDest(GetGWorldPixMap(theDest), dstState);
  const double sinF = std::sin(phi), cosF = std::cos(phi);
  const int wid = std::abs(theActiveRect.right - theActiveRect.left) / 2;
  const int hig = std::abs(theActiveRect.bottom - theActiveRect.top) / 2;
  auto inside = [](const Rect& r, int col, int row) {
    return row >= r.top && row < r.bottom && col >= r.left && col < r.right;
  };
  for (int row = 0; row < srcBounds.bottom; ++row) {
    for (int col = 0; col < srcBounds.right; ++col) {
      if (!inside(theActiveRect, col, row)) continue;
      const int x = col - wid - theActiveRect.left, y = row - hig - theActiveRect.top;
      const int xs = theActiveRect.left + wid + TruncToInt32(x * cosF - y * sinF);
      const int ys = theActiveRect.top + hig + TruncToInt32(y * cosF + x * sinF);
      if (!inside(dstBounds, xs, ys)) continue;
      const Ptr from = srcBase + static_cast<ptrdiff_t>(row) * srcRowBytes + col * 4;
      Ptr to = dstBase + static_cast<ptrdiff_t>(ys) * dstRowBytes + static_cast<ptrdiff_t>(xs) * 4;
      std::memcpy(to, from, 4);
      // The second write fills the gaps that forward mapping leaves.
      if (xs > dstBounds.left) std::memcpy(to - 4, from, 4);
    }
  }
}
