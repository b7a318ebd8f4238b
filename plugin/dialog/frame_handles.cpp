#include "plugin/dialog/frame_handles.h"

#include "plugin/common/numeric_helpers.h"
#include "plugin/core/data_handling.h"
#include "plugin/core/globals.h"
#include "plugin/dialog/carbonmacros.h"
#include "plugin/render/offscreen_buffers.h"
#include "platform/quickdraw/quickdraw_owners.h"
#include "plugin/render/rect_geometry.h"

namespace {

const RGBColor kBlack{0, 0, 0};
const RGBColor kWhite{0xFFFF, 0xFFFF, 0xFFFF};

Point Corner(int16_t h, int16_t v) { return Point{v, h}; }

// The corner a handle moves and the one that stays, by hit code.
void HandleCorners(int16_t theHandle, const Rect& r, Point& varPoint, Point& fixPoint) {
  switch (theHandle) {
    case kHandleTopLeft:
      varPoint = Corner(r.left, r.top), fixPoint = Corner(r.right, r.bottom);
      break;
    case kHandleTopRight:
      varPoint = Corner(r.right, r.top), fixPoint = Corner(r.left, r.bottom);
      break;
    case kHandleBottomLeft:
      varPoint = Corner(r.left, r.bottom), fixPoint = Corner(r.right, r.top);
      break;
    default:
      varPoint = Corner(r.right, r.bottom), fixPoint = Corner(r.left, r.top);
      break;
  }
}

Rect FitProportions(const Rect& propRect, const Rect& theRect) {
  int32_t wid = 0, hig = 0;
  GetDims(propRect, wid, hig);
  return wid > hig ? KeepPropsWithFixedHorizontal(propRect, theRect) : KeepPropsWithFixedVertical(propRect, theRect);
}

}  // namespace

Rect HandleBox(int16_t h, int16_t v) {
  Rect box;
  SetRect(&box, static_cast<short>(h - cHandleSize), static_cast<short>(v - cHandleSize),
          static_cast<short>(h + cHandleSize), static_cast<short>(v + cHandleSize));
  return box;
}

int16_t IsHandleHit(const Rect& theRect, Point theLoc) {
  const Rect boxes[] = {HandleBox(theRect.left, theRect.top), HandleBox(theRect.right, theRect.top),
                        HandleBox(theRect.left, theRect.bottom), HandleBox(theRect.right, theRect.bottom)};
  for (int16_t i = 0; i < 4; ++i)
    if (PtInRect(theLoc, &boxes[i])) return static_cast<int16_t>(kHandleTopLeft + i);
  return PtInRect(theLoc, &theRect) ? kHandleInside : kHandleNone;
}

void DrawHandles(const Rect& theRect) {
  PenMode(srcOr);
  const Point corners[] = {Corner(theRect.left, theRect.top), Corner(theRect.right, theRect.top),
                           Corner(theRect.left, theRect.bottom), Corner(theRect.right, theRect.bottom)};
  for (const Point& corner : corners) {
    Rect box = HandleBox(corner.h, corner.v);
    const RGBColor* rings[] = {&kBlack, &kWhite, &kBlack};
    for (const RGBColor* ring : rings) {
      RGBForeColor(ring);
      FrameOval(&box);
      InsetRect(&box, 1, 1);
    }
  }
  PenNormal();
}

void DrawFrameContents(WindowPtr theWindow, const Rect& destRect) {
  GrafPtr theGW = GetWindowPort(theWindow);
  GrafPtr theFXClip = gConfigWorkSpace.theFXClip;
  pluginDataPtr theConfig = gConfigWorkSpace.theConfig;
  if (theGW == nullptr || theFXClip == nullptr || theConfig == nullptr) return;
  PortSaver saved;
  SetGWorld(theGW, nullptr);
  const Rect sourceRect = GetPortRect(theFXClip);
  RGBBackColor(&kWhite);
  RGBForeColor(&kBlack);
  CopyBits(GetPortBitMapForCopyBits(theFXClip), GetPortBitMapForCopyBits(theGW), &sourceRect, &destRect, srcCopy,
           nullptr);

  const Rect thePortRect = GetPortRect(theGW);
  ClipRect(&destRect);
  RGBForeColor(&theConfig->frameStartColor);
  const Rect theFrame = Rel2Rect(theConfig->startRel, destRect);
  FrameRect(&theFrame);
  if (gConfigWorkSpace.activeRel == 1) DrawHandles(theFrame);
  ClipRect(&thePortRect);
  RGBForeColor(&kBlack);
  FrameRect(&destRect);
}

void DragRect(Rect& theRect, Point oldLoc, Point newLoc) {
  OffsetRect(&theRect, static_cast<short>(newLoc.h - oldLoc.h), static_cast<short>(newLoc.v - oldLoc.v));
}

void DragCorner(int16_t theHandle, Rect& theRect, Point oldLoc, Point newLoc, UInt32 modifiers, const Rect& theFrame,
                const relRect& origRel) {
  if (theHandle < kHandleTopLeft || theHandle > kHandleBottomRight) return;
  Point varPoint{0, 0}, fixPoint{0, 0};
  HandleCorners(theHandle, theRect, varPoint, fixPoint);
  const int16_t dx = static_cast<int16_t>(newLoc.h - oldLoc.h);
  const int16_t dy = static_cast<int16_t>(newLoc.v - oldLoc.v);
  varPoint.h = static_cast<int16_t>(varPoint.h + dx);
  varPoint.v = static_cast<int16_t>(varPoint.v + dy);
  if (modifiers & optionMask) {
    fixPoint.h = static_cast<int16_t>(fixPoint.h - dx);
    fixPoint.v = static_cast<int16_t>(fixPoint.v - dy);
  }
  Pt2Rect(fixPoint, varPoint, &theRect);
  if (modifiers & shiftMask) theRect = FitProportions(Rel2Rect(origRel, theFrame), theRect);
  KeepImageProps(theRect);
}

void KeepImageProps(Rect& theRect) {
  if (gConfigWorkSpace.theConfig == nullptr || !gConfigWorkSpace.theConfig->keepProps) return;
  const Rect bounds = GetControlBox(gConfigWorkSpace.theFrameCtrl);
  int32_t wid = 0, hig = 0;
  GetDims(bounds, wid, hig);
  Rect propRect;
  SetRect(&propRect, 0, 0, static_cast<short>(wid), static_cast<short>(hig));
  theRect = FitProportions(propRect, theRect);
}

void CalcAndKeepImageProps() {
  relRect theRel = GetCurrentRel();
  const Rect theFrame = GetControlBox(gConfigWorkSpace.theFrameCtrl);
  // A preview without area would turn the rectangle into divisions by zero.
  if (EmptyRect(&theFrame)) return;
  Rect theRect = Rel2Rect(theRel, theFrame);
  KeepImageProps(theRect);
  theRel = Rect2Rel(theRect, theFrame);
  PutCurrentRel(theRel);
}
