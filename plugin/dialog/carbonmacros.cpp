#include "plugin/dialog/carbonmacros.h"

#include <cstring>

#include "platform/quickdraw/text.h"
#include "platform/strings/text_utils.h"
#include "plugin/common/string_conversions.h"

namespace {

ControlRef findControl(WindowRef theWindow, OSType theSig, SInt16 theID) {
  const ControlID id{theSig, theID};
  ControlRef control = nullptr;
  GetControlByID(theWindow, &id, &control);
  return control;
}

}  // namespace

ControlRef SimpleGetControlByID(WindowRef theWindow, OSType theSig, SInt16 theID) {
  return findControl(theWindow, theSig, theID);
}

Rect SimpleGetControlBox(WindowRef theWindow, OSType theSig, SInt16 theID) {
  return GetControlBox(findControl(theWindow, theSig, theID));
}

Rect GetControlBox(ControlRef theControl) {
  Rect bounds{0, 0, 0, 0};
  GetControlBounds(theControl, &bounds);
  return bounds;
}

void SimpleSetControlText(WindowRef theWindow, OSType theSig, SInt16 theID, ConstStr255Param theText) {
  ControlRef control = findControl(theWindow, theSig, theID);
  if (control == nullptr) return;
  SetControlData(control, kControlEntireControl, kControlStaticTextTextTag, theText[0], theText + 1);
  Draw1Control(control);
}

void SimpleSetControlText(WindowRef theWindow, OSType theSig, SInt16 theID, std::string_view theText) {
  Str255 text;
  pstringAssign(text, theText);
  SimpleSetControlText(theWindow, theSig, theID, text);
}

void SimpleShowControl(WindowRef theWindow, OSType theSig, SInt16 theID) {
  if (ControlRef control = findControl(theWindow, theSig, theID)) ShowControl(control);
}

void SimpleHideControl(WindowRef theWindow, OSType theSig, SInt16 theID) {
  if (ControlRef control = findControl(theWindow, theSig, theID)) HideControl(control);
}

SInt32 SimpleGetControlValueByID(WindowRef theWindow, OSType theSig, SInt16 theID) {
  return GetControl32BitValue(findControl(theWindow, theSig, theID));
}

void SimpleSetControlValueByID(WindowRef theWindow, OSType theSig, SInt16 theID, SInt32 theVal) {
  SetControl32BitValue(findControl(theWindow, theSig, theID), theVal);
}

void SimpleEnableControlByID(WindowRef theWindow, OSType theSig, SInt16 theID) {
  EnableControl(findControl(theWindow, theSig, theID));
}

void SimpleDisableControlByID(WindowRef theWindow, OSType theSig, SInt16 theID) {
  DisableControl(findControl(theWindow, theSig, theID));
}

void GetEditTextFromControl(WindowRef theWindow, OSType theSig, SInt16 theID, Str255 theText) {
  theText[0] = 0;
  ControlRef control = findControl(theWindow, theSig, theID);
  if (control == nullptr) return;
  Size actualSize = 0;
  const OSStatus status =
      GetControlData(control, kControlEntireControl, kControlEditTextTextTag, 255, theText + 1, &actualSize);
  if (status != noErr)
    theText[0] = 0;
  else
    theText[0] = static_cast<unsigned char>(actualSize > 255 ? 255 : actualSize);
}

SInt32 GetNumberFromEditTextControl(WindowRef theWindow, OSType theSig, SInt16 theID) {
  Str255 text;
  GetEditTextFromControl(theWindow, theSig, theID, text);
  long number = 0;
  StringToNum(text, &number);
  return static_cast<SInt32>(number);
}

void SetEditTextForControl(ConstStr255Param theText, WindowRef theWindow, OSType theSig, SInt16 theID) {
  if (ControlRef control = findControl(theWindow, theSig, theID))
    SetControlData(control, kControlEntireControl, kControlEditTextTextTag, theText[0], theText + 1);
}

void SetEditTextToNumberForControl(SInt32 theNumber, WindowRef theWindow, OSType theSig, SInt16 theID) {
  Str255 text;
  NumToString(theNumber, text);
  SetEditTextForControl(text, theWindow, theSig, theID);
}

void SetKeyboadFocusByID(WindowRef theWindow, OSType theSig, SInt16 theID) {
  SetKeyboardFocus(theWindow, findControl(theWindow, theSig, theID), kControlFocusNextPart);
}

void SelectTextByIDForControl(WindowRef theWindow, OSType theSig, SInt16 theID, SInt16 startSel, SInt16 endSel) {
  const ControlEditTextSelectionRec selection{startSel, endSel};
  SetControlData(findControl(theWindow, theSig, theID), kControlEntireControl, kControlEditTextSelectionTag, 4,
                 &selection);
}

void GetPopupItemText(ControlRef thePopup, SInt16 theItem, Str255 theText) {
  theText[0] = 0;
  if (theItem < 1) return;
  GetMenuItemText(GetControlPopupMenuHandle(thePopup), static_cast<MenuItemIndex>(theItem), theText);
}

void GetSelectedPopupTextFromID(WindowRef theWindow, OSType theSig, SInt16 theID, Str255 theText) {
  ControlRef popup = findControl(theWindow, theSig, theID);
  GetPopupItemText(popup, static_cast<SInt16>(GetControl32BitValue(popup)), theText);
}

void GetIndexedPopupTextFromID(WindowRef theWindow, OSType theSig, SInt16 theID, SInt16 theIndex, Str255 theText) {
  GetPopupItemText(findControl(theWindow, theSig, theID), theIndex, theText);
}

SInt16 GetFontIDFromPopup(WindowRef theWindow, OSType theSig, SInt16 thePopup) {
  Str255 name;
  GetSelectedPopupTextFromID(theWindow, theSig, thePopup, name);
  return FMGetFontFamilyFromName(name);
}

SInt16 GetMenuItemPosition(ControlRef theControl, ConstStr255Param theName) {
  const SInt32 theMax = GetControl32BitMaximum(theControl);
  for (SInt32 i = 1; i <= theMax; ++i) {
    Str255 item;
    GetPopupItemText(theControl, static_cast<SInt16>(i), item);
    if (item[0] == theName[0] && std::memcmp(item + 1, theName + 1, item[0]) == 0) return static_cast<SInt16>(i);
  }
  return -1;
}

SInt16 FindNameInPopupByID(WindowRef theWindow, OSType theSig, SInt16 theID, ConstStr255Param theName) {
  return GetMenuItemPosition(SimpleGetControlByID(theWindow, theSig, theID), theName);
}

OSStatus InstallWindowEventHandler(WindowRef theWindow, EventHandlerUPP theHandler, UInt32 numTypes,
                                   const EventTypeSpec* typeList, void* userData, EventHandlerRef* handlerRef) {
  return InstallEventHandler(GetWindowEventTarget(theWindow), theHandler, numTypes, typeList, userData, handlerRef);
}

OSStatus InstallMenuEventHandler(MenuRef theMenu, EventHandlerUPP theHandler, UInt32 numTypes,
                                 const EventTypeSpec* typeList, void* userData, EventHandlerRef* handlerRef) {
  return InstallEventHandler(GetMenuEventTarget(theMenu), theHandler, numTypes, typeList, userData, handlerRef);
}

OSStatus InstallControlEventHandler(ControlRef theControl, EventHandlerUPP theHandler, UInt32 numTypes,
                                    const EventTypeSpec* typeList, void* userData, EventHandlerRef* handlerRef) {
  return InstallEventHandler(GetControlEventTarget(theControl), theHandler, numTypes, typeList, userData,
                             handlerRef);
}

OSStatus InstallApplicationEventHandler(EventHandlerUPP theHandler, UInt32 numTypes, const EventTypeSpec* typeList,
                                        void* userData, EventHandlerRef* handlerRef) {
  return InstallEventHandler(GetApplicationEventTarget(), theHandler, numTypes, typeList, userData, handlerRef);
}

WindowRef GetWindowFromEvent(EventRef theEvent) {
  WindowRef window = nullptr;
  GetEventParameter(theEvent, kEventParamDirectObject, typeWindowRef, nullptr, sizeof window, nullptr, &window);
  return window;
}

Point GetMouseLocFromEvent(EventRef theEvent) {
  Point where{0, 0};
  GetEventParameter(theEvent, kEventParamWindowMouseLocation, typeQDPoint, nullptr, sizeof where, nullptr, &where);
  return where;
}

void GetWindowKeyboardDataFromEvent(EventRef theEvent, char* theKey, UInt32* theKeyCode, UInt32* theMods) {
  GetEventParameter(theEvent, kEventParamKeyMacCharCodes, typeChar, nullptr, 1, nullptr, theKey);
  GetEventParameter(theEvent, kEventParamKeyCode, typeUInt32, nullptr, 4, nullptr, theKeyCode);
  GetEventParameter(theEvent, kEventParamKeyModifiers, typeUInt32, nullptr, 4, nullptr, theMods);
}

std::string CommandID2Str(UInt32 commandID) {
  std::string text(4, '\0');
  for (int i = 0; i < 4; ++i) text[i] = static_cast<char>((commandID >> (24 - 8 * i)) & 0xFF);
  return text;
}
