// Internal state of the Resource Manager shared by its source files.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/resources/resource_format.h"

namespace vmres {

struct Entry {
  ResourceRecord record;
  Handle handle = nullptr;  // loaded data, owned by the Resource Manager
  bool changed = false;     // the handle's bytes are to be written
};

struct OpenFile {
  short refNum = 0;
  std::string path;
  std::string readOnlyReason;  // why changes are refused; empty when writable
  std::string unstoredReason;  // why a change has not reached the file; reported at close
  bool mapChanged = false;     // resources added or removed since the last write
  UInt16 fileAttributes = 0;
  ReservedHeaderBytes reserved{};
  std::vector<std::unique_ptr<Entry>> entries;

  bool writable() const { return readOnlyReason.empty(); }
};

struct Located {
  OpenFile* file = nullptr;
  size_t index = 0;
  Entry* entry() const { return file->entries[index].get(); }
};

// Records the result of the call in progress for ResError.
void setError(OSErr err);
OpenFile* findFile(short refNum);
OpenFile* currentFile();
// The chain from the current file down (most recently opened first).
std::vector<OpenFile*> chainFromCurrent();
// Where a tracked resource handle lives; file is nullptr when untracked.
Located locate(Handle handle);
// Writes the file's pending changes; returns the error (noErr when nothing
// was pending).
OSErr writeFile(OpenFile& file);
// Refuses a change to a read-only file: wrPermErr, kept for the report at close.
void refuseChange(OpenFile& file);

}  // namespace vmres
