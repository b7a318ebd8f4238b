// The dialog's parameter sliders, the frame scrubber and the live preview
// (sliderHandlers). The preview is rendered from gConfigWorkSpace.sourceClip
// into theFXClip with the configuration being edited, then shown by the
// preview control. Main thread only.
#pragma once

#include <cstdint>

#include "platform/toolkit/toolkit.h"

// Binds "Sldr" 1 to 6 and the scrubber "ClpS" 1 to the workspace; slider 1
// and the scrubber get their live actions, sliders 2 to 6 are hidden.
void SetupSliders(WindowPtr theWindow);

// Live actions: write the slider's value into theConfig.sliders[n], show it
// as "<value>%" in "Lgnd" n and refresh the preview.
void Slider1Action(ControlRef theControl, ControlPartCode thePart);
void Slider2Action(ControlRef theControl, ControlPartCode thePart);
void Slider3Action(ControlRef theControl, ControlPartCode thePart);
void Slider4Action(ControlRef theControl, ControlPartCode thePart);
void Slider5Action(ControlRef theControl, ControlPartCode thePart);
void Slider6Action(ControlRef theControl, ControlPartCode thePart);
// Makes the scrubber's position current and shows that frame.
void ClipSliderAction(ControlRef theControl, ControlPartCode thePart);

// Re-renders the preview buffer and redraws the preview control.
void RerenderAndBlit();
// Fetches scrubber position theVal from the host into sourceClip, then
// RerenderAndBlit. A frame the host cannot deliver leaves the last one.
void AccessRenderAndBlit(int32_t theVal);

// "<position>/<maxFrameIndex>" into "ClpM" 1.
void SetClipPositionText(WindowPtr theWindow, int32_t thePosition);
// "<value>%" into "Lgnd" theSlider.
void SetSliderLegend(WindowPtr theWindow, int16_t theSlider, int32_t theValue);
