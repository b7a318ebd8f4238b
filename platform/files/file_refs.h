// File Manager stand-ins over POSIX files: whole-path references, the
// catalogue, and data forks opened by reference number.
#pragma once

#include "platform/files/files.h"
#include "platform/resources/resources.h"  // fsRdPerm ... and wrPermErr
#include "platform/toolkit/launch.h"
#include "platform/macos/export.h"

VM_API_BEGIN

enum {
  fsRtParID = 1,  // the parent of a volume's root
  fsRtDirID = 2,  // a volume's root folder
  fsAtMark = 0,
  fsFromStart = 1,
  fsFromLEOF = 2,
  fsFromMark = 3,
  smSystemScript = -1,
  rfNumErr = -51,
  opWrErr = -49,
  posErr = -40,
  tmfoErr = -42
};

// The name the file system's root shows as its volume name in catalogue
// answers, and so at the head of colon-separated paths.
inline constexpr const char kVelmoranceVolumeName[] = "Velmorance";

typedef UInt32 FSCatalogInfoBitmap;
enum : FSCatalogInfoBitmap { kFSCatInfoNone = 0 };
struct FSCatalogInfo;  // no catalogue fields are offered
struct HFSUniStr255;

// The reference of an existing file or folder; fnfErr when the FSSpec's file
// does not exist, paramErr when the FSSpec cannot be turned into a path.
OSErr FSpMakeFSRef(const FSSpec* source, FSRef* newRef);
// Only the FSSpec (and nothing else) is offered: `whichInfo` must be
// kFSCatInfoNone, and catalogInfo, outName and parentRef must be null.
// bdNamErr when the leaf name does not fit an FSSpec (over 63 bytes in Mac OS
// Roman), fnfErr when the file is gone.
OSErr FSGetCatalogInfo(const FSRef* ref, FSCatalogInfoBitmap whichInfo, FSCatalogInfo* catalogInfo,
                       HFSUniStr255* outName, FSSpec* fsSpec, FSRef* parentRef);

// Deletes a file or an empty folder; fnfErr when it does not exist.
OSErr FSpDelete(const FSSpec* spec);
// Makes an empty file and keeps its type and creator (as an extended
// attribute, where the file system has them). dupFNErr when it exists.
OSErr FSpCreate(const FSSpec* spec, OSType creator, OSType fileType, short scriptTag);
// The stored type and creator; zeros when the file has none.
OSErr platformGetFileTypeAndCreator(const char* path, OSType* fileType, OSType* creator);

// Opens the data fork; the reference number is positive. fnfErr when the
// file does not exist.
OSErr FSpOpenDF(const FSSpec* spec, SInt8 permission, short* refNum);
OSErr SetFPos(short refNum, short posMode, long posOff);
OSErr GetFPos(short refNum, long* filePos);
// Writes *count bytes at the mark; *count becomes the bytes written.
OSErr FSWrite(short refNum, long* count, const void* buffer);
// Reads up to *count bytes; eofErr with the short count at the end.
OSErr FSRead(short refNum, long* count, void* buffer);
OSErr FSClose(short refNum);

// The classic catalogue parameter block, reduced to the directory fields.
struct CInfoPBRec {
  OSErr ioResult;
  StringPtr ioNamePtr;  // receives the name (Str255) when not null
  short ioVRefNum;
  short ioFDirIndex;  // -1: the directory ioDrDirID itself
  long ioDrDirID;     // in: the directory; out: its own id (fsRtDirID for the root)
  long ioDrParID;     // out: the parent's id (fsRtParID for the root)
};
typedef CInfoPBRec* CInfoPBPtr;

// Only ioFDirIndex -1 is answered. The root folder "/" has id fsRtDirID and
// is named kVelmoranceVolumeName; every other folder has its registry id
// (platformDirIDForPath). dirNFErr for an unknown id, bdNamErr for a name
// without a Mac OS Roman form, paramErr for other indexes.
OSErr PBGetCatInfoSync(CInfoPBPtr paramBlock);

// For our own code: the path an FSRef names (empty for null).
std::string platformPathOfFSRef(const FSRef* ref);
// Fills `ref` with a path; false when it does not fit.
bool platformFSRefForPath(const std::string& path, FSRef* ref);

VM_API_END
