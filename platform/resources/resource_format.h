// The classic resource file layout (header, data area, map), read and written
// as a byte image. Every multi-byte field is big-endian.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "platform/macos/types.h"
#include "platform/macos/export.h"

VM_API_BEGIN

// Attribute bits of a reference entry, and of the map. They are stored as
// read; the Resource Manager keeps its changed flags apart from them.
enum : UInt8 { resSysHeap = 64, resPurgeable = 32, resLocked = 16, resProtected = 8, resPreload = 4, resChanged = 2 };
enum : UInt16 { mapReadOnly = 128, mapCompact = 64, mapChanged = 32 };

struct ResourceRecord {
  ResType type = 0;
  SInt16 id = 0;
  bool hasName = false;
  std::string name;  // Mac OS Roman bytes, at most 255
  UInt8 attributes = 0;
  std::vector<UInt8> data;

  bool operator==(const ResourceRecord&) const = default;
};

// Where written files put their data area: after the header and the 240
// bytes reserved for the system and the application, as convention has it.
constexpr UInt32 kConventionalDataOffset = 256;
constexpr size_t kResourceHeaderSize = 16;
// Bytes 16 to 255 of a file, which belong to the system and the file's owner.
using ReservedHeaderBytes = std::array<UInt8, kConventionalDataOffset - kResourceHeaderSize>;

struct ResourceFileImage {
  UInt16 fileAttributes = 0;
  ReservedHeaderBytes reserved{};  // as read; zero where the data or the map lay
  // Types are written in order of first appearance, each type's resources in
  // the order they appear here.
  std::vector<ResourceRecord> resources;

  bool operator==(const ResourceFileImage&) const = default;
};

// Reads any conforming layout: map before or after the data, gaps, names in
// any order. The whole map is checked before anything is built: the data
// area and the map lie in the file apart from the header and each other;
// inside the map come the header, the type list, the reference lists and the
// name list, in that order; no two reference lists and no two data entries
// overlap or are shared, so the resources read never hold more bytes than the
// file; every name lies in the name list. A file that does not hold together
// gives mapReadErr and leaves `image` empty.
OSErr parseResourceFile(const std::vector<UInt8>& bytes, ResourceFileImage* image);

// The conventional layout: header, reserved area, data, map (header copy,
// type list, reference lists, name list). False when the resources do not fit
// the format's offsets (16 MB of data, 64 KB of map).
bool serializeResourceFile(const ResourceFileImage& image, std::vector<UInt8>* bytes);

VM_API_END
