// Controls of nib windows, addressed by (signature, number). Each widget of
// a window's .ui file carries the dynamic properties "signature" (four
// characters), "controlID" (a number) and optionally "command" (the four
// characters of the command it sends).
//
// Values follow one rule per kind of widget: sliders and spin boxes report
// value, minimum and maximum; check boxes and radio buttons 0 or 1 (range 0
// to 1); popups (combo boxes) the 1-based selected item with the item count
// as maximum; custom controls keep whatever value they are given. Texts
// ("text" data) are Mac OS Roman bytes without length byte or terminator.
#pragma once

#include "platform/quickdraw/quickdraw.h"
#include "platform/toolkit/toolkit_types.h"
#include "platform/macos/export.h"

VM_API_BEGIN

enum {
  errUnknownControl = -30584,
  errDataNotSupported = -30583,
  errControlPropertyNotFound = -5603
};

enum : ControlPartCode {
  kControlNoPart = 0,
  kControlEntireControl = 0,
  kControlIndicatorPart = 129,
  kControlDisabledPart = 254,
  kControlInactivePart = 255
};

enum : ControlPartCode { kControlFocusNoPart = 0, kControlFocusNextPart = -1, kControlFocusPrevPart = -2 };

enum : UInt32 {
  kControlEditTextTextTag = VM_FOURCC('t', 'e', 'x', 't'),
  kControlStaticTextTextTag = VM_FOURCC('t', 'e', 'x', 't'),
  kControlEditTextSelectionTag = VM_FOURCC('s', 'e', 'l', 'e')
};

// The "sele" data: a selection from start to end (character offsets).
struct ControlEditTextSelectionRec {
  SInt16 selStart;
  SInt16 selEnd;
};

typedef void (*ControlActionProcPtr)(ControlRef theControl, ControlPartCode partCode);
typedef ControlActionProcPtr ControlActionUPP;
inline ControlActionUPP NewControlActionUPP(ControlActionProcPtr proc) { return proc; }
inline void DisposeControlActionUPP(ControlActionUPP) {}

OSStatus GetControlByID(WindowRef window, const ControlID* id, ControlRef* outControl);
WindowRef GetControlOwner(ControlRef control);
OSStatus GetControlCommandID(ControlRef control, UInt32* outCommandID);

SInt32 GetControl32BitValue(ControlRef control);
// Clamped to the control's range. A custom control is redrawn when its value
// changes.
void SetControl32BitValue(ControlRef control, SInt32 value);
SInt32 GetControl32BitMinimum(ControlRef control);
void SetControl32BitMinimum(ControlRef control, SInt32 minimum);
SInt32 GetControl32BitMaximum(ControlRef control);
void SetControl32BitMaximum(ControlRef control, SInt32 maximum);

// In the owning window's coordinates (its port's coordinates).
Rect* GetControlBounds(ControlRef control, Rect* outBounds);
OSStatus ShowControl(ControlRef control);
OSStatus HideControl(ControlRef control);
Boolean IsControlVisible(ControlRef control);
OSStatus EnableControl(ControlRef control);
OSStatus DisableControl(ControlRef control);
Boolean IsControlEnabled(ControlRef control);
// 0 normal, a part code while pressed, 254 when disabled.
ControlPartCode GetControlHilite(ControlRef control);
void HiliteControl(ControlRef control, ControlPartCode part);
// Redraws the control now: custom controls get a Draw event at once.
void Draw1Control(ControlRef control);

OSStatus SetControlData(ControlRef control, ControlPartCode part, UInt32 tag, Size size, const void* data);
// Copies at most bufferSize bytes; *outActualSize gets the full size.
OSStatus GetControlData(ControlRef control, ControlPartCode part, UInt32 tag, Size bufferSize, void* buffer,
                        Size* outActualSize);
OSStatus SetKeyboardFocus(WindowRef window, ControlRef control, ControlPartCode part);

// Runs while the user changes the control's value: at every step of a
// slider's thumb drag (value already updated) and at each step of a click in
// its track.
void SetControlAction(ControlRef control, ControlActionUPP action);

// Popups: the menu of a combo box control; items count from 1.
MenuRef GetControlPopupMenuHandle(ControlRef control);
UInt16 CountMenuItems(MenuRef menu);
// Item text as a length-prefixed Mac OS Roman string (empty when out of range).
void GetMenuItemText(MenuRef menu, MenuItemIndex item, Str255 outText);

VM_API_END
