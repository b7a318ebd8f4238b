// Carbon events over Qt: typed event records with named parameters, handler
// chains on windows, controls and the application, commands, modifier keys
// and mouse tracking. Main thread only.
#pragma once

#include "platform/quickdraw/quickdraw.h"
#include "platform/toolkit/toolkit_types.h"
#include "platform/macos/export.h"

VM_API_BEGIN

enum {
  eventNotHandledErr = -9874,
  eventParameterNotFoundErr = -9870,
  eventInternalErr = -9868,
  errEventTypeMismatch = -9875  // parameter stored with another type
};

enum : UInt32 {
  kEventClassCommand = VM_FOURCC('c', 'm', 'd', 's'),
  kEventClassControl = VM_FOURCC('c', 'n', 't', 'l'),
  kEventClassWindow = VM_FOURCC('w', 'i', 'n', 'd'),
  kEventClassMouse = VM_FOURCC('m', 'o', 'u', 's'),
  kEventClassKeyboard = VM_FOURCC('k', 'e', 'y', 'b')
};

enum : UInt32 {
  kEventCommandProcess = 1,
  kEventControlHit = 1,
  kEventControlHitTest = 3,
  kEventControlDraw = 4,
  kEventControlActivate = 9,
  kEventControlDeactivate = 10,
  kEventControlTrack = 51,
  kEventControlOwningWindowChanged = 159
};

enum : UInt32 {
  kEventParamDirectObject = VM_FOURCC('-', '-', '-', '-'),
  kEventParamMouseLocation = VM_FOURCC('m', 'l', 'o', 'c'),
  kEventParamKeyModifiers = VM_FOURCC('k', 'm', 'o', 'd'),
  kEventParamControlPart = VM_FOURCC('c', 'p', 'r', 't'),
  kEventParamKeyMacCharCodes = VM_FOURCC('k', 'c', 'h', 'r'),
  kEventParamKeyCode = VM_FOURCC('k', 'c', 'o', 'd'),
  typeWildCard = VM_FOURCC('*', '*', '*', '*'),
  typeControlRef = VM_FOURCC('c', 't', 'r', 'l'),
  typeWindowRef = VM_FOURCC('w', 'i', 'n', 'd'),
  typeQDPoint = VM_FOURCC('Q', 'D', 'p', 't'),
  typeUInt32 = VM_FOURCC('m', 'a', 'g', 'n'),
  typeControlPartCode = VM_FOURCC('c', 'p', 'r', 't'),
  typeHICommand = VM_FOURCC('h', 'c', 'm', 'd'),
  typeChar = VM_FOURCC('T', 'E', 'X', 'T')
};

// HICommand attributes and the standard command codes.
enum : UInt32 {
  kHICommandFromMenu = 1,
  kHICommandFromControl = 2,
  kHICommandFromWindow = 4,
  kHICommandOK = VM_FOURCC('o', 'k', ' ', ' '),
  kHICommandCancel = VM_FOURCC('n', 'o', 't', '!')
};

// Key modifier masks, as GetCurrentKeyModifiers and the "kmod" parameter
// report them. Qt's keys map as: Ctrl is Command, Shift is Shift, Alt is
// Option, Meta is Control.
enum : UInt32 {
  cmdKey = 256,
  shiftKey = 512,
  alphaLock = 1024,
  optionKey = 2048,
  controlKey = 4096
};

enum : MouseTrackingResult {
  kMouseTrackingMouseDown = 1,
  kMouseTrackingMouseUp = 2,
  kMouseTrackingMouseExited = 3,
  kMouseTrackingMouseEntered = 4,
  kMouseTrackingMouseDragged = 5,
  kMouseTrackingMouseMoved = 8
};

struct EventTypeSpec {
  UInt32 eventClass;
  UInt32 eventKind;
};

typedef OSStatus (*EventHandlerProcPtr)(EventHandlerCallRef inHandlerCallRef, EventRef inEvent, void* inUserData);
typedef EventHandlerProcPtr EventHandlerUPP;

inline EventHandlerUPP NewEventHandlerUPP(EventHandlerProcPtr proc) { return proc; }
inline void DisposeEventHandlerUPP(EventHandlerUPP) {}

// Handlers run most recently installed first; one that returns
// eventNotHandledErr passes the event on to the next, then to the target's
// parent (control, window, application).
OSStatus InstallEventHandler(EventTargetRef target, EventHandlerUPP handler, UInt32 numTypes,
                             const EventTypeSpec* list, void* userData, EventHandlerRef* outRef);
OSStatus RemoveEventHandler(EventHandlerRef handler);
OSStatus CallNextEventHandler(EventHandlerCallRef callRef, EventRef event);

EventTargetRef GetWindowEventTarget(WindowRef window);
EventTargetRef GetControlEventTarget(ControlRef control);
EventTargetRef GetMenuEventTarget(MenuRef menu);
EventTargetRef GetApplicationEventTarget();

// Events made here are released with ReleaseEvent.
OSStatus CreateEvent(void* allocator, UInt32 eventClass, UInt32 kind, double when, UInt32 flags, EventRef* outEvent);
void ReleaseEvent(EventRef event);
UInt32 GetEventClass(EventRef event);
UInt32 GetEventKind(EventRef event);
OSStatus SendEventToEventTarget(EventRef event, EventTargetRef target);

// Copies at most bufferSize bytes of the parameter into outData and reports
// its full size. desiredType must be the stored type or typeWildCard.
OSStatus GetEventParameter(EventRef event, EventParamName name, EventParamType desiredType,
                           EventParamType* outActualType, ByteCount bufferSize, ByteCount* outActualSize,
                           void* outData);
OSStatus SetEventParameter(EventRef event, EventParamName name, EventParamType type, ByteCount size,
                           const void* data);

// Sends a command event to the front window (the modal one first), then the
// application.
OSStatus ProcessHICommand(const HICommand* command);

UInt32 GetCurrentKeyModifiers();

// Inside a control's Track handler: waits for the next mouse movement or the
// release of the button that started the track, and reports it in the
// port's (window's) coordinates. Without a track in progress it reports a
// release at once.
OSStatus TrackMouseLocation(GrafPtr inPort, Point* outPt, MouseTrackingResult* outResult);

VM_API_END
