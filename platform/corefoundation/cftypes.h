// Opaque reference types of the Core Foundation stand-ins. The strings
// (platform/strings) and bundles (platform/bundles) define the records.
#pragma once
#include "platform/macos/export.h"

VM_API_BEGIN

typedef const struct __CFString* CFStringRef;
typedef struct __CFString* CFMutableStringRef;
typedef struct __CFBundle* CFBundleRef;
typedef const struct __CFURL* CFURLRef;
typedef const void* CFTypeRef;
typedef long CFIndex;
typedef unsigned int CFStringEncoding;

enum { kCFStringEncodingMacRoman = 0, kCFStringEncodingUTF8 = 0x08000100 };

VM_API_END
