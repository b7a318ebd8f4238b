// EasyFile: open and save dialogs, data-fork primitives, picture and image
// loading, launching and type tests. Texts are short strings (Mac OS Roman);
// every loader returns nullptr on any failure and hands its result to the
// caller (pictures: KillPicture; images: CGImageRelease; offscreen buffers:
// DisposeGWorld).
#pragma once

#include <cstdint>

#include "platform/coregraphics/cgimage.h"
#include "platform/files/apple_events.h"
#include "platform/files/file_refs.h"
#include "platform/pictures/pictures.h"

inline constexpr int cMaxFilesInList = 4;
inline constexpr OSType cAnyFileType = VM_FOURCC('*', '*', '*', '*');

// count is the number of items chosen, even beyond cMaxFilesInList; only the
// first cMaxFilesInList are kept, spec[0] being the first.
struct FileList {
  int16_t count;
  FSSpec spec[cMaxFilesInList];
};

// Dialogs: true when the user chose; false on cancel or any failure.
bool EasyNavPutFile(ConstStr255Param inMessage, ConstStr255Param inDefaultName, OSType inType, OSType inCreator,
                    FSSpec& outSpec, bool& outReplacing);
// inType cAnyFileType offers every file; any other type only files of that
// type. One file is chosen whatever inAllowMultiple says.
bool EasyNavGetFile(ConstStr255Param inMessage, OSType inType, OSType inCreator, bool inAllowMultiple,
                    FSSpec& outFile);
OSErr AEDescListToFileList(const AEDescList& inList, FileList& outFileList);

// Data-fork primitives. Failures are not reported: a failed open leaves
// theFileRefNum 0, and writing to it does nothing.
void pspPascalOpenFile(short& theFileRefNum, const FSSpec& spec);
void pspRewrite(short& theFileRefNum, const FSSpec& spec, OSType fileType, OSType fileCreator);
void FileWrite(short theFile, ConstStr255Param theText);
// Writes the text and a carriage return (13); a 255-character text loses its
// last character to it.
void FileWriteLn(short theFile, ConstStr255Param theText);
// The current directory's name followed by ":".
void GetAppDirName(Str255 theName);
// The colon-separated path of a folder: volume name first, ":" after every
// name ("Velmorance:home:Work:"), cut to 255 characters.
void GetFullPath(long dirID, short vRefNum, Str255 thePath);

// Pictures through the graphics importers. theName starts as "Dummy".
PicHandle LoadPictureFile(Str255 theName);
PicHandle ReadPictureFromFSS(const FSSpec& theFSS, Str255 theName);
PicHandle ReadPictureFromFSRefUsingQT(const FSRef& theFSRef, Str255 theName);
PicHandle ReadPictureFromFSRef(const FSRef& theFSRef, Str255 theName);
// Resources of the host application's main bundle; zero-terminated texts.
PicHandle LoadPictureFromBundle(const char* theName, const char* theType);

// Images.
CGImageRef GetCGImageFromFSS(const FSSpec& theFSS);
CGImageRef GetCGImageFromURLUsingQT(CFURLRef theFile);
CGImageRef GetCGImageFromURLUsingCG(CFURLRef theURL);
CGImageRef GetCGImageFromFSRefUsingCG(const FSRef& theFSRef);
CGImageRef GetCGImageFromFSSUsingCG(const FSSpec& theFSS);
CGImageRef GetCGImageFromBundle(const char* theName, const char* theExtension, const char* thePath);

// The file's picture shrunk by whole factors (width div widScale, height div
// higScale) on white; nullptr when a scale is below 1 (the file is then not
// read) or the picture cannot be read. Stops the process when the buffer
// cannot be made.
GrafPtr GetScaledGWImageFromFSRef(const FSRef& theFSRef, int16_t widScale, int16_t higScale);
// A picture of the URL's image drawn on white.
PicHandle GetPictFromURLUsingCG(CFURLRef theURL);

// Launching and type tests.
void LaunchFileFromBundle(const char* theName, const char* theExtension, const char* thePath);
OSStatus OpenDocumentInSpecificApp(const FSRef& theDocument, const FSRef* theApp);
// Whether the file's type (by its extension, else its type code read as an
// extension) conforms to theUTI.
bool FileConformsTo(const FSRef& theFile, ConstStr255Param theUTI);
