// Resource Manager stand-in: resource files in the classic layout, kept in a
// file's data, opened into one chain of files searched from the current file
// down. Main thread only, as on the real platform.
//
// Resource handles are ordinary Memory Manager handles that the Resource
// Manager tracks: it owns them until DetachResource or RemoveResource hands
// one to the caller, and disposes of the ones it still owns when their file
// closes. Every call sets ResError().
#pragma once

#include <string>

#include "platform/files/files.h"
#include "platform/macos/types.h"
#include "platform/resources/resource_format.h"
#include "platform/macos/export.h"

VM_API_BEGIN

enum { fsCurPerm = 0, fsRdPerm = 1, fsWrPerm = 2, fsRdWrPerm = 3, fsRdWrShPerm = 4 };
enum { wrPermErr = -61, rmvResFailed = -196, resAttrErr = -198 };
enum { kResFileNotOpened = -1 };

// Creates an empty resource file; dupFNErr when the file exists (it is left
// as it was). The file system keeps no type or creator codes, so `creator`
// and `fileType` are not stored.
void FSpCreateResFile(const FSSpec* spec, OSType creator, OSType fileType, short scriptTag);
// Opens a resource file at the top of the chain and makes it current.
// Returns its refNum, or -1: fnfErr when missing, ioErr for anything but a
// regular file, mapReadErr when damaged or too large. Opening a file that is
// already open makes it current and returns the same refNum. fsRdPerm opens
// read-only; fsCurPerm opens for writing when the file is writable. A file
// whose map carries mapReadOnly is always read-only.
short FSpOpenResFile(const FSSpec* spec, SInt8 permission);
void UseResFile(short refNum);
// The current file's refNum; -1 when no file is open.
short CurResFile();

// Puts the current resource file back as it was when the scope began.
class CurResFileRestorer {
 public:
  CurResFileRestorer() : saved_(CurResFile()) {}
  ~CurResFileRestorer() { UseResFile(saved_); }
  CurResFileRestorer(const CurResFileRestorer&) = delete;
  CurResFileRestorer& operator=(const CurResFileRestorer&) = delete;

 private:
  short saved_;
};
// Writes pending changes, disposes of the file's resource handles and takes
// the file out of the chain; changes that never reached the file are told to
// the store notice (below). When it was current, the file below it (or, if
// none, the top of the chain) becomes current.
void CloseResFile(short refNum);
// Writes every pending change of the file atomically: the file on disk is
// either wholly old or wholly new. After a failed write the changes stay
// pending, and CloseResFile tries them once more.
void UpdateResFile(short refNum);
OSErr ResError();

// Get1Resource looks in the current file only, GetResource down the chain
// from it. The same handle is returned until it is released or detached.
// nullptr with resNotFound when there is none.
Handle Get1Resource(ResType type, short id);
Handle GetResource(ResType type, short id);
short Count1Resources(ResType type);
// The index-th (1-based) resource of the type in the current file.
Handle Get1IndResource(ResType type, short index);

// String `index` (1-based) of the 'STR#' list `strListID` found down the
// chain; the empty string for a missing list, an index out of range or a
// damaged list.
void GetIndString(Str255 theString, short strListID, short index);

// Makes `data` a resource of the current file and marks it changed. An empty
// or null name means no name. addResFailed when `data` is null or already a
// resource; wrPermErr when the file is read-only.
void AddResource(Handle data, ResType type, short id, ConstStr255Param name);
// Takes the resource out of its file's map; the handle becomes a plain handle
// the caller disposes of with DisposeHandle.
void RemoveResource(Handle resource);
// Hands the handle to the caller as a plain handle; the resource stays in the
// file. resAttrErr (and nothing done) when it has unwritten changes.
void DetachResource(Handle resource);
// Disposes of a resource handle; the resource stays in the file and a later
// Get reads it again. resAttrErr (and nothing done) when it has unwritten
// changes.
void ReleaseResource(Handle resource);
void ChangedResource(Handle resource);
// Writes the resource's file when the resource has changes (with any other
// pending change of that file).
void WriteResource(Handle resource);
void GetResInfo(Handle resource, short* id, ResType* type, Str255 name);
// The attributes as stored, plus resChanged while changes are pending.
short GetResAttrs(Handle resource);
short HomeResFile(Handle resource);

// For our own code: FSpOpenResFile for an absolute path.
short platformOpenResFileAtPath(const std::string& path, SInt8 permission);

// Told, as a file closes, of changes that never reached it: refused because
// the file is read-only, or not written (a full disk, a folder that cannot be
// written). `path` is the file's as opened, `reason` says why in words. A
// host installs one to tell its user; none (the default) says nothing. Main
// thread only, like every call here.
using ResourceStoreNotice = void (*)(const std::string& path, const std::string& reason);
void platformSetResourceStoreNotice(ResourceStoreNotice notice);

VM_API_END
