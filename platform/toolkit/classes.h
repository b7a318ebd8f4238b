// Custom control classes registered by identifier. A .ui file places one
// with a widget of class "CustomControl" whose dynamic property
// "controlClass" names the identifier. Each instance receives the events its
// class registered, on its own event target: Draw, HitTest (set the
// "cprt" part parameter), Hit, Activate, OwningWindowChanged and Track.
#pragma once

#include "platform/corefoundation/cftypes.h"
#include "platform/toolkit/events.h"

enum { hiObjectClassExistsErr = -22080, hiObjectClassHasInstancesErr = -22082 };

// `baseClass` must be nullptr. The class's handler gets `userData`.
OSStatus RegisterToolboxObjectClass(CFStringRef classID, ToolboxObjectClassRef baseClass, UInt32 numEvents,
                                    const EventTypeSpec* events, EventHandlerUPP handler, void* userData,
                                    ToolboxObjectClassRef* outClassRef);
// Fails with hiObjectClassHasInstancesErr while a window still shows an
// instance.
OSStatus UnregisterToolboxObjectClass(ToolboxObjectClassRef classRef);
