#include "plugin/dialog/picture_control.h"

#include <iterator>
#include <map>

#include "platform/strings/cfstring.h"
#include "plugin/render/cg/cgglue.h"
#include "platform/quickdraw/quickdraw_owners.h"
#include "plugin/render/rect_geometry.h"

namespace {

ToolboxObjectClassRef lgPictureControlClassRef = nullptr;
EventHandlerUPP lgMyHandlerUPP = nullptr;

const EventTypeSpec kPictureEvents[] = {{kEventClassControl, kEventControlDraw},
                                        {kEventClassControl, kEventControlHitTest},
                                        {kEventClassControl, kEventControlHit}};

std::map<ControlRef, CGImageRef>& Images() {
  static std::map<ControlRef, CGImageRef> images;
  return images;
}

ControlRef EventControl(EventRef theEvent) {
  ControlRef theControl = nullptr;
  GetEventParameter(theEvent, kEventParamDirectObject, typeControlRef, nullptr, sizeof theControl, nullptr,
                    &theControl);
  return theControl;
}

void Draw(ControlRef theControl) {
  PortSaver saved;
  WindowRef theWindow = GetControlOwner(theControl);
  CGrafPtr thePort = GetWindowPort(theWindow);
  if (thePort == nullptr) return;
  SetPort(thePort);
  Rect bounds{0, 0, 0, 0};
  GetControlBounds(theControl, &bounds);
  const ControlPartCode hilite = GetControlHilite(theControl);
  if (hilite == kControlDisabledPart || hilite == kControlInactivePart) return;
  const RGBColor white{0xFFFF, 0xFFFF, 0xFFFF}, black{0, 0, 0};
  RGBBackColor(&white);
  EraseRect(&bounds);
  if (CGImageRef theImage = GetPictureControlImage(theControl); theImage != nullptr) {
    Rect theFrame = CalcProportionalImageForFrame(theImage, bounds);
    CenterRectInRect(theFrame, bounds);
    DrawCGImageInQDRect(thePort, theImage, theFrame, 0.0f, false);
  }
  SetPort(thePort);
  RGBForeColor(&black);
  FrameRect(&bounds);
  if (hilite > 0) InvertRect(&bounds);
}

}  // namespace

void SetPictureControlImage(ControlRef theControl, CGImageRef theImage) {
  if (theControl == nullptr) return;
  if (theImage == nullptr)
    Images().erase(theControl);
  else
    Images()[theControl] = theImage;
  Draw1Control(theControl);
}

CGImageRef GetPictureControlImage(ControlRef theControl) {
  auto it = Images().find(theControl);
  return it == Images().end() ? nullptr : it->second;
}

OSStatus PictureControlHandler(EventHandlerCallRef, EventRef theEvent, void*) {
  OSStatus result = eventNotHandledErr;
  ControlRef theControl = EventControl(theEvent);
  switch (GetEventKind(theEvent)) {
    case kEventControlHitTest: {
      Rect bounds{0, 0, 0, 0};
      GetControlBounds(theControl, &bounds);
      Point mouse{0, 0};
      GetEventParameter(theEvent, kEventParamMouseLocation, typeQDPoint, nullptr, sizeof mouse, nullptr, &mouse);
      const ControlPartCode part = PtInRect(mouse, &bounds) ? 1 : kControlNoPart;
      SetEventParameter(theEvent, kEventParamControlPart, typeControlPartCode, sizeof part, &part);
      result = noErr;
      break;
    }
    case kEventControlDraw:
      Draw(theControl);
      result = noErr;
      break;
    default:
      break;  // Hit: the toolbox's standard handling goes on
  }
  return result;
}

void RegisterPictureControl() {
  lgMyHandlerUPP = NewEventHandlerUPP(PictureControlHandler);
  RegisterToolboxObjectClass(CFSTR("com.qzt.oxbowfx.imageCTRL"), nullptr,
                             static_cast<UInt32>(std::size(kPictureEvents)), kPictureEvents, lgMyHandlerUPP, nullptr,
                             &lgPictureControlClassRef);
}

void UnregisterPictureControl() {
  if (lgPictureControlClassRef == nullptr) return;
  UnregisterToolboxObjectClass(lgPictureControlClassRef);
  lgPictureControlClassRef = nullptr;
  DisposeEventHandlerUPP(lgMyHandlerUPP);
  lgMyHandlerUPP = nullptr;
  Images().clear();
}
