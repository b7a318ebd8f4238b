// Core Foundation bundles: a folder Name.bundle/ holding Contents/Info.plist,
// Contents/Linux/<executable>.so and Contents/Resources/.
#pragma once

#include "platform/bundles/cfurl.h"
#include "platform/macos/export.h"

VM_API_BEGIN

// A bundle for the folder at `bundleURL`; nullptr when it is not a folder.
// Creating a bundle for a folder that already has one returns that bundle,
// retained. The caller releases it with CFRelease.
CFBundleRef CFBundleCreate(CFAllocatorRef alloc, CFURLRef bundleURL);
// A bundle made in this process, or one whose executable is already loaded
// (an object loaded from */Name.bundle/Contents/Linux/), with that
// CFBundleIdentifier. Not retained: the bundle stays valid while the caller
// holds the bundle it created or, for a loaded one, for the whole process.
CFBundleRef CFBundleGetBundleWithIdentifier(CFStringRef bundleID);
// Info.plist's CFBundleIdentifier, owned by the bundle; nullptr when absent.
CFStringRef CFBundleGetIdentifier(CFBundleRef bundle);
// Any string value of Info.plist (CFBundleName, CFBundleShortVersionString,
// ...), owned by the bundle; nullptr when absent.
CFStringRef CFBundleGetValueForInfoDictionaryKey(CFBundleRef bundle, CFStringRef key);

// New URLs the caller releases.
CFURLRef CFBundleCopyBundleURL(CFBundleRef bundle);
CFURLRef CFBundleCopyResourcesDirectoryURL(CFBundleRef bundle);
// Contents/Resources[/subDirName]/name[.type] when it exists (file or
// folder), else nullptr. An empty or null type adds no extension.
CFURLRef CFBundleCopyResourceURL(CFBundleRef bundle, CFStringRef resourceName, CFStringRef resourceType,
                                 CFStringRef subDirName);

// Opens Contents/Resources/<executable>.rsrc read-only into the resource
// chain; its refNum, or -1.
short CFBundleOpenBundleResourceMap(CFBundleRef bundle);
void CFBundleCloseBundleResourceMap(CFBundleRef bundle, short refNum);

// Loads Contents/Linux/<executable>.so (RTLD_NOW | RTLD_LOCAL). The code
// stays loaded for the life of the process.
Boolean CFBundleLoadExecutable(CFBundleRef bundle);
Boolean CFBundleIsExecutableLoaded(CFBundleRef bundle);
// Loads the executable when needed; nullptr when it or the symbol is missing.
void* CFBundleGetFunctionPointerForName(CFBundleRef bundle, CFStringRef functionName);

VM_API_END
