#include "plugin/files/easyfile/file_conversions.h"

#include <cstring>

#include "platform/files/launch_services.h"
#include "plugin/common/string_conversions.h"

FSSpec FSRef2FSSpec(const FSRef& theFSRef) {
  FSSpec theSpec{};
  if (FSGetCatalogInfo(&theFSRef, kFSCatInfoNone, nullptr, nullptr, &theSpec, nullptr) != noErr) theSpec = FSSpec{};
  return theSpec;
}

void FSSpec2FSRef(const FSSpec& theFSSpec, FSRef& theFSRef) {
  FSRef made;
  if (FSpMakeFSRef(&theFSSpec, &made) == noErr) theFSRef = made;
}

CFStringRef FSSpec2CFString(const FSSpec& theFSSpec) {
  FSRef theRef{};
  FSSpec2FSRef(theFSSpec, theRef);
  return FSRef2CFString(theRef);
}

CFStringRef FSRef2CFString(const FSRef& theFSRef) {
  CFURLRef theURL = CFURLCreateFromFSRef(kCFAllocatorDefault, &theFSRef);
  if (theURL == nullptr) return nullptr;
  // The URL owns its text; the copy outlives it.
  CFStringRef theText = CFStringCreateCopy(kCFAllocatorDefault, CFURLGetString(theURL));
  CFRelease(theURL);
  return theText;
}

void FSRef2Str255(const FSRef& theFSRef, Str255 theString) {
  theString[0] = 0;
  CFStringRef theText = FSRef2CFString(theFSRef);
  if (theText == nullptr) return;
  CF2PString(theText, theString);
  CFRelease(theText);
}

void URL2Str255(CFURLRef theURL, Str255 theString) {
  theString[0] = 0;
  if (theURL == nullptr) return;
  CFStringRef theText = CFURLGetString(theURL);
  if (theText != nullptr) CF2PString(theText, theString);
}

CFURLRef PString2URL(ConstStr255Param theString) {
  CFStringRef theText = MakeCFString(theString);
  if (theText == nullptr) return nullptr;
  CFURLRef theURL = CFURLCreateWithString(kCFAllocatorDefault, theText, nullptr);
  CFRelease(theText);
  return theURL;
}

void GetNameFromFSRef(const FSRef& theFSRef, Str255 theName) {
  FSSpec theSpec = FSRef2FSSpec(theFSRef);
  std::memcpy(theName, theSpec.name, static_cast<size_t>(theSpec.name[0]) + 1);
}

bool IsFileAFolder(const FSRef& theFSRef) {
  LSItemInfoRecord theInfo;
  if (LSCopyItemInfoForRef(&theFSRef, kLSRequestBasicFlagsOnly, &theInfo) != noErr) return false;
  return (theInfo.flags & kLSItemInfoIsContainer) != 0;
}
