// Integer rectangle arithmetic for fitting images into frames.
#pragma once

#include <cstdint>

#include "platform/quickdraw/quickdraw.h"

// Width and height in 32 bits; an inverted rectangle gives negative values.
void GetDims(const Rect& theRect, int32_t& wid, int32_t& hig);
// inNewSize with the height that keeps inOriginal's aspect ratio (rounded
// half up); unchanged when inOriginal has no width.
Rect KeepPropsWithFixedHorizontal(const Rect& inOriginal, const Rect& inNewSize);
// inNewSize with the width that keeps inOriginal's aspect ratio; unchanged
// when inOriginal has no height.
Rect KeepPropsWithFixedVertical(const Rect& inOriginal, const Rect& inNewSize);
// The size, at (0, 0), at which an image of inRect's size shows in inFrame.
// The fixed side follows the orientations of frame and image.
Rect CalcProportionalRectForFrame(const Rect& inRect, const Rect& inFrame);
// Moves theRect so its centre lies on theBounds' centre; size kept.
void CenterRectInRect(Rect& theRect, const Rect& theBounds);
// Puts the corners in order.
void VerifyRect(Rect& theRect);
