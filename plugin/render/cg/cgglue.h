// The bridge between QuickDraw ports (origin top left, y downward) and Core
// Graphics contexts and images (origin bottom left, y upward).
#pragma once

#include <cstdint>

#include "platform/coregraphics/cgcolor.h"
#include "platform/coregraphics/cgcontext.h"
#include "platform/coregraphics/cgimage.h"
#include "platform/quickdraw/quickdraw.h"

// theRect of a port whose bounds are theFrame, in the port's context space.
CGRect QDRectToGCRect(const Rect& theRect, const Rect& theFrame);
// A crop rectangle in image coordinates (y downward); the image is not read.
CGRect QDCrop2CGCrop(const Rect& cropRect, CGImageRef theImage);

// Sets theRect of the buffer to transparent black.
void GWClearRect(GrafPtr theGW, const Rect& theRect);
// Blends theColor (high bytes of its channels) at alpha / 255 over theRect.
void GWPaintRectWithAlpha(GrafPtr theGW, const Rect& theRect, const RGBColor& theColor, uint8_t alpha);

// Draws the image scaled into targetRect, turned by theRadiants about the
// rectangle's centre (counter-clockwise, y-up space). With clearFirst the
// turned rectangle is cleared to transparent black first.
void DrawRotatedImageInCGRect(CGContextRef theContext, CGImageRef theImage, CGRect targetRect, float theRadiants,
                              bool clearFirst);
// The same into qdTargetRect of any port (a window's included); a nullptr
// image draws nothing.
void DrawCGImageInQDRect(GrafPtr theGW, CGImageRef theImage, const Rect& qdTargetRect, float theRadiants,
                         bool clearFirst);
// As DrawCGImageInQDRect with a global opacity (alpha >= 0; a negative alpha
// leaves it at 1) and a blend mode (0 normal).
void DrawCGImageInQDRectWithAlpha(GrafPtr theGW, CGImageRef theImage, const Rect& qdTargetRect, float theRadiants,
                                  bool clearFirst, double alpha, int16_t blendMode);

// The image's size fitted to theFrame with its proportions kept, at (0, 0);
// the empty rectangle for a nullptr image.
Rect CalcProportionalImageForFrame(CGImageRef theImage, const Rect& theFrame);

// A new colour the caller releases with CGColorRelease.
CGColorRef RGBColor2CGColorRef(const RGBColor& theColor, int16_t alpha, CGColorSpaceRef theColorSpace);

// A snapshot of the buffer's pixels as an image the caller releases; later
// drawing into the buffer does not change it.
CGImageRef GWorld2CGImage(GrafPtr theGW);
void GetImageDims(CGImageRef theImage, int32_t& wid, int32_t& hig);
// (0, 0, height, width), or the empty rectangle for a nullptr image.
Rect GetImageRect(CGImageRef theImage);
