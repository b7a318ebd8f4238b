// The colour box control class (colorCTRL), "com.qzt.oxbowfx.color": shows
// the colour packed in its value (0x00RRGGBB) and opens the colour picker on
// a click. Registered only while the dialog runs.
#pragma once

#include <string_view>

#include "platform/toolkit/toolkit.h"

inline constexpr const char* cColorCTRLID = "com.qzt.oxbowfx.color";

void RegisterColorBox();
void UnregisterColorBox();
OSStatus ColorBoxControlHandler(EventHandlerCallRef myHandler, EventRef theEvent, void* userData);
// Paints theRect in theColor and outlines it in black, in the current port.
void ColorBoxDraw(const Rect& theRect, const RGBColor& theColor);
// True, with outColor set, when the user chose a colour; otherwise outColor
// is left alone.
bool UseColorPicker(Point where, std::string_view prompt, const RGBColor& inColor, RGBColor& outColor);
