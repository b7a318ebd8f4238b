// Core Foundation file URLs: an absolute file system path, reference counted.
#pragma once

#include <string>

#include "platform/strings/cfstring.h"
#include "platform/macos/export.h"

VM_API_BEGIN

typedef enum { kCFURLPOSIXPathStyle = 0 } CFURLPathStyle;

// A file URL for an absolute path (trailing slashes dropped). nullptr for a
// null or relative path. The caller releases it with CFRelease.
CFURLRef CFURLCreateWithFileSystemPath(CFAllocatorRef alloc, CFStringRef filePath, CFURLPathStyle pathStyle,
                                       Boolean isDirectory);
// The path as a new string the caller releases; nullptr for a null url.
CFStringRef CFURLCopyFileSystemPath(CFURLRef url, CFURLPathStyle pathStyle);
// Writes the zero-terminated UTF-8 path into buffer (maxBufLen bytes); false
// when it does not fit.
Boolean CFURLGetFileSystemRepresentation(CFURLRef url, Boolean resolveAgainstBase, UInt8* buffer, CFIndex maxBufLen);
Boolean CFURLHasDirectoryPath(CFURLRef url);

// For our own code: a URL for an absolute UTF-8 path, and the path of a URL.
CFURLRef platformCreateURLForPath(const std::string& absolutePath, bool isDirectory);
std::string platformPathOfURL(CFURLRef url);

VM_API_END
