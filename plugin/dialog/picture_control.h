// The picture box control class (pictCTRL), "com.qzt.oxbowfx.imageCTRL":
// shows a Core Graphics image scaled to fit, centred, with a black outline.
// Registered only while the dialog runs.
#pragma once

#include "platform/coregraphics/cgimage.h"
#include "platform/toolkit/toolkit.h"

inline constexpr const char* cImageCTRLID = "com.qzt.oxbowfx.imageCTRL";

void RegisterPictureControl();
// Also forgets every image reference set with SetPictureControlImage.
void UnregisterPictureControl();
OSStatus PictureControlHandler(EventHandlerCallRef myHandler, EventRef theEvent, void* userData);
// Image references are wider than control values, so they are kept beside
// the control; nullptr for none. The control neither retains nor releases
// the image: the caller keeps it alive while it shows. Redraws the control.
void SetPictureControlImage(ControlRef theControl, CGImageRef theImage);
CGImageRef GetPictureControlImage(ControlRef theControl);
