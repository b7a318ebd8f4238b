// QuickDraw regions, kept as their bounding rectangle: enough for the
// rectangular regions the toolkit's flushing and clipping calls take.
#pragma once

#include "platform/quickdraw/quickdraw.h"
#include "platform/macos/export.h"

VM_API_BEGIN

// A new empty region; the caller disposes of it with DisposeRgn.
RgnHandle NewRgn();
void DisposeRgn(RgnHandle region);
void RectRgn(RgnHandle region, const Rect* r);
void SetRectRgn(RgnHandle region, short left, short top, short right, short bottom);
// The region's bounding rectangle.
Rect* GetRegionBounds(RgnHandle region, Rect* bounds);

VM_API_END
