// Core Foundation strings: immutable, reference-counted Unicode text with
// exact Mac OS Roman conversion both ways.
#pragma once

#include <string>

#include "platform/corefoundation/cfbase.h"
#include "platform/macos/types.h"
#include "platform/macos/export.h"

VM_API_BEGIN

typedef const void* CFAllocatorRef;
#define kCFAllocatorDefault nullptr

// Each returns a new string the caller releases with CFRelease, or nullptr
// when the bytes are not valid in the encoding.
CFStringRef CFStringCreateWithCString(CFAllocatorRef alloc, const char* cStr, CFStringEncoding encoding);
CFStringRef CFStringCreateWithPascalString(CFAllocatorRef alloc, ConstStr255Param pStr, CFStringEncoding encoding);
CFStringRef CFStringCreateWithBytes(CFAllocatorRef alloc, const UInt8* bytes, CFIndex numBytes,
                                    CFStringEncoding encoding, Boolean isExternalRepresentation);
CFStringRef CFStringCreateCopy(CFAllocatorRef alloc, CFStringRef str);

// A string that lives for the whole process, one per distinct literal text.
CFStringRef __CFStringMakeConstantString(const char* utf8);
#define CFSTR(text) __CFStringMakeConstantString("" text "")

// Length in UTF-16 code units, as Core Foundation counts.
CFIndex CFStringGetLength(CFStringRef str);
// Writes a length-prefixed string into buffer (bufferSize bytes including the
// length byte). False when it does not fit or a character has no form in the
// encoding.
Boolean CFStringGetPascalString(CFStringRef str, StringPtr buffer, CFIndex bufferSize, CFStringEncoding encoding);
// Writes a zero-terminated string; false when it does not fit or a character
// has no form in the encoding.
Boolean CFStringGetCString(CFStringRef str, char* buffer, CFIndex bufferSize, CFStringEncoding encoding);
Boolean CFStringCompareEqual(CFStringRef a, CFStringRef b);

// For our own code: the text as UTF-8.
std::string CFStringToUTF8(CFStringRef str);

VM_API_END
