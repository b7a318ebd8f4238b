// Shared by the EasyFile sources.
#pragma once

#include "platform/bundles/cfurl.h"

// A new URL of Contents/Resources[/thePath]/theName[.theType] in the host
// application's main bundle (zero-terminated UTF-8 texts), or nullptr when
// it does not exist. The caller releases it.
CFURLRef CopyMainBundleResource(const char* theName, const char* theType, const char* thePath);
