#include <cstring>

#include "platform/pictures/graphics_importer.h"
#include "platform/pictures/image_source.h"
#include "plugin/common/alerts.h"
#include "plugin/files/easyfile/file_conversions.h"
#include "plugin/files/easyfile/easy_file.h"
#include "plugin/files/easyfile/easy_file_internal.h"
#include "plugin/render/cg/cgglue.h"
#include "plugin/render/offscreen_buffers.h"
#include "plugin/render/picture_drawing.h"
#include "platform/quickdraw/quickdraw_owners.h"

namespace {

const RGBColor kWhite = {65535, 65535, 65535};

void SetDummyName(Str255 theName) { std::memcpy(theName, "\5Dummy", 6); }

// theName := "Dummy", then the FSSpec's name when it has one (a
// reference that names no file gives an empty FSSpec).
void SetNameFromSpec(const FSSpec& theFSS, Str255 theName) {
  SetDummyName(theName);
  if (theFSS.name[0] > 0) std::memcpy(theName, theFSS.name, static_cast<size_t>(theFSS.name[0]) + 1);
}

// The graphics importer's picture of the file. The importer is closed on
// every path, a failed conversion included.
PicHandle ReadPictureUsingQT(const FSSpec& theFSS) {
  GraphicsImportComponent theImporter = nullptr;
  if (GetGraphicsImporterForFile(&theFSS, &theImporter) != noErr) return nullptr;
  PicHandle thePicture = nullptr;
  if (GraphicsImportGetAsPicture(theImporter, &thePicture) != noErr) thePicture = nullptr;
  CloseComponent(theImporter);
  return thePicture;
}

}  // namespace

PicHandle LoadPictureFile(Str255 theName) {
  SetDummyName(theName);
  FSSpec theSpec;
  if (!EasyNavGetFile(reinterpret_cast<ConstStr255Param>("\16Choose Picture"), cAnyFileType, cAnyFileType, false,
                      theSpec))
    return nullptr;
  std::memcpy(theName, theSpec.name, static_cast<size_t>(theSpec.name[0]) + 1);
  return ReadPictureUsingQT(theSpec);
}

PicHandle ReadPictureFromFSS(const FSSpec& theFSS, Str255 theName) {
  SetNameFromSpec(theFSS, theName);
  return ReadPictureUsingQT(theFSS);
}

PicHandle ReadPictureFromFSRefUsingQT(const FSRef& theFSRef, Str255 theName) {
  FSSpec theSpec = FSRef2FSSpec(theFSRef);
  SetNameFromSpec(theSpec, theName);
  return ReadPictureUsingQT(theSpec);
}

PicHandle ReadPictureFromFSRef(const FSRef& theFSRef, Str255 theName) {
  return ReadPictureFromFSRefUsingQT(theFSRef, theName);
}

PicHandle LoadPictureFromBundle(const char* theName, const char* theType) {
  CFURLRef theURL = CopyMainBundleResource(theName, theType, nullptr);
  if (theURL == nullptr) return nullptr;
  FSRef theRef;
  Str255 theFileName;
  PicHandle thePicture = CFURLGetFSRef(theURL, &theRef) ? ReadPictureFromFSRef(theRef, theFileName) : nullptr;
  CFRelease(theURL);
  return thePicture;
}

CGImageRef GetCGImageFromFSS(const FSSpec& theFSS) {
  GraphicsImportComponent theImporter = nullptr;
  if (GetGraphicsImporterForFile(&theFSS, &theImporter) != noErr) return nullptr;
  CGImageRef theImage = nullptr;
  if (GraphicsImportCreateCGImage(theImporter, &theImage, kGraphicsImportCreateCGImageUsingCurrentSettings) != noErr)
    theImage = nullptr;
  CloseComponent(theImporter);
  return theImage;
}

CGImageRef GetCGImageFromURLUsingQT(CFURLRef theFile) {
  FSRef theRef;
  if (!CFURLGetFSRef(theFile, &theRef)) return nullptr;
  return GetCGImageFromFSS(FSRef2FSSpec(theRef));
}

CGImageRef GetCGImageFromURLUsingCG(CFURLRef theURL) {
  CGImageSourceRef theSource = CGImageSourceCreateWithURL(theURL, nullptr);
  if (theSource == nullptr) return nullptr;
  CGImageRef theImage = CGImageSourceGetCount(theSource) > 0 ? CGImageSourceCreateImageAtIndex(theSource, 0, nullptr)
                                                             : nullptr;
  CFRelease(theSource);
  return theImage;
}

CGImageRef GetCGImageFromFSRefUsingCG(const FSRef& theFSRef) {
  CFURLRef theURL = CFURLCreateFromFSRef(kCFAllocatorDefault, &theFSRef);
  if (theURL == nullptr) return nullptr;
  CGImageRef theImage = GetCGImageFromURLUsingCG(theURL);
  CFRelease(theURL);
  return theImage;
}

CGImageRef GetCGImageFromFSSUsingCG(const FSSpec& theFSS) {
  FSRef theRef{};
  FSSpec2FSRef(theFSS, theRef);
  return GetCGImageFromFSRefUsingCG(theRef);
}

CGImageRef GetCGImageFromBundle(const char* theName, const char* theExtension, const char* thePath) {
  CFURLRef theURL = CopyMainBundleResource(theName, theExtension, thePath);
  if (theURL == nullptr) return nullptr;
  FSRef theRef;
  CGImageRef theImage = CFURLGetFSRef(theURL, &theRef) ? GetCGImageFromFSRefUsingCG(theRef) : nullptr;
  CFRelease(theURL);
  return theImage;
}

GrafPtr GetScaledGWImageFromFSRef(const FSRef& theFSRef, int16_t widScale, int16_t higScale) {
  if (widScale < 1 || higScale < 1) return nullptr;
  Str255 theName;
  PicHandle thePicture = ReadPictureFromFSRef(theFSRef, theName);
  if (thePicture == nullptr) return nullptr;
  Rect theFrame = (*thePicture)->picFrame;
  OffsetRect(&theFrame, static_cast<short>(-theFrame.left), static_cast<short>(-theFrame.top));
  const int16_t wid = static_cast<int16_t>((theFrame.right - theFrame.left) / widScale);
  const int16_t hig = static_cast<int16_t>((theFrame.bottom - theFrame.top) / higScale);
  // A picture smaller than the scale has no pixels left; that is a bad
  // file for the caller, not a reason to stop the host.
  if (wid < 1 || hig < 1) {
    KillPicture(thePicture);
    return nullptr;
  }
  GrafPtr theGW = AllocateGWorld(wid, hig);
  Assert(theGW, "Cannot allocate new GWorld in GetScaledGWImageFromFSRef");
  ClearGW(theGW, kWhite);
  // Drawn into the whole smaller buffer: drawn into its own full-size frame
  // the picture would only be cropped, not scaled.
  Rect theTarget;
  SetRect(&theTarget, 0, 0, wid, hig);
  DrawPictureInGW(theGW, thePicture, theTarget);
  KillPicture(thePicture);
  return theGW;
}

PicHandle GetPictFromURLUsingCG(CFURLRef theURL) {
  CGImageRef theImage = GetCGImageFromURLUsingCG(theURL);
  if (theImage == nullptr) return nullptr;
  int32_t wid = 0, hig = 0;
  GetImageDims(theImage, wid, hig);
  Rect theRect;
  SetRect(&theRect, 0, 0, static_cast<short>(wid), static_cast<short>(hig));
  GrafPtr theGW = AllocateRectGWorld(theRect);
  if (theGW == nullptr) {
    CGImageRelease(theImage);
    return nullptr;
  }
  PicHandle thePicture = nullptr;
  {
    PortSaver saved;  // the buffer is disposed of below; never leave it current
    ClearGW(theGW, kWhite);
    SetGWorld(theGW, nullptr);
    // Drawn over the white, not over a cleared rectangle, so transparent
    // parts of the image come out white.
    DrawCGImageInQDRect(theGW, theImage, theRect, 0.0f, false);
    OpenCPicParams theHeader{};
    theHeader.srcRect = theRect;
    theHeader.hRes = kPictureDefaultResolution;
    theHeader.vRes = kPictureDefaultResolution;
    theHeader.version = -2;
    thePicture = OpenCPicture(&theHeader);
    const BitMap* theBits = GetPortBitMapForCopyBits(theGW);
    CopyBits(theBits, theBits, &theRect, &theRect, srcCopy, nullptr);
    ClosePicture();
  }
  CGImageRelease(theImage);
  DisposeGWorld(theGW);
  return thePicture;
}
