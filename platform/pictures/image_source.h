// Core Graphics image sources over QImageReader: the images of one file
// (several for an animated GIF or a multi-page TIFF).
#pragma once

#include "platform/bundles/cfurl.h"
#include "platform/coregraphics/cgimage.h"
#include "platform/macos/export.h"

VM_API_BEGIN

typedef struct CGImageSource* CGImageSourceRef;
typedef const void* CGImageSourceOptions;  // no options are read

// A source for the file a file URL names; nullptr when the file cannot be
// opened. A file no decoder knows gives a source of no images. The caller
// releases it with CFRelease.
CGImageSourceRef CGImageSourceCreateWithURL(CFURLRef url, CGImageSourceOptions options);
size_t CGImageSourceGetCount(CGImageSourceRef isrc);
// A new image the caller releases with CGImageRelease; nullptr for an index
// beyond the count or when decoding fails.
CGImageRef CGImageSourceCreateImageAtIndex(CGImageSourceRef isrc, size_t index, CGImageSourceOptions options);

VM_API_END
