// Making, clearing, copying and cloning 32-bit offscreen buffers. Buffers made
// here have bounds starting at (0, 0), are locked for life and belong to the
// caller, who disposes of them with DisposeGWorld.
#pragma once

#include <cstdint>

#include "platform/quickdraw/quickdraw.h"

Rect GetPortRect(GrafPtr thePort);
Rect CarbonGetPortBounds(GrafPtr port);
// A copy of the port's pixel-map header.
BitMap CarbonGetPortBitMapForCopyBits(GrafPtr port);
// Locks the buffer's pixels; nullptr is ignored.
void LockGWorld(GrafPtr theGW);
// A locked buffer with bounds (0, 0, hig, wid), or nullptr when memory ran out.
GrafPtr AllocateGWorld(int16_t wid, int16_t hig);
// A locked buffer the size of theRect, with bounds moved to (0, 0).
GrafPtr AllocateRectGWorld(const Rect& theRect);
// Copies the whole source into theRect of theDest, scaling to fit. Leaves
// the current port's colours black on white.
void DrawGWinGW(GrafPtr theSource, GrafPtr theDest, const Rect& theRect);
// Paints the whole buffer in theColor.
void ClearGW(GrafPtr theGW, const RGBColor& theColor);
// Copies the whole source onto the whole target, scaling to the target size.
void Source2Target(GrafPtr theSource, GrafPtr theTarget);
// A new buffer with the same bounds and pixels, or nullptr.
GrafPtr MakeGWorldClone(GrafPtr theGW);
