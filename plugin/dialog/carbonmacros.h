// Control, popup and event helpers over the window toolkit. Controls are
// addressed by window, four-character signature and number. Texts are short
// strings (length byte + up to 255 Mac OS Roman bytes).
#pragma once

#include <string>
#include <string_view>

#include "platform/toolkit/toolkit.h"

inline constexpr UInt32 cmdMask = 256;
inline constexpr UInt32 shiftMask = 512;
inline constexpr UInt32 alphaLockMask = 1024;
inline constexpr UInt32 optionMask = 2048;
inline constexpr UInt32 ctrlMask = 4096;
inline constexpr EventParamName kEventParamWindowMouseLocation = VM_FOURCC('w', 'm', 'o', 'u');

// nullptr when the window has no such control.
ControlRef SimpleGetControlByID(WindowRef theWindow, OSType theSig, SInt16 theID);
Rect SimpleGetControlBox(WindowRef theWindow, OSType theSig, SInt16 theID);
Rect GetControlBox(ControlRef theControl);
// Sets the text and redraws the control; nothing when it does not exist.
void SimpleSetControlText(WindowRef theWindow, OSType theSig, SInt16 theID, ConstStr255Param theText);
void SimpleSetControlText(WindowRef theWindow, OSType theSig, SInt16 theID, std::string_view theText);
void SimpleShowControl(WindowRef theWindow, OSType theSig, SInt16 theID);
void SimpleHideControl(WindowRef theWindow, OSType theSig, SInt16 theID);
SInt32 SimpleGetControlValueByID(WindowRef theWindow, OSType theSig, SInt16 theID);
void SimpleSetControlValueByID(WindowRef theWindow, OSType theSig, SInt16 theID, SInt32 theVal);
void SimpleEnableControlByID(WindowRef theWindow, OSType theSig, SInt16 theID);
void SimpleDisableControlByID(WindowRef theWindow, OSType theSig, SInt16 theID);

// The control's text cut to 255 bytes; empty when the control is missing or
// the toolkit reports an error.
void GetEditTextFromControl(WindowRef theWindow, OSType theSig, SInt16 theID, Str255 theText);
SInt32 GetNumberFromEditTextControl(WindowRef theWindow, OSType theSig, SInt16 theID);
// Sets the text without redrawing; nothing when the control is missing.
void SetEditTextForControl(ConstStr255Param theText, WindowRef theWindow, OSType theSig, SInt16 theID);
void SetEditTextToNumberForControl(SInt32 theNumber, WindowRef theWindow, OSType theSig, SInt16 theID);
void SetKeyboadFocusByID(WindowRef theWindow, OSType theSig, SInt16 theID);
void SelectTextByIDForControl(WindowRef theWindow, OSType theSig, SInt16 theID, SInt16 startSel, SInt16 endSel);

// Popup item texts; items count from 1.
void GetPopupItemText(ControlRef thePopup, SInt16 theItem, Str255 theText);
void GetSelectedPopupTextFromID(WindowRef theWindow, OSType theSig, SInt16 theID, Str255 theText);
void GetIndexedPopupTextFromID(WindowRef theWindow, OSType theSig, SInt16 theID, SInt16 theIndex, Str255 theText);
SInt16 GetFontIDFromPopup(WindowRef theWindow, OSType theSig, SInt16 thePopup);
// The first item whose text equals theName exactly (case matters), or -1.
SInt16 GetMenuItemPosition(ControlRef theControl, ConstStr255Param theName);
SInt16 FindNameInPopupByID(WindowRef theWindow, OSType theSig, SInt16 theID, ConstStr255Param theName);

OSStatus InstallWindowEventHandler(WindowRef theWindow, EventHandlerUPP theHandler, UInt32 numTypes,
                                   const EventTypeSpec* typeList, void* userData, EventHandlerRef* handlerRef);
OSStatus InstallMenuEventHandler(MenuRef theMenu, EventHandlerUPP theHandler, UInt32 numTypes,
                                 const EventTypeSpec* typeList, void* userData, EventHandlerRef* handlerRef);
OSStatus InstallControlEventHandler(ControlRef theControl, EventHandlerUPP theHandler, UInt32 numTypes,
                                    const EventTypeSpec* typeList, void* userData, EventHandlerRef* handlerRef);
OSStatus InstallApplicationEventHandler(EventHandlerUPP theHandler, UInt32 numTypes, const EventTypeSpec* typeList,
                                        void* userData, EventHandlerRef* handlerRef);

WindowRef GetWindowFromEvent(EventRef theEvent);
Point GetMouseLocFromEvent(EventRef theEvent);
void GetWindowKeyboardDataFromEvent(EventRef theEvent, char* theKey, UInt32* theKeyCode, UInt32* theMods);

// The four bytes of the code, most significant first (always 4 characters,
// zero bytes included).
std::string CommandID2Str(UInt32 commandID);
