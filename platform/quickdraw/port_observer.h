// Drawing that bypasses QuickDraw's own calls (a Core Graphics context over a
// port) announces that a port's pixels changed. The window toolkit, when it
// is loaded, listens so that a window's port shows its new pixels.
#pragma once

#include "platform/quickdraw/quickdraw.h"
#include "platform/macos/export.h"

VM_API_BEGIN

using PortChangedObserver = void (*)(GrafPtr port);

// Installs the one observer; nullptr removes it.
void QDSetPortChangedObserver(PortChangedObserver observer);
// Tells the observer, if there is one, that the pixels of `port` changed.
void QDPortChanged(GrafPtr port);

VM_API_END
