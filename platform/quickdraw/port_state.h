// Internal to the QuickDraw stand-in: the current port and per-port defaults.
#pragma once

#include "platform/quickdraw/quickdraw.h"

namespace qd {

// Black pen on white, normal pen, clip to everything.
void initPortState(GrafPtr port);
// Called when a port goes away so the current port never dangles.
void forgetPort(GrafPtr port);
// The current port, or nullptr when none has been set.
GrafPtr currentPort();
// The rectangle drawing may touch in `port`: its bounds within its clip.
Rect drawableArea(GrafPtr port);

}  // namespace qd
