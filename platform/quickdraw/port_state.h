// Internal to the QuickDraw stand-in: the current port and per-port defaults.
#pragma once

#include "platform/macos/export.h"
#include "platform/quickdraw/quickdraw.h"

namespace qd {

// Black pen on white, normal pen, clip to everything.
void initPortState(GrafPtr port);
// Called when a port goes away so the calling thread's current port never
// dangles.
void forgetPort(GrafPtr port);
VM_API_BEGIN  // also used by QuickDraw text, which lives in the toolkit library

// The calling thread's current port, or nullptr when none has been set.
GrafPtr currentPort();
// The rectangle drawing may touch in `port`: its bounds within its clip.
Rect drawableArea(GrafPtr port);

VM_API_END

}  // namespace qd
