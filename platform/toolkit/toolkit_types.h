// Opaque references of the window toolkit stand-in and the small records its
// calls share.
#pragma once

#include "platform/macos/types.h"
#include "platform/macos/export.h"

VM_API_BEGIN

typedef struct OpaqueWindowPtr* WindowRef;
typedef WindowRef WindowPtr;
typedef struct OpaqueControlRef* ControlRef;
typedef struct OpaqueMenuRef* MenuRef;
typedef struct OpaqueEventRef* EventRef;
typedef struct OpaqueEventHandlerRef* EventHandlerRef;
typedef struct OpaqueEventHandlerCallRef* EventHandlerCallRef;
typedef struct OpaqueEventTargetRef* EventTargetRef;
typedef struct OpaqueIBNibRef* IBNibRef;
typedef struct OpaqueToolboxObjectClassRef* ToolboxObjectClassRef;

typedef SInt16 ControlPartCode;
typedef UInt16 MenuItemIndex;
typedef UInt32 MenuCommand;
typedef UInt32 WindowRegionCode;
typedef UInt32 EventParamName;
typedef UInt32 EventParamType;
typedef unsigned long ByteCount;
typedef UInt16 MouseTrackingResult;

struct ControlID {
  OSType signature;
  SInt32 id;
};

// A command as controls and menus send it; commandID is a four-character code.
struct HICommand {
  UInt32 attributes;
  UInt32 commandID;
  struct {
    MenuRef menuRef;
    MenuItemIndex menuItemIndex;
  } menu;
};

VM_API_END
