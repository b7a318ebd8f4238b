// Core Graphics images: immutable, reference-counted 32-bit pixels.
#pragma once

#include <cstddef>
#include <cstdint>
#include "platform/macos/export.h"

VM_API_BEGIN

typedef struct CGImage* CGImageRef;

// A new image holding a copy of `pixels` (premultiplied, bytes alpha, red,
// green, blue per pixel, rows `bytesPerRow` apart). The caller owns the
// returned reference (count 1) and releases it with CGImageRelease.
CGImageRef CGImageCreateWithARGB(size_t width, size_t height, const uint8_t* pixels, size_t bytesPerRow);
// A new reference to an image with the same pixels; nullptr for nullptr.
CGImageRef CGImageCreateCopy(CGImageRef image);
CGImageRef CGImageRetain(CGImageRef image);
void CGImageRelease(CGImageRef image);
size_t CGImageGetWidth(CGImageRef image);
size_t CGImageGetHeight(CGImageRef image);
size_t CGImageGetBytesPerRow(CGImageRef image);
// The image's pixels, laid out as for CGImageCreateWithARGB.
const uint8_t* CGImageGetARGBData(CGImageRef image);
// Images alive in this process; lets tests check ownership.
long CGImageLiveCount();

VM_API_END
