#include "platform/bundles/cfbundle.h"
#include "platform/files/launch_services.h"
#include "platform/files/main_bundle.h"
#include "platform/files/uttypes.h"
#include "plugin/common/string_conversions.h"
#include "plugin/files/easyfile/easy_file.h"
#include "plugin/files/easyfile/easy_file_internal.h"

CFURLRef CopyMainBundleResource(const char* theName, const char* theType, const char* thePath) {
  CFBundleRef theBundle = CFBundleGetMainBundle();
  if (theBundle == nullptr || theName == nullptr) return nullptr;
  auto makeText = [](const char* text) {
    return text == nullptr ? nullptr : CFStringCreateWithCString(kCFAllocatorDefault, text, kCFStringEncodingUTF8);
  };
  CFStringRef name = makeText(theName), type = makeText(theType), path = makeText(thePath);
  CFURLRef theURL = name == nullptr ? nullptr : CFBundleCopyResourceURL(theBundle, name, type, path);
  for (CFStringRef text : {name, type, path})
    if (text != nullptr) CFRelease(text);
  return theURL;
}

void LaunchFileFromBundle(const char* theName, const char* theExtension, const char* thePath) {
  CFURLRef theURL = CopyMainBundleResource(theName, theExtension, thePath);
  if (theURL == nullptr) return;
  LSOpenCFURLRef(theURL, nullptr);
  CFRelease(theURL);
}

OSStatus OpenDocumentInSpecificApp(const FSRef& theDocument, const FSRef* theApp) {
  if (theApp == nullptr) return LSOpenFSRef(&theDocument, nullptr);
  LSLaunchFSRefSpec theSpec{};
  theSpec.appRef = theApp;
  theSpec.numDocs = 1;
  theSpec.itemRefs = &theDocument;
  theSpec.passThruParams = nullptr;
  theSpec.launchFlags = kLSLaunchDefaults;
  theSpec.asyncRefCon = nullptr;
  return LSOpenFromRefSpec(&theSpec, nullptr);
}

bool FileConformsTo(const FSRef& theFile, ConstStr255Param theUTI) {
  CFStringRef theType = MakeCFString(theUTI);
  if (theType == nullptr) return false;
  LSItemInfoRecord theInfo;
  if (LSCopyItemInfoForRef(&theFile, kLSRequestExtension | kLSRequestTypeCreator, &theInfo) != noErr) {
    CFRelease(theType);
    return false;
  }
  CFStringRef theFileUTI = nullptr;
  if (theInfo.extension != nullptr) {
    theFileUTI = UTTypeCreatePreferredIdentifierForTag(kUTTagClassFilenameExtension, theInfo.extension, nullptr);
    CFRelease(theInfo.extension);
  } else {
    // The type code is looked up as if it were an extension, as the
    // original did; only the extension branch finds the table's types.
    CFStringRef theCode = UTCreateStringForOSType(theInfo.filetype);
    if (theCode != nullptr) {
      theFileUTI = UTTypeCreatePreferredIdentifierForTag(kUTTagClassFilenameExtension, theCode, nullptr);
      CFRelease(theCode);
    }
  }
  bool result = theFileUTI != nullptr && UTTypeConformsTo(theFileUTI, theType);
  if (theFileUTI != nullptr) CFRelease(theFileUTI);
  CFRelease(theType);
  return result;
}
