#include "plugin/render/cg/cgglue.h"

#include <algorithm>
#include <memory>

#include "plugin/common/alerts.h"
#include "plugin/render/offscreen_buffers.h"
#include "plugin/render/rect_geometry.h"

namespace {

// Each drawing operation opens and ends its own context on the port.
struct PortContext {
  explicit PortContext(GrafPtr port) : port_(port) { QDBeginCGContext(port_, &context_); }
  ~PortContext() {
    if (context_ == nullptr) return;
    CGContextFlush(context_);
    QDEndCGContext(port_, &context_);
  }
  PortContext(const PortContext&) = delete;
  PortContext& operator=(const PortContext&) = delete;
  CGContextRef get() const { return context_; }

 private:
  GrafPtr port_;
  CGContextRef context_ = nullptr;
};

}  // namespace

CGRect QDRectToGCRect(const Rect& theRect, const Rect& theFrame) {
  int32_t portWid, portHig, rWid, rHig;
  GetDims(theFrame, portWid, portHig);
  GetDims(theRect, rWid, rHig);
  return CGRectMake(static_cast<CGFloat>(theFrame.left + theRect.left),
                    static_cast<CGFloat>(theFrame.top + portHig - theRect.bottom), static_cast<CGFloat>(rWid),
                    static_cast<CGFloat>(rHig));
}

CGRect QDCrop2CGCrop(const Rect& cropRect, CGImageRef) {
  int32_t wid, hig;
  GetDims(cropRect, wid, hig);
  return CGRectMake(cropRect.left, cropRect.top, static_cast<CGFloat>(wid), static_cast<CGFloat>(hig));
}

void GWClearRect(GrafPtr theGW, const Rect& theRect) {
  Assert(theGW, "NIL GWorld in GWClearRect");
  const CGRect target = QDRectToGCRect(theRect, GetPortRect(theGW));
  PortContext context(theGW);
  CGContextClearRect(context.get(), target);
}

void GWPaintRectWithAlpha(GrafPtr theGW, const Rect& theRect, const RGBColor& theColor, uint8_t alpha) {
  Assert(theGW, "NIL GWorld in GWPaintRect");
  const int r = theColor.red >> 8, g = theColor.green >> 8, b = theColor.blue >> 8;
  const CGRect target = QDRectToGCRect(theRect, GetPortRect(theGW));
  PortContext context(theGW);
  CGContextSetRGBFillColor(context.get(), r / 255.0f, g / 255.0f, b / 255.0f, alpha / 255.0f);
  CGContextFillRect(context.get(), target);
}

void DrawRotatedImageInCGRect(CGContextRef theContext, CGImageRef theImage, CGRect targetRect, float theRadiants,
                              bool clearFirst) {
  Assert(theContext, "NIL context for DrawRotatedImageInQDRect");
  Assert(theImage, "NIL Image for DrawRotatedImageInQDRect");
  CGContextSaveGState(theContext);
  const CGRect drawRect =
      CGRectMake(-targetRect.size.width / 2, -targetRect.size.height / 2, targetRect.size.width, targetRect.size.height);
  CGContextTranslateCTM(theContext, targetRect.origin.x + targetRect.size.width / 2,
                        targetRect.origin.y + targetRect.size.height / 2);
  CGContextRotateCTM(theContext, theRadiants);
  if (clearFirst) CGContextClearRect(theContext, drawRect);
  CGContextDrawImage(theContext, drawRect, theImage);
  CGContextRestoreGState(theContext);
}

void DrawCGImageInQDRect(GrafPtr theGW, CGImageRef theImage, const Rect& qdTargetRect, float theRadiants,
                         bool clearFirst) {
  DrawCGImageInQDRectWithAlpha(theGW, theImage, qdTargetRect, theRadiants, clearFirst, -1.0, kCGBlendModeNormal);
}

void DrawCGImageInQDRectWithAlpha(GrafPtr theGW, CGImageRef theImage, const Rect& qdTargetRect, float theRadiants,
                                  bool clearFirst, double alpha, int16_t blendMode) {
  if (theImage == nullptr || theGW == nullptr) return;
  const CGRect target = QDRectToGCRect(qdTargetRect, GetPortRect(theGW));
  PortContext context(theGW);
  if (context.get() == nullptr) return;
  if (alpha >= 0) CGContextSetAlpha(context.get(), static_cast<CGFloat>(alpha));
  CGContextSetBlendMode(context.get(), blendMode);
  DrawRotatedImageInCGRect(context.get(), theImage, target, theRadiants, clearFirst);
}

Rect CalcProportionalImageForFrame(CGImageRef theImage, const Rect& theFrame) {
  if (theImage == nullptr) return Rect{0, 0, 0, 0};
  const Rect imageBounds{0, 0, static_cast<int16_t>(CGImageGetHeight(theImage)),
                         static_cast<int16_t>(CGImageGetWidth(theImage))};
  return CalcProportionalRectForFrame(imageBounds, theFrame);
}

CGColorRef RGBColor2CGColorRef(const RGBColor& theColor, int16_t alpha, CGColorSpaceRef theColorSpace) {
  Assert(theColorSpace, "NIL ColorSpace -- Color Space for allocation in RGBColor2CGColorRef");
  // alpha is a byte value like GWPaintRectWithAlpha's; out-of-range values
  // are held to 0..255.
  const CGFloat components[4] = {theColor.red / 65535.0f, theColor.green / 65535.0f, theColor.blue / 65535.0f,
                                 std::clamp<int>(alpha, 0, 255) / 255.0f};
  CGColorRef color = CGColorCreate(theColorSpace, components);
  Assert(color, "NIL Color returned -- CGColorCreate returned NIL color in RGBColor2CGColorRef");
  return color;
}

CGImageRef GWorld2CGImage(GrafPtr theGW) {
  PixMapHandle pixMap = GetGWorldPixMap(theGW);
  const Rect bounds = GetPortRect(theGW);
  int32_t wid, hig;
  GetDims(bounds, wid, hig);
  CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
  CGContextRef context = CGBitmapContextCreate(GetPixBaseAddr(pixMap), static_cast<size_t>(wid),
                                               static_cast<size_t>(hig), 8,
                                               static_cast<size_t>(GetPixRowBytes(pixMap)), space,
                                               kCGImageAlphaPremultipliedFirst);
  Assert(context, "Failed to create s CGContext on GWorld2CGImage");
  CGColorSpaceRelease(space);
  CGImageRef image = CGBitmapContextCreateImage(context);
  CGContextRelease(context);
  return image;
}

void GetImageDims(CGImageRef theImage, int32_t& wid, int32_t& hig) {
  wid = static_cast<int32_t>(CGImageGetWidth(theImage));
  hig = static_cast<int32_t>(CGImageGetHeight(theImage));
}

Rect GetImageRect(CGImageRef theImage) {
  if (theImage == nullptr) return Rect{0, 0, 0, 0};
  return Rect{0, 0, static_cast<int16_t>(CGImageGetHeight(theImage)), static_cast<int16_t>(CGImageGetWidth(theImage))};
}
