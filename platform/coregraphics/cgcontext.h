// Core Graphics drawing contexts over 32-bit premultiplied pixels (bytes
// alpha, red, green, blue in memory), composited with pixman.
//
// User space starts with its origin at the bottom left of the pixels, one
// unit per pixel, y growing upward. Drawing is clipped to the pixels (and to
// the port's clip rectangle for contexts opened on a QuickDraw port).
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/coregraphics/cgcolor.h"
#include "platform/coregraphics/cggeometry.h"
#include "platform/coregraphics/cgimage.h"
#include "platform/quickdraw/quickdraw.h"
#include "platform/macos/export.h"

VM_API_BEGIN

typedef struct CGContext* CGContextRef;
typedef uint32_t CGBitmapInfo;
typedef int32_t CGBlendMode;

enum {
  kCGImageAlphaPremultipliedFirst = 2,
  kCGImageAlphaNoneSkipFirst = 6,
  kCGBitmapAlphaInfoMask = 0x1F,
  kCGBitmapByteOrderDefault = 0,
  kCGBitmapByteOrder32Big = 4 << 12,
  kCGBitmapByteOrderMask = 0x7000
};

// The separable and non-separable blend modes of the PDF model, in Core
// Graphics numbering; other values draw as normal.
enum {
  kCGBlendModeNormal = 0,
  kCGBlendModeMultiply,
  kCGBlendModeScreen,
  kCGBlendModeOverlay,
  kCGBlendModeDarken,
  kCGBlendModeLighten,
  kCGBlendModeColorDodge,
  kCGBlendModeColorBurn,
  kCGBlendModeSoftLight,
  kCGBlendModeHardLight,
  kCGBlendModeDifference,
  kCGBlendModeExclusion,
  kCGBlendModeHue,
  kCGBlendModeSaturation,
  kCGBlendModeColor,
  kCGBlendModeLuminosity
};

// A context drawing into `data` (bytesPerRow apart, first row at the top).
// Only 8 bits per component with alpha first (premultiplied or skipped) in
// big-endian 32-bit order is supported; anything else gives nullptr. With
// `data` nullptr the context allocates zeroed pixels of its own. The caller
// releases the context; `data` must outlive it.
CGContextRef CGBitmapContextCreate(void* data, size_t width, size_t height, size_t bitsPerComponent,
                                   size_t bytesPerRow, CGColorSpaceRef space, CGBitmapInfo bitmapInfo);
// A new image holding the context's pixels as they are now; the caller owns it.
CGImageRef CGBitmapContextCreateImage(CGContextRef context);
size_t CGBitmapContextGetWidth(CGContextRef context);
size_t CGBitmapContextGetHeight(CGContextRef context);
void* CGBitmapContextGetData(CGContextRef context);

CGContextRef CGContextRetain(CGContextRef context);
void CGContextRelease(CGContextRef context);
void CGContextFlush(CGContextRef context);

void CGContextSaveGState(CGContextRef context);
void CGContextRestoreGState(CGContextRef context);
void CGContextTranslateCTM(CGContextRef context, CGFloat tx, CGFloat ty);
// Positive angles (radians) turn counter-clockwise in y-up space.
void CGContextRotateCTM(CGContextRef context, CGFloat angle);
void CGContextScaleCTM(CGContextRef context, CGFloat sx, CGFloat sy);
CGAffineTransform CGContextGetCTM(CGContextRef context);

void CGContextSetRGBFillColor(CGContextRef context, CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);
void CGContextSetFillColorWithColor(CGContextRef context, CGColorRef color);
// Global opacity of later drawing, clamped to 0..1.
void CGContextSetAlpha(CGContextRef context, CGFloat alpha);
void CGContextSetBlendMode(CGContextRef context, CGBlendMode mode);

// Sets the pixels of the rectangle to transparent black.
void CGContextClearRect(CGContextRef context, CGRect rect);
// Blends the fill colour over the rectangle.
void CGContextFillRect(CGContextRef context, CGRect rect);
// Draws the whole image scaled into `rect` with bilinear filtering; the
// image's top row lands at the rectangle's top (highest y).
void CGContextDrawImage(CGContextRef context, CGRect rect, CGImageRef image);

// Opens a context on a port's pixels, origin at the bottom left of the port's
// bounds. QDEndCGContext ends it, releases it and sets *context to nullptr,
// so a later CGContextRelease of that variable does nothing. A window's
// port is redisplayed when its context ends.
OSStatus QDBeginCGContext(CGrafPtr port, CGContextRef* context);
OSStatus QDEndCGContext(CGrafPtr port, CGContextRef* context);

VM_API_END
