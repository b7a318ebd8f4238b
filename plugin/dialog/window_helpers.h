// Window, keyboard and drawing helpers: nib windows, modifier keys,
// commands, justified text and window placement.
#pragma once

#include "platform/toolkit/toolkit.h"

bool IsShiftDown();
bool IsCtrlDown();
bool IsOptionDown();
bool IsCommandDown();

// Sends the command whose code is the first four characters of theCommand.
void PostCommand(ConstStr255Param theCommand);

// Opens window theWindow of nib theNib ("main" when empty) of the host
// application. A nib that cannot be found ends the process through
// Terminate; a window that cannot be made ends it at once with the low byte
// of the error code as exit status (1 when that byte is 0).
WindowPtr OpenNibWindow(const char* theNib, const char* theWindow);
// The same from the bundle with identifier theIdentifier, nib "velmorance"
// when theNib is empty. The window is hidden or shown as the nib says.
WindowPtr OpenNibWindowFromCFBundle(const char* theIdentifier, const char* theNib, const char* theWindow);

// Shows what has been drawn into the window's port.
void FlushWindowBuffer(WindowPtr theWindow);
// Moves the window horizontally so its frame's right edge is theBounds.right.
void MoveWindowToRightEdge(WindowPtr theWindow, const Rect& theBounds);

// Justification codes: 1 left, 2 centred, 3 right; others draw as left.
// The pen position DrawJustifiedTextInBox uses for a text textWidth pixels
// wide.
Point JustifiedTextOrigin(const Rect& theBox, SInt16 theJustification, double theTextHeight, SInt16 textWidth);
// The box PaintJustifiedRect paints: the text's extent with one pixel to
// spare on each side; theBox unchanged for unknown justifications.
Rect JustifiedTextRect(const Rect& theBox, SInt16 theJustification, SInt16 textWidth);
// Draw in the current port with its font, colours and pen.
void DrawJustifiedTextInBox(const Rect& theBox, SInt16 theJustification, double theTextHeight,
                            ConstStr255Param theText);
void PaintJustifiedRect(const Rect& theBox, SInt16 theJustification, ConstStr255Param theText);
