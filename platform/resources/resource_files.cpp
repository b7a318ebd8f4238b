// Opening, writing and closing resource files, and the chain they form.
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/memory/memory.h"
#include "platform/resources/atomic_file.h"
#include "platform/resources/resource_state.h"
#include "platform/resources/resources.h"

namespace vmres {
namespace {

OSErr gResError = noErr;
std::vector<std::unique_ptr<OpenFile>> gChain;  // front is the top of the chain
short gCurrent = kResFileNotOpened;
short gLastRefNum = 0;
ResourceStoreNotice gStoreNotice = nullptr;

short nextRefNum() {
  do {
    gLastRefNum = static_cast<short>(gLastRefNum >= 32767 ? 1 : gLastRefNum + 1);
  } while (findFile(gLastRefNum) != nullptr);
  return gLastRefNum;
}

// Why changes to the file are to be refused; empty when they are not.
std::string readOnlyReason(const std::string& path, SInt8 permission, UInt16 fileAttributes) {
  // A map marked read-only is never written, whatever the permission asked.
  if ((fileAttributes & mapReadOnly) != 0) return "the file is marked read-only";
  if (permission == fsRdPerm) return "the file is open for reading only";
  if (permission == fsCurPerm && access(path.c_str(), W_OK) != 0) return std::strerror(errno);
  return {};
}

bool hasPendingChanges(const OpenFile& file) {
  if (file.mapChanged) return true;
  for (const auto& entry : file.entries)
    if (entry->changed) return true;
  return false;
}

}  // namespace

void setError(OSErr err) { gResError = err; }

OpenFile* findFile(short refNum) {
  for (auto& file : gChain)
    if (file->refNum == refNum) return file.get();
  return nullptr;
}

OpenFile* currentFile() { return findFile(gCurrent); }

std::vector<OpenFile*> chainFromCurrent() {
  std::vector<OpenFile*> files;
  bool reached = false;
  for (auto& file : gChain) {
    reached = reached || file->refNum == gCurrent;
    if (reached) files.push_back(file.get());
  }
  return files;
}

Located locate(Handle handle) {
  if (handle == nullptr) return {};
  for (auto& file : gChain)
    for (size_t i = 0; i < file->entries.size(); ++i)
      if (file->entries[i]->handle == handle) return {file.get(), i};
  return {};
}

OSErr writeFile(OpenFile& file) {
  if (!hasPendingChanges(file)) return noErr;
  if (!file.writable()) return wrPermErr;
  ResourceFileImage image;
  image.fileAttributes = file.fileAttributes;
  image.reserved = file.reserved;
  for (const auto& entry : file.entries) {
    image.resources.push_back(entry->record);
    if (entry->changed && entry->handle != nullptr) {
      const char* bytes = *entry->handle;
      image.resources.back().data.assign(bytes, bytes + GetHandleSize(entry->handle));
    }
  }
  std::vector<UInt8> bytes;
  if (!serializeResourceFile(image, &bytes)) {
    file.unstoredReason = "the resources do not fit in a resource file";
    return addResFailed;
  }
  OSErr err = platformWriteWholeFileAtomically(file.path, bytes, false, &file.unstoredReason);
  if (err != noErr) return err;
  file.unstoredReason.clear();
  for (size_t i = 0; i < file.entries.size(); ++i) {
    file.entries[i]->record.data = std::move(image.resources[i].data);
    file.entries[i]->changed = false;
  }
  file.mapChanged = false;
  return noErr;
}

void refuseChange(OpenFile& file) {
  file.unstoredReason = file.readOnlyReason;
  setError(wrPermErr);
}

}  // namespace vmres

using namespace vmres;

void platformSetResourceStoreNotice(ResourceStoreNotice notice) { gStoreNotice = notice; }

OSErr ResError() { return gResError; }

void FSpCreateResFile(const FSSpec* spec, OSType /*creator*/, OSType /*fileType*/, short /*scriptTag*/) {
  std::string path;
  if (!platformPathOfFSSpec(spec, &path)) return setError(spec == nullptr ? OSErr{paramErr} : OSErr{dirNFErr});
  std::vector<UInt8> bytes;
  serializeResourceFile(ResourceFileImage{}, &bytes);
  setError(platformWriteWholeFileAtomically(path, bytes, true));
}

short platformOpenResFileAtPath(const std::string& path, SInt8 permission) {
  for (auto& file : gChain) {
    if (file->path == path) {
      gCurrent = file->refNum;
      setError(noErr);
      return file->refNum;
    }
  }
  std::vector<UInt8> bytes;
  OSErr err = platformReadWholeFile(path, &bytes);
  if (err != noErr) return setError(err), kResFileNotOpened;
  ResourceFileImage image;
  if ((err = parseResourceFile(bytes, &image)) != noErr) return setError(err), kResFileNotOpened;

  auto file = std::make_unique<OpenFile>();
  file->path = path;
  file->readOnlyReason = readOnlyReason(path, permission, image.fileAttributes);
  file->fileAttributes = image.fileAttributes;
  file->reserved = image.reserved;
  for (ResourceRecord& record : image.resources) {
    auto entry = std::make_unique<Entry>();
    entry->record = std::move(record);
    file->entries.push_back(std::move(entry));
  }
  file->refNum = nextRefNum();
  gCurrent = file->refNum;
  gChain.insert(gChain.begin(), std::move(file));
  setError(noErr);
  return gCurrent;
}

short FSpOpenResFile(const FSSpec* spec, SInt8 permission) {
  std::string path;
  if (!platformPathOfFSSpec(spec, &path)) return setError(spec == nullptr ? OSErr{paramErr} : OSErr{dirNFErr}), kResFileNotOpened;
  return platformOpenResFileAtPath(path, permission);
}

void UseResFile(short refNum) {
  if (findFile(refNum) == nullptr) return setError(resFNotFound);
  gCurrent = refNum;
  setError(noErr);
}

short CurResFile() { return currentFile() == nullptr ? short{kResFileNotOpened} : gCurrent; }

void UpdateResFile(short refNum) {
  OpenFile* file = findFile(refNum);
  setError(file == nullptr ? OSErr{resFNotFound} : writeFile(*file));
}

void CloseResFile(short refNum) {
  OpenFile* file = findFile(refNum);
  if (file == nullptr) return setError(resFNotFound);
  OSErr err = writeFile(*file);
  // Unwritten changes are lost either way, as the file is gone from the chain.
  const std::string path = file->path, unstored = file->unstoredReason;
  for (auto& entry : file->entries) DisposeHandle(entry->handle);
  size_t position = 0;
  while (gChain[position]->refNum != refNum) ++position;
  gChain.erase(gChain.begin() + static_cast<long>(position));
  if (gCurrent == refNum) {
    if (position < gChain.size())
      gCurrent = gChain[position]->refNum;
    else
      gCurrent = gChain.empty() ? short{kResFileNotOpened} : gChain.front()->refNum;
  }
  setError(err);
  if (!unstored.empty() && gStoreNotice != nullptr) gStoreNotice(path, unstored);
}
