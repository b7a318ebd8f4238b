// Drawing a QuickDraw picture into an offscreen buffer.
#pragma once

#include "platform/pictures/pictures.h"

// Draws theP scaled into theRect of theGW, leaving the current port and
// device as they were. Nothing happens when theGW or theP is nullptr.
void DrawPictureInGW(GrafPtr theGW, PicHandle theP, const Rect& theRect);
