#include "plugin/dialog/window_helpers.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/bundles/cfbundle.h"
#include "platform/corefoundation/cfbase.h"
#include "platform/quickdraw/regions.h"
#include "platform/quickdraw/text.h"
#include "plugin/common/alerts.h"
#include "plugin/common/string_conversions.h"
#include "plugin/core/plugin_defines.h"
#include "plugin/dialog/carbonmacros.h"
#include "plugin/render/offscreen_buffers.h"
#include "plugin/render/rect_geometry.h"

namespace {

using CFStringPtr = CFOwner<CFStringRef>;

CFStringPtr makeString(const char* text) {
  return CFStringPtr(CFStringCreateWithCString(kCFAllocatorDefault, text, kCFStringEncodingMacRoman));
}

std::string numberText(OSStatus code) {
  Str255 digits;
  Num2Text(code, digits);
  return std::string(reinterpret_cast<const char*>(digits + 1), digits[0]);
}

// A window that cannot be made ends the process with the error's low byte;
// a zero byte would read as success, so it becomes 1.
[[noreturn]] void stopWithCode(OSStatus code) {
  int status = code & 0xFF;
  if (status == 0) status = 1;
  std::fflush(nullptr);
  std::_Exit(status);
}

WindowPtr windowFromNib(IBNibRef nibRef, const char* theWindow) {
  CFStringPtr name = makeString(theWindow);
  WindowPtr window = nullptr;
  const OSStatus status = CreateWindowFromNib(nibRef, name.get(), &window);
  if (status != noErr) stopWithCode(status);
  DisposeNibReference(nibRef);
  return window;
}

}  // namespace

bool IsShiftDown() { return (GetCurrentKeyModifiers() & shiftMask) != 0; }
bool IsCtrlDown() { return (GetCurrentKeyModifiers() & ctrlMask) != 0; }
bool IsOptionDown() { return (GetCurrentKeyModifiers() & optionMask) != 0; }
bool IsCommandDown() { return (GetCurrentKeyModifiers() & cmdMask) != 0; }

void PostCommand(ConstStr255Param theCommand) {
  // The record lives on the stack: ProcessHICommand does not keep it.
  HICommand command{0, String2Command(theCommand), {nullptr, 0}};
  ProcessHICommand(&command);
}

WindowPtr OpenNibWindow(const char* theNib, const char* theWindow) {
  const std::string nibName = (theNib == nullptr || *theNib == '\0') ? "main" : theNib;
  CFStringPtr nib = makeString(nibName.c_str());
  IBNibRef nibRef = nullptr;
  const OSStatus status = CreateNibReference(nib.get(), &nibRef);
  if (status != noErr)
    Terminate("OpenNibWindow Failed", "Unable to CreateNibReference for \"" + nibName +
                                          "\" as it returned errcode #" + numberText(status) + ".");
  return windowFromNib(nibRef, theWindow);
}

WindowPtr OpenNibWindowFromCFBundle(const char* theIdentifier, const char* theNib, const char* theWindow) {
  const std::string identifier = theIdentifier == nullptr ? "" : theIdentifier;
  CFStringPtr theID = makeString(identifier.c_str());
  Assert(theID.get(), "Cannot allocate CFSTR for " + identifier);
  CFBundleRef theBundle = CFBundleGetBundleWithIdentifier(theID.get());
  Assert(theBundle, "Cannot allocate bundle for ID = " + identifier);
  CFRetain(theBundle);
  const std::string nibName = (theNib == nullptr || *theNib == '\0') ? cMyPluginName : theNib;
  CFStringPtr nib = makeString(nibName.c_str());
  IBNibRef nibRef = nullptr;
  const OSStatus status = CreateNibReferenceWithCFBundle(theBundle, nib.get(), &nibRef);
  if (status != noErr)
    Terminate("OpenNibWindow Failed", "Unable to CreateNibReferenceWithCFBundle for \"" + identifier + "/" +
                                          nibName + "\" as it returned errcode #" + numberText(status) + ".");
  WindowPtr window = windowFromNib(nibRef, theWindow);
  CFRelease(theBundle);
  return window;
}

void FlushWindowBuffer(WindowPtr theWindow) {
  CGrafPtr port = GetWindowPort(theWindow);
  const Rect bounds = GetPortRect(port);
  RgnHandle region = NewRgn();
  RectRgn(region, &bounds);
  QDFlushPortBuffer(port, region);
  DisposeRgn(region);
}

void MoveWindowToRightEdge(WindowPtr theWindow, const Rect& theBounds) {
  Rect structure{0, 0, 0, 0};
  GetWindowBounds(theWindow, kWindowStructureRgn, &structure);
  const short dx = static_cast<short>(theBounds.right - structure.right);
  OffsetRect(&structure, dx, 0);
  SetWindowBounds(theWindow, kWindowStructureRgn, &structure);
}

Point JustifiedTextOrigin(const Rect& theBox, SInt16 theJustification, double theTextHeight, SInt16 textWidth) {
  int32_t wid, hig;
  GetDims(theBox, wid, hig);
  const int32_t theSize = static_cast<int32_t>(theTextHeight);
  int32_t x;
  switch (theJustification) {
    case 2: x = theBox.left + wid / 2 - textWidth / 2; break;
    case 3: x = theBox.right - 1 - textWidth; break;
    default: x = theBox.left + 1; break;
  }
  const int32_t y = theBox.bottom - hig / 2 + theSize / 2 - static_cast<int32_t>(theTextHeight * 0.2);
  return Point{static_cast<int16_t>(y), static_cast<int16_t>(x)};
}

Rect JustifiedTextRect(const Rect& theBox, SInt16 theJustification, SInt16 textWidth) {
  int32_t wid, hig;
  GetDims(theBox, wid, hig);
  Rect box = theBox;
  switch (theJustification) {
    case 1: box.right = static_cast<int16_t>(box.left + 2 + textWidth); break;
    case 2:
      box.left = static_cast<int16_t>(box.left + wid / 2 - textWidth / 2 - 1);
      box.right = static_cast<int16_t>(box.left + 2 + textWidth);
      break;
    case 3: box.left = static_cast<int16_t>(box.right - 2 - textWidth); break;
    default: break;
  }
  return box;
}

void DrawJustifiedTextInBox(const Rect& theBox, SInt16 theJustification, double theTextHeight,
                            ConstStr255Param theText) {
  const Point pen = JustifiedTextOrigin(theBox, theJustification, theTextHeight, StringWidth(theText));
  MoveTo(pen.h, pen.v);
  DrawString(theText);
}

void PaintJustifiedRect(const Rect& theBox, SInt16 theJustification, ConstStr255Param theText) {
  const Rect box = JustifiedTextRect(theBox, theJustification, StringWidth(theText));
  PaintRect(&box);
}
