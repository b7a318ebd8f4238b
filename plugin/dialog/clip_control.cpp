#include "plugin/dialog/clip_control.h"

#include <iterator>

#include "platform/strings/cfstring.h"
#include "plugin/core/data_handling.h"
#include "plugin/core/globals.h"
#include "plugin/dialog/frame_handles.h"
#include "plugin/render/callpixelfx.h"
#include "plugin/render/offscreen_buffers.h"
#include "platform/quickdraw/quickdraw_owners.h"

namespace {

ToolboxObjectClassRef lgClipCtrlClassRef1 = nullptr;
EventHandlerUPP lgMyHandlerUPP = nullptr;

const EventTypeSpec kClipEvents[] = {{kEventClassControl, kEventControlDraw},
                                     {kEventClassControl, kEventControlHitTest},
                                     {kEventClassControl, kEventControlHit},
                                     {kEventClassControl, kEventControlActivate},
                                     {kEventClassControl, kEventControlOwningWindowChanged},
                                     {kEventClassControl, kEventControlTrack}};

ControlRef EventControl(EventRef theEvent) {
  ControlRef theControl = nullptr;
  GetEventParameter(theEvent, kEventParamDirectObject, typeControlRef, nullptr, sizeof theControl, nullptr,
                    &theControl);
  return theControl;
}

Point EventMouse(EventRef theEvent) {
  Point where{0, 0};
  GetEventParameter(theEvent, kEventParamMouseLocation, typeQDPoint, nullptr, sizeof where, nullptr, &where);
  return where;
}

OSStatus HitTest(EventRef theEvent) {
  ControlRef theControl = EventControl(theEvent);
  const Point mouse = EventMouse(theEvent);
  Rect bounds{0, 0, 0, 0};
  GetControlBounds(theControl, &bounds);
  ControlPartCode part = kControlNoPart;
  if (PtInRect(mouse, &bounds) && gConfigWorkSpace.theConfig != nullptr)
    part = IsHandleHit(Rel2Rect(gConfigWorkSpace.theConfig->startRel, bounds), mouse);
  SetEventParameter(theEvent, kEventParamControlPart, typeControlPartCode, sizeof part, &part);
  return noErr;
}

OSStatus Draw(EventRef theEvent) {
  PortSaver saved;
  ControlRef theControl = EventControl(theEvent);
  SetPortWindowPort(gConfigWorkSpace.theWindow);
  Rect bounds{0, 0, 0, 0};
  GetControlBounds(theControl, &bounds);
  const ControlPartCode hilite = GetControlHilite(theControl);
  if (hilite != kControlDisabledPart && hilite != kControlInactivePart)
    DrawFrameContents(gConfigWorkSpace.theWindow, bounds);
  return noErr;
}

OSStatus Track(EventRef theEvent) {
  pluginDataPtr theConfig = gConfigWorkSpace.theConfig;
  if (theConfig == nullptr) return noErr;
  ControlRef theControl = EventControl(theEvent);
  Point mouseLocation = EventMouse(theEvent);
  UInt32 modifierKeys = 0;
  GetEventParameter(theEvent, kEventParamKeyModifiers, typeUInt32, nullptr, sizeof modifierKeys, nullptr,
                    &modifierKeys);

  CGrafPtr thePort = GetWindowPort(gConfigWorkSpace.theWindow);
  SetPort(thePort);
  Rect controlBounds{0, 0, 0, 0};
  GetControlBounds(theControl, &controlBounds);
  ClipRect(&controlBounds);

  Rect testRect = Rel2Rect(theConfig->startRel, controlBounds);
  const relRect origRel = GetCurrentRel();
  const Rect origRect = testRect;
  const int16_t whatPart = IsHandleHit(testRect, mouseLocation);

  MouseTrackingResult trackingResult = kMouseTrackingMouseDown;
  Point newLoc = mouseLocation;
  while (trackingResult != kMouseTrackingMouseUp) {
    if (trackingResult == kMouseTrackingMouseDragged && PtInRect(newLoc, &controlBounds) && whatPart != kHandleNone) {
      if (whatPart == kHandleInside) {
        DragRect(testRect, mouseLocation, newLoc);
        mouseLocation = newLoc;
      } else {
        // Always from the frame at mouse-down and the whole movement since.
        testRect = origRect;
        DragCorner(whatPart, testRect, mouseLocation, newLoc, modifierKeys, controlBounds, origRel);
      }
      PutCurrentRel(Rect2Rel(testRect, controlBounds));
      CallPixelEffect(gConfigWorkSpace.sourceClip, gConfigWorkSpace.theFXClip);
      DrawFrameContents(gConfigWorkSpace.theWindow, controlBounds);
    }
    TrackMouseLocation(thePort, &newLoc, &trackingResult);
  }
  return noErr;
}

}  // namespace

OSStatus ClipCtrlControlHandler(EventHandlerCallRef, EventRef theEvent, void*) {
  OSStatus result = eventNotHandledErr;
  switch (GetEventKind(theEvent)) {
    case kEventControlHitTest:
      result = HitTest(theEvent);
      break;
    case kEventControlDraw:
    case kEventControlActivate:
    case kEventControlOwningWindowChanged:
      result = Draw(theEvent);
      break;
    case kEventControlHit:
      GetControl32BitValue(EventControl(theEvent)), result = noErr;
      break;
    case kEventControlTrack:
      result = Track(theEvent);
      break;
    default:
      break;
  }
  if (CGrafPtr port = GetWindowPort(gConfigWorkSpace.theWindow); port != nullptr) {
    PortSaver saved;
    SetPort(port);
    const Rect whole = GetPortRect(port);
    ClipRect(&whole);
  }
  return result;
}

void RegisterClipCtrl() {
  lgMyHandlerUPP = NewEventHandlerUPP(ClipCtrlControlHandler);
  RegisterToolboxObjectClass(CFSTR("com.qzt.oxbowfx.clip"), nullptr, static_cast<UInt32>(std::size(kClipEvents)),
                             kClipEvents, lgMyHandlerUPP, nullptr, &lgClipCtrlClassRef1);
}

void UnregisterClipCtrl() {
  UnregisterToolboxObjectClass(lgClipCtrlClassRef1);
  lgClipCtrlClassRef1 = nullptr;
  DisposeEventHandlerUPP(lgMyHandlerUPP);
  lgMyHandlerUPP = nullptr;
}
