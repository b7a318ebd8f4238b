// Nib windows over Qt widgets. A nib is a folder NAME.nib holding one Qt
// Designer .ui file per window, named after the window. Each window owns a
// 32-bit offscreen buffer as its port, the size of its content area; custom
// controls show the port's pixels within their bounds.
//
// The first window made creates a QApplication when the process has none.
// Main thread only.
#pragma once

#include "platform/corefoundation/cftypes.h"
#include "platform/quickdraw/quickdraw.h"
#include "platform/toolkit/toolkit_types.h"
#include "platform/macos/export.h"

VM_API_BEGIN

enum {
  kIBCarbonRuntimeCantFindNibFile = -10960,
  kIBCarbonRuntimeObjectNotOfRequestedType = -10961,
  kIBCarbonRuntimeCantFindObject = -10962,
  // A window of the nib names a custom control class that is not registered.
  kToolkitUnregisteredClassErr = -10963,
  // No GUI application object can be made (another kind already exists).
  kToolkitNoApplicationErr = -10964
};

enum : WindowRegionCode { kWindowStructureRgn = 32, kWindowContentRgn = 33 };

// Looks for "NAME.nib" in the bundle's resources. kIBCarbonRuntimeCantFindNibFile
// when there is none. The caller disposes of the reference.
OSStatus CreateNibReferenceWithCFBundle(CFBundleRef bundle, CFStringRef nibName, IBNibRef* outNibRef);
// The same in the host application's folder (the folder of its executable).
OSStatus CreateNibReference(CFStringRef nibName, IBNibRef* outNibRef);
// Loads "NAME.ui" of the nib as a new hidden window (unless the .ui says
// visible). kIBCarbonRuntimeCantFindObject when the file is missing,
// kIBCarbonRuntimeObjectNotOfRequestedType when it is not a readable window,
// kToolkitUnregisteredClassErr (with a message on standard error naming the
// class) when it uses an unregistered custom control class.
OSStatus CreateWindowFromNib(IBNibRef nibRef, CFStringRef windowName, WindowRef* outWindow);
void DisposeNibReference(IBNibRef nibRef);

void ShowWindow(WindowRef window);
void HideWindow(WindowRef window);
Boolean IsWindowVisible(WindowRef window);
void BringToFront(WindowRef window);
// Closes the window, removes its handlers and frees its port (the current
// port is forgotten if it was this one).
void DisposeWindow(WindowRef window);
CGrafPtr GetWindowPort(WindowRef window);
void SetPortWindowPort(WindowRef window);
// The window whose port this is, or nullptr.
WindowRef GetWindowFromPort(CGrafPtr port);
OSStatus GetWindowBounds(WindowRef window, WindowRegionCode region, Rect* outBounds);
OSStatus SetWindowBounds(WindowRef window, WindowRegionCode region, const Rect* bounds);

// Runs a nested application-modal event loop until QuitAppModalLoopForWindow
// is called for the window. Closing the window or pressing Escape sends the
// command "not!" to it instead of hiding it.
OSStatus RunAppModalLoopForWindow(WindowRef window);
OSStatus QuitAppModalLoopForWindow(WindowRef window);

// Makes the window's custom controls show the port's current pixels.
OSStatus QDFlushPortBuffer(CGrafPtr port, RgnHandle region);

VM_API_END
