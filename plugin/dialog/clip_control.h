// The preview and frame editor control class (clipCTRL),
// "com.qzt.oxbowfx.clip": draws the rendered preview with the frame and its
// handles, and lets the user drag the frame or a handle with the preview
// re-rendered at every step. Registered only while the dialog runs.
#pragma once

#include "platform/toolkit/toolkit.h"

inline constexpr const char* cClipCTRLID = "com.qzt.oxbowfx.clip";

void RegisterClipCtrl();
void UnregisterClipCtrl();
// Draw, HitTest (the part is IsHandleHit's code), Hit, Activate,
// OwningWindowChanged and Track of an instance.
OSStatus ClipCtrlControlHandler(EventHandlerCallRef myHandler, EventRef theEvent, void* userData);
