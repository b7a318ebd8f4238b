#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>

#include "plugin/files/easyfile/easy_file.h"

namespace {

// Status codes of the primitives are deliberately dropped: callers of these
// Pascal-style procedures never learn of a failure.
void CheckIOResult(OSErr) {}

void SetPString(const std::string& text, Str255 theString) {
  size_t length = std::min<size_t>(text.size(), 255);
  theString[0] = static_cast<unsigned char>(length);
  std::memcpy(theString + 1, text.data(), length);
}

}  // namespace

void pspPascalOpenFile(short& theFileRefNum, const FSSpec& spec) {
  CheckIOResult(FSpOpenDF(&spec, fsRdWrPerm, &theFileRefNum));
  CheckIOResult(SetFPos(theFileRefNum, fsFromStart, 0));
}

void pspRewrite(short& theFileRefNum, const FSSpec& spec, OSType fileType, OSType fileCreator) {
  FSpDelete(&spec);  // a missing file is the usual case
  CheckIOResult(FSpCreate(&spec, fileCreator, fileType, smSystemScript));
  CheckIOResult(FSpOpenDF(&spec, fsRdWrPerm, &theFileRefNum));
}

void FileWrite(short theFile, ConstStr255Param theText) {
  if (theText == nullptr || theText[0] == 0) return;
  long theCount = theText[0];
  CheckIOResult(FSWrite(theFile, &theCount, theText + 1));
}

void FileWriteLn(short theFile, ConstStr255Param theText) {
  Str255 theLine;
  size_t length = theText == nullptr ? 0 : theText[0];
  if (length > 0) std::memcpy(theLine + 1, theText + 1, length);
  // A full string has no room left, so the return takes its last place.
  if (length == 255) length = 254;
  theLine[length + 1] = 13;
  theLine[0] = static_cast<unsigned char>(length + 1);
  FileWrite(theFile, theLine);
}

void GetAppDirName(Str255 theName) {
  theName[0] = 0;
  char folder[PATH_MAX];
  if (getcwd(folder, sizeof folder) == nullptr) return;
  Str255 leaf = {0};
  CInfoPBRec pb{};
  pb.ioNamePtr = leaf;
  pb.ioFDirIndex = -1;
  pb.ioDrDirID = std::string(folder) == "/" ? long{fsRtDirID} : platformDirIDForPath(folder);
  if (PBGetCatInfoSync(&pb) != noErr) return;
  SetPString(std::string(reinterpret_cast<const char*>(leaf + 1), std::min<size_t>(leaf[0], 254)) + ":", theName);
}

void GetFullPath(long dirID, short vRefNum, Str255 thePath) {
  std::string path;
  long theDir = dirID;
  // The catalogue is a tree; the bound only guards against a broken one.
  for (int depth = 0; depth < 1024; ++depth) {
    Str255 theName = {0};
    CInfoPBRec pb{};
    pb.ioNamePtr = theName;
    pb.ioVRefNum = vRefNum;
    pb.ioFDirIndex = -1;
    pb.ioDrDirID = theDir;
    if (PBGetCatInfoSync(&pb) != noErr) break;
    path = std::string(reinterpret_cast<const char*>(theName + 1), theName[0]) + ":" + path;
    if (path.size() > 255) path.resize(255);
    if (pb.ioDrDirID == fsRtDirID) break;
    theDir = pb.ioDrParID;
  }
  SetPString(path, thePath);
}
