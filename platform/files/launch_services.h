// Launch Services over the desktop: item information from the file system,
// opening documents with QDesktopServices or a chosen program.
#pragma once

#include "platform/files/apple_events.h"
#include "platform/toolkit/launch.h"
#include "platform/macos/export.h"

VM_API_BEGIN

typedef UInt32 LSRequestedInfo;
typedef UInt32 LSItemInfoFlags;
typedef UInt32 LSLaunchFlags;

enum : LSRequestedInfo {
  kLSRequestExtension = 1,
  kLSRequestTypeCreator = 2,
  kLSRequestBasicFlagsOnly = 4,
  kLSRequestAllInfo = 0xFFFFFFFFu
};
enum : LSItemInfoFlags {
  kLSItemInfoIsPlainFile = 1,
  kLSItemInfoIsPackage = 2,
  kLSItemInfoIsApplication = 4,
  kLSItemInfoIsContainer = 8,
  kLSItemInfoIsSymlink = 32,
  kLSItemInfoIsInvisible = 64
};
enum : LSLaunchFlags { kLSLaunchDefaults = 1 };

struct LSItemInfoRecord {
  LSItemInfoFlags flags;
  OSType filetype;
  OSType creator;
  CFStringRef extension;  // new string the caller releases; nullptr without one
};

// Fills the requested fields (the others are zero). The extension is the
// text after the leaf name's last "." (none for ".name" or "name."); folders
// are containers, a folder named *.bundle or *.app also a package,
// executables applications. fnfErr when the item does not exist.
OSStatus LSCopyItemInfoForRef(const FSRef* inItemRef, LSRequestedInfo inWhichInfo, LSItemInfoRecord* outItemInfo);

// Opens a file URL with the desktop's default application (as LSOpenFSRef);
// fnfErr when the URL's file does not exist. outLaunchedURL is not filled.
OSStatus LSOpenCFURLRef(CFURLRef inURL, CFURLRef* outLaunchedURL);

struct LSLaunchFSRefSpec {
  const FSRef* appRef;  // nullptr: each document's default application
  UInt32 numDocs;
  const FSRef* itemRefs;
  const AEDesc* passThruParams;
  LSLaunchFlags launchFlags;
  void* asyncRefCon;
};

// With appRef, starts that program (detached) with the documents' paths as
// arguments: kLSApplicationNotFoundErr when it is not an executable file or
// does not start. Without, opens each document as LSOpenFSRef does and
// returns the first failure. fnfErr when a document does not exist.
OSStatus LSOpenFromRefSpec(const LSLaunchFSRefSpec* inLaunchSpec, FSRef* outLaunchedRef);

VM_API_END
