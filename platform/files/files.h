// File Manager and Folder Manager stand-ins: file specifications over a
// registry of folder ids, and the Preferences folder.
#pragma once

#include <string>

#include "platform/macos/types.h"
#include "platform/macos/export.h"

VM_API_BEGIN

enum { dirNFErr = -120, bdNamErr = -37 };

// The one volume every path lives on.
enum { kOnSystemDisk = -32768, kVelmoranceVolume = -1 };
enum { kCreateFolder = 1, kDontCreateFolder = 0 };
enum : OSType { kPreferencesFolderType = VM_FOURCC('p', 'r', 'e', 'f') };

// A file named `name` (Mac OS Roman, at most 63 characters) in the folder
// that `parID` stands for.
struct FSSpec {
  short vRefNum;
  long parID;
  Str63 name;
};
typedef FSSpec* FSSpecPtr;

// Fills `spec` for the leaf `name` in folder `dirID`. Returns noErr when the
// file exists, fnfErr when it does not (the FSSpec is still filled in), dirNFErr
// for an unknown folder id and bdNamErr for an empty, too long or path-like
// name ("/", ".", "..").
OSErr FSMakeFSSpec(short vRefNum, long dirID, ConstStr255Param name, FSSpec* spec);

// Finds a standard folder. kPreferencesFolderType is the folder set with
// platformSetPreferencesFolder, else $XDG_CONFIG_HOME when it is an absolute
// path, else $HOME/.config; it is made (mode 0700, with any missing parents)
// whatever `createFolder` says, as that folder always exists on the real
// platform. Other folder types give fnfErr. The environment is read on every
// call.
OSErr FindFolder(short vRefNum, OSType folderType, Boolean createFolder, short* foundVRefNum, long* foundDirID);

// For our own code. Makes FindFolder's Preferences folder `absolutePath` for
// every library of this process (a host and the plug-in it loaded alike)
// until it is set again; the empty path goes back to the usual folder. False,
// and nothing changed, for a path that is not absolute.
bool platformSetPreferencesFolder(const std::string& absolutePath);

// For our own code. The id that stands for an absolute folder path (made on
// first use, stable for the process); 0 when the path is not absolute.
long platformDirIDForPath(const std::string& absolutePath);
// The folder path for an id; false for an unknown id.
bool platformPathForDirID(long dirID, std::string* path);
// The absolute UTF-8 path of the file an FSSpec names; false when the FSSpec's
// folder id is unknown or its name cannot be converted.
bool platformPathOfFSSpec(const FSSpec* spec, std::string* path);
// Makes an FSSpec for an absolute file path (its folder registered, its last
// component the name). Returns what FSMakeFSSpec would.
OSErr platformFSSpecForPath(const std::string& absolutePath, FSSpec* spec);

VM_API_END
