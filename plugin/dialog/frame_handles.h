// The frame editor's geometry and drawing (dlgUtils): the preview with the
// effect's rectangle and its corner handles, which handle a point hits, and
// the rectangles that dragging the frame or a handle produces. Rectangles and
// points are in the window's coordinates. Main thread only.
#pragma once

#include <cstdint>

#include "platform/toolkit/toolkit.h"
#include "plugin/render/relrects.h"

// Hit codes of IsHandleHit.
enum : int16_t {
  kHandleNone = 0,
  kHandleTopLeft = 1,
  kHandleTopRight = 2,
  kHandleBottomLeft = 3,
  kHandleBottomRight = 4,
  kHandleInside = 5
};

// The 12 x 12 box of the handle centred on (h, v).
Rect HandleBox(int16_t h, int16_t v);
// 1 to 4 for a corner handle (earlier corners win where boxes overlap), 5
// inside the frame, 0 elsewhere.
int16_t IsHandleHit(const Rect& theRect, Point theLoc);
// Three concentric rings (black, white, black) on each corner, into the
// current port.
void DrawHandles(const Rect& theRect);
// The rendered preview (gConfigWorkSpace.theFXClip) scaled into destRect of
// the window's port, the frame in frameStartColor with its handles, and a
// black border around destRect. The current port is restored.
void DrawFrameContents(WindowPtr theWindow, const Rect& destRect);
// Moves theRect by the mouse's movement; its size never changes.
void DragRect(Rect& theRect, Point oldLoc, Point newLoc);
// The frame that dragging handle theHandle from oldLoc to newLoc makes of
// theRect: optionMask keeps the centre, shiftMask the proportions of origRel
// in theFrame (the frame at mouse-down), keepProps those of the preview.
void DragCorner(int16_t theHandle, Rect& theRect, Point oldLoc, Point newLoc, UInt32 modifiers, const Rect& theFrame,
                const relRect& origRel);
// With keepProps on, gives theRect the proportions of the preview control.
void KeepImageProps(Rect& theRect);
// KeepImageProps on the configuration's current rectangle, stored back.
void CalcAndKeepImageProps();
