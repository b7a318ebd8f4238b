#include "plugin/dialog/color_control.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "platform/strings/cfstring.h"
#include "platform/toolkit/color_picker.h"
#include "plugin/common/color_packing.h"
#include "platform/quickdraw/quickdraw_owners.h"

namespace {

ToolboxObjectClassRef lgColorBoxClassRef = nullptr;
EventHandlerUPP lgMyHandlerUPP = nullptr;

const EventTypeSpec kColorEvents[] = {{kEventClassControl, kEventControlDraw},
                                      {kEventClassControl, kEventControlHitTest},
                                      {kEventClassControl, kEventControlHit}};

ControlRef EventControl(EventRef theEvent) {
  ControlRef theControl = nullptr;
  GetEventParameter(theEvent, kEventParamDirectObject, typeControlRef, nullptr, sizeof theControl, nullptr,
                    &theControl);
  return theControl;
}

}  // namespace

void ColorBoxDraw(const Rect& theRect, const RGBColor& theColor) {
  const RGBColor black{0, 0, 0};
  RGBForeColor(&theColor);
  PaintRect(&theRect);
  RGBForeColor(&black);
  FrameRect(&theRect);
}

bool UseColorPicker(Point where, std::string_view prompt, const RGBColor& inColor, RGBColor& outColor) {
  NColorPickerInfo theColorInfo{};
  theColorInfo.theColor.profile = nullptr;
  theColorInfo.theColor.color = inColor;
  theColorInfo.dstProfile = nullptr;
  theColorInfo.flags = kColorPickerDialogIsMoveable | kColorPickerDialogIsModal | kColorPickerAppIsColorSyncAware |
                       kColorPickerInPickerDialog;
  theColorInfo.placeWhere = kAtSpecifiedOrigin;
  theColorInfo.dialogOrigin = where;
  const size_t length = std::min<size_t>(prompt.size(), 255);
  theColorInfo.prompt[0] = static_cast<unsigned char>(length);
  std::memcpy(theColorInfo.prompt + 1, prompt.data(), length);
  theColorInfo.newColorChosen = false;
  if (NPickColor(&theColorInfo) != noErr || !theColorInfo.newColorChosen) return false;
  outColor = theColorInfo.theColor.color;
  return true;
}

OSStatus ColorBoxControlHandler(EventHandlerCallRef, EventRef theEvent, void*) {
  OSStatus result = eventNotHandledErr;
  ControlRef theControl = EventControl(theEvent);
  Rect bounds{0, 0, 0, 0};
  GetControlBounds(theControl, &bounds);
  switch (GetEventKind(theEvent)) {
    case kEventControlHitTest: {
      Point mouse{0, 0};
      GetEventParameter(theEvent, kEventParamMouseLocation, typeQDPoint, nullptr, sizeof mouse, nullptr, &mouse);
      const ControlPartCode part = PtInRect(mouse, &bounds) ? 1 : kControlNoPart;
      SetEventParameter(theEvent, kEventParamControlPart, typeControlPartCode, sizeof part, &part);
      result = noErr;
      break;
    }
    case kEventControlDraw: {
      PortSaver saved;
      SetPortWindowPort(GetControlOwner(theControl));
      const ControlPartCode hilite = GetControlHilite(theControl);
      if (hilite == kControlInactivePart || hilite == kControlDisabledPart)
        EraseRect(&bounds);
      else
        ColorBoxDraw(bounds, LongInt2RGBColor(GetControl32BitValue(theControl)));
      result = noErr;
      break;
    }
    case kEventControlHit: {
      RGBColor theColor = LongInt2RGBColor(GetControl32BitValue(theControl));
      if (UseColorPicker(Point{0, 0}, "Please choose color:", theColor, theColor))
        SetControl32BitValue(theControl, RGBColor2LongInt(theColor));
      // Not handled, so the toolbox goes on and sends the box's command.
      break;
    }
    default:
      break;
  }
  return result;
}

void RegisterColorBox() {
  lgMyHandlerUPP = NewEventHandlerUPP(ColorBoxControlHandler);
  RegisterToolboxObjectClass(CFSTR("com.qzt.oxbowfx.color"), nullptr, static_cast<UInt32>(std::size(kColorEvents)),
                             kColorEvents, lgMyHandlerUPP, nullptr, &lgColorBoxClassRef);
}

void UnregisterColorBox() {
  UnregisterToolboxObjectClass(lgColorBoxClassRef);
  lgColorBoxClassRef = nullptr;
  DisposeEventHandlerUPP(lgMyHandlerUPP);
  lgMyHandlerUPP = nullptr;
}
