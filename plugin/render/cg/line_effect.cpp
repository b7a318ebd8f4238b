#include "plugin/render/cg/line_effect.h"

#include "plugin/common/alerts.h"
#include "plugin/render/cg/cgglue.h"
#include "plugin/render/offscreen_buffers.h"
#include "platform/quickdraw/quickdraw_owners.h"

void RenderLineArt(pluginDataPtr theConfig) {
  Assert(theConfig, "nil config on RenderLineArt");
  if (theConfig->theRendered != nullptr) {
    CGImageRelease(theConfig->theRendered);
    theConfig->theRendered = nullptr;
  }
  if (theConfig->theOriginalImage == nullptr) return;
  int32_t wid, hig;
  GetImageDims(theConfig->theOriginalImage, wid, hig);
  Rect theRect;
  SetRect(&theRect, 0, 0, static_cast<short>(wid), static_cast<short>(hig));
  GrafPtr theGW = AllocateRectGWorld(theRect);
  // No buffer, nothing to draw into: the record keeps no rendering.
  if (theGW == nullptr) return;
  DrawCGImageInQDRect(theGW, theConfig->theOriginalImage, theRect, 0.0f, true);
  theConfig->theRendered = GWorld2CGImage(theGW);
  DisposeGWorld(theGW);
}

void TheLineEffect(GrafPtr source, GrafPtr dest, const Rect& activeRect, bool, pluginDataPtr theConfig, int32_t,
                   int32_t) {
  PortSaver saved;
  SetGWorld(dest, nullptr);
  const RGBColor white{0xFFFF, 0xFFFF, 0xFFFF}, black{0, 0, 0};
  RGBBackColor(&white);
  RGBForeColor(&black);
  const Rect destRect = GetPortRect(dest);
  CopyBits(GetPortBitMapForCopyBits(source), GetPortBitMapForCopyBits(dest), &activeRect, &destRect, srcCopy,
           nullptr);
  if (theConfig->sliders[3] > 0) {
    CGImageRef image = GWorld2CGImage(source);
    Assert(image, "Cannot allocate CG image from source in theLineEffect");
    DrawCGImageInQDRectWithAlpha(dest, image, destRect, 0.0f, false, theConfig->sliders[3] / 100.0,
                                 kCGBlendModeNormal);
    CGImageRelease(image);
  }
}
