// Launch Services: opening documents with the desktop's default application.
#pragma once

#include "platform/corefoundation/cftypes.h"
#include "platform/macos/types.h"
#include "platform/macos/export.h"

VM_API_BEGIN

enum { kLSApplicationNotFoundErr = -10814, kLSUnknownErr = -10810 };

// A file reference: the file's absolute path, zero-terminated UTF-8.
struct FSRef {
  char path[1024];
};

// True when the URL is a file URL of an existing file whose path fits.
Boolean CFURLGetFSRef(CFURLRef url, FSRef* outRef);
// Asks the desktop (QDesktopServices) to open the file. fnfErr when the file
// does not exist, kLSUnknownErr when no GUI application can be made (no
// display), kLSApplicationNotFoundErr when nothing opened it.
// outLaunchedRef is not filled.
OSStatus LSOpenFSRef(const FSRef* ref, FSRef* outLaunchedRef);

VM_API_END
