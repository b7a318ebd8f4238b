// Custom control classes registered by identifier. A .ui file places one
// with a widget of class "CustomControl" whose dynamic property
// "controlClass" names the identifier. Each instance receives the events its
// class registered, on its own event target: OwningWindowChanged when the
// window is first shown, Draw whenever the control must show itself,
// Activate and Deactivate as the window gains and loses activation, and for
// a mouse press HitTest (the handler sets the "cprt" part parameter; part 0
// ends it), Track (the handler follows TrackMouseLocation to the release;
// unhandled, the toolkit does) and Hit (unhandled, the control's command is
// sent). HitTest and Track carry the window-relative "mloc" and the "kmod"
// modifiers of the press.
#pragma once

#include "platform/corefoundation/cftypes.h"
#include "platform/toolkit/events.h"
#include "platform/macos/export.h"

VM_API_BEGIN

enum { hiObjectClassExistsErr = -22080, hiObjectClassHasInstancesErr = -22082 };

// `baseClass` must be nullptr. The class's handler gets `userData`.
OSStatus RegisterToolboxObjectClass(CFStringRef classID, ToolboxObjectClassRef baseClass, UInt32 numEvents,
                                    const EventTypeSpec* events, EventHandlerUPP handler, void* userData,
                                    ToolboxObjectClassRef* outClassRef);
// Fails with hiObjectClassHasInstancesErr while a window still shows an
// instance.
OSStatus UnregisterToolboxObjectClass(ToolboxObjectClassRef classRef);

VM_API_END
