// Core Foundation URLs as text and from file references. Only file URLs
// exist here: "file://" followed by the percent-encoded absolute path, with
// a trailing "/" for folders.
#pragma once

#include "platform/bundles/cfurl.h"
#include "platform/toolkit/launch.h"
#include "platform/macos/export.h"

VM_API_BEGIN

// The URL's text, owned by the URL (valid while the URL lives); nullptr for
// a null URL.
CFStringRef CFURLGetString(CFURLRef anURL);
// A new URL the caller releases, or nullptr when the text is not an absolute
// file URL (another scheme, a relative reference, a host other than
// localhost). baseURL must be null.
CFURLRef CFURLCreateWithString(CFAllocatorRef allocator, CFStringRef URLString, CFURLRef baseURL);
// A new URL for the reference's path (a folder's ending in "/"); nullptr
// when nothing exists there.
CFURLRef CFURLCreateFromFSRef(CFAllocatorRef allocator, const FSRef* fsRef);

VM_API_END
