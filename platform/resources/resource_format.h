// The classic resource file layout (header, data area, map), read and written
// as a byte image. Every multi-byte field is big-endian.
#pragma once

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
};

struct ResourceFileImage {
  UInt16 fileAttributes = 0;
  // Types are written in order of first appearance, each type's resources in
  // the order they appear here.
  std::vector<ResourceRecord> resources;
};

// Where written files put their data area: after the header and the 240
// bytes reserved for the system and the application, as convention has it.
constexpr UInt32 kConventionalDataOffset = 256;

// Reads any conforming layout (map before or after the data, gaps, names in
// any order). Every offset and length is checked against the file; a file
// that does not hold together gives mapReadErr and leaves `image` empty.
OSErr parseResourceFile(const std::vector<UInt8>& bytes, ResourceFileImage* image);

// The conventional layout: header, reserved area, data, map (header copy,
// type list, reference lists, name list). False when the resources do not fit
// the format's offsets (16 MB of data, 64 KB of map).
bool serializeResourceFile(const ResourceFileImage& image, std::vector<UInt8>* bytes);

VM_API_END
