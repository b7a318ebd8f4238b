// Looking up, adding, removing and handing out resources.
#include <cstring>

#include "platform/memory/memory.h"
#include "platform/resources/resource_state.h"
#include "platform/resources/resources.h"

using namespace vmres;

namespace {

Entry* findIn(OpenFile& file, ResType type, short id) {
  for (auto& entry : file.entries)
    if (entry->record.type == type && entry->record.id == id) return entry.get();
  return nullptr;
}

// The resource's handle, loading its data on first use.
Handle load(Entry& entry) {
  if (entry.handle == nullptr) {
    Handle handle = NewHandle(static_cast<Size>(entry.record.data.size()));
    if (handle == nullptr) return setError(memFullErr), nullptr;
    if (!entry.record.data.empty()) std::memcpy(*handle, entry.record.data.data(), entry.record.data.size());
    entry.handle = handle;
  }
  setError(noErr);
  return entry.handle;
}

}  // namespace

Handle Get1Resource(ResType type, short id) {
  OpenFile* file = currentFile();
  if (file == nullptr) return setError(resFNotFound), nullptr;
  Entry* entry = findIn(*file, type, id);
  if (entry == nullptr) return setError(resNotFound), nullptr;
  return load(*entry);
}

Handle GetResource(ResType type, short id) {
  for (OpenFile* file : chainFromCurrent())
    if (Entry* entry = findIn(*file, type, id)) return load(*entry);
  setError(resNotFound);
  return nullptr;
}

short Count1Resources(ResType type) {
  OpenFile* file = currentFile();
  if (file == nullptr) return setError(resFNotFound), 0;
  short count = 0;
  for (auto& entry : file->entries) count = static_cast<short>(count + (entry->record.type == type));
  setError(noErr);
  return count;
}

Handle Get1IndResource(ResType type, short index) {
  OpenFile* file = currentFile();
  if (file == nullptr) return setError(resFNotFound), nullptr;
  short seen = 0;
  for (auto& entry : file->entries)
    if (entry->record.type == type && ++seen == index) return load(*entry);
  setError(resNotFound);
  return nullptr;
}

void GetIndString(Str255 theString, short strListID, short index) {
  theString[0] = 0;
  const std::vector<UInt8>* stored = nullptr;
  const UInt8* bytes = nullptr;
  size_t size = 0;
  for (OpenFile* file : chainFromCurrent()) {
    if (Entry* entry = findIn(*file, VM_FOURCC('S', 'T', 'R', '#'), strListID)) {
      // A loaded list may have been edited in memory; read what is there.
      if (entry->handle != nullptr) {
        bytes = reinterpret_cast<const UInt8*>(*entry->handle);
        size = static_cast<size_t>(GetHandleSize(entry->handle));
      } else {
        stored = &entry->record.data;
        bytes = stored->data();
        size = stored->size();
      }
      break;
    }
  }
  if (bytes == nullptr) return setError(resNotFound);
  setError(noErr);
  if (size < 2 || index < 1 || index > ((bytes[0] << 8) | bytes[1])) return;
  size_t at = 2;
  for (short i = 1; i < index; ++i) {
    if (at >= size) return;
    at += 1 + bytes[at];
  }
  if (at >= size || at + 1 + bytes[at] > size) return;
  std::memcpy(theString, bytes + at, 1 + bytes[at]);
}

void AddResource(Handle data, ResType type, short id, ConstStr255Param name) {
  OpenFile* file = currentFile();
  if (file == nullptr) return setError(resFNotFound);
  if (data == nullptr || locate(data).file != nullptr) return setError(addResFailed);
  if (!file->writable()) return refuseChange(*file);
  auto entry = std::make_unique<Entry>();
  entry->record.type = type;
  entry->record.id = id;
  entry->record.hasName = name != nullptr && name[0] > 0;
  if (entry->record.hasName) entry->record.name.assign(reinterpret_cast<const char*>(name + 1), name[0]);
  entry->handle = data;
  entry->changed = true;
  file->entries.push_back(std::move(entry));
  file->mapChanged = true;
  setError(noErr);
}

void RemoveResource(Handle resource) {
  Located where = locate(resource);
  if (where.file == nullptr) return setError(resNotFound);
  if (!where.file->writable()) return refuseChange(*where.file);
  where.file->entries.erase(where.file->entries.begin() + static_cast<long>(where.index));
  where.file->mapChanged = true;
  setError(noErr);
}

void DetachResource(Handle resource) {
  Located where = locate(resource);
  if (where.file == nullptr) return setError(resNotFound);
  if (where.entry()->changed) return setError(resAttrErr);
  where.entry()->handle = nullptr;
  setError(noErr);
}

void ReleaseResource(Handle resource) {
  Located where = locate(resource);
  if (where.file == nullptr) return setError(resNotFound);
  if (where.entry()->changed) return setError(resAttrErr);
  DisposeHandle(resource);
  where.entry()->handle = nullptr;
  setError(noErr);
}

void ChangedResource(Handle resource) {
  Located where = locate(resource);
  if (where.file == nullptr) return setError(resNotFound);
  if (!where.file->writable()) return refuseChange(*where.file);
  where.entry()->changed = true;
  setError(noErr);
}

void WriteResource(Handle resource) {
  Located where = locate(resource);
  if (where.file == nullptr) return setError(resNotFound);
  setError(where.entry()->changed ? writeFile(*where.file) : OSErr{noErr});
}

void GetResInfo(Handle resource, short* id, ResType* type, Str255 name) {
  Located where = locate(resource);
  if (where.file == nullptr) return setError(resNotFound);
  const ResourceRecord& record = where.entry()->record;
  if (id != nullptr) *id = record.id;
  if (type != nullptr) *type = record.type;
  if (name != nullptr) {
    name[0] = static_cast<unsigned char>(record.hasName ? record.name.size() : 0);
    std::memcpy(name + 1, record.name.data(), name[0]);
  }
  setError(noErr);
}

short GetResAttrs(Handle resource) {
  Located where = locate(resource);
  if (where.file == nullptr) return setError(resNotFound), 0;
  setError(noErr);
  return static_cast<short>(where.entry()->record.attributes | (where.entry()->changed ? resChanged : 0));
}

short HomeResFile(Handle resource) {
  Located where = locate(resource);
  if (where.file == nullptr) return setError(resNotFound), short{kResFileNotOpened};
  setError(noErr);
  return where.file->refNum;
}
