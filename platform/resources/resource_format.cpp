#include "platform/resources/resource_format.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace {

constexpr size_t kMapHeaderSize = 28;  // header copy, handle, file ref, attributes, two offsets
constexpr size_t kTypeEntrySize = 8;
constexpr size_t kReferenceSize = 12;
constexpr UInt32 kMaxDataOffset = 0xFFFFFF;  // reference entries hold 3 bytes

// Bounds-checked big-endian reads over the file image.
class Reader {
 public:
  explicit Reader(const std::vector<UInt8>& bytes) : bytes_(bytes) {}
  size_t size() const { return bytes_.size(); }
  bool has(size_t offset, size_t count) const { return offset <= bytes_.size() && count <= bytes_.size() - offset; }
  UInt32 u8(size_t at) const { return bytes_[at]; }
  UInt32 u16(size_t at) const { return (u8(at) << 8) | u8(at + 1); }
  UInt32 u24(size_t at) const { return (u8(at) << 16) | u16(at + 1); }
  UInt32 u32(size_t at) const { return (u16(at) << 16) | u16(at + 2); }
  const UInt8* at(size_t offset) const { return bytes_.data() + offset; }

 private:
  const std::vector<UInt8>& bytes_;
};

class Writer {
 public:
  void u8(UInt32 v) { bytes.push_back(static_cast<UInt8>(v)); }
  void u16(UInt32 v) { u8(v >> 8), u8(v); }
  void u24(UInt32 v) { u8(v >> 16), u16(v); }
  void u32(UInt32 v) { u16(v >> 16), u16(v); }
  void put16(size_t at, UInt32 v) { bytes[at] = static_cast<UInt8>(v >> 8), bytes[at + 1] = static_cast<UInt8>(v); }
  void append(const UInt8* data, size_t count) { bytes.insert(bytes.end(), data, data + count); }
  std::vector<UInt8> bytes;
};

// A byte range [begin, end) of the file.
struct Span {
  size_t begin, end;
  bool operator<(const Span& other) const { return begin < other.begin; }
  bool holds(size_t at) const { return at >= begin && at < end; }
};

// True when no two of the spans share a byte. Sorts them.
bool apart(std::vector<Span>& spans) {
  std::sort(spans.begin(), spans.end());
  for (size_t i = 1; i < spans.size(); ++i)
    if (spans[i].begin < spans[i - 1].end) return false;
  return true;
}

// A reference entry that passed the checks.
struct Reference {
  ResType type;
  size_t at;
};

// Checks every offset, count and length of the file, and lists its
// references; false when the file does not hold together.
bool checkLayout(const Reader& file, Span* data, Span* map, size_t* nameList, std::vector<Reference>* references) {
  if (!file.has(0, kResourceHeaderSize)) return false;
  const UInt32 dataOffset = file.u32(0), mapOffset = file.u32(4);
  const UInt32 dataLength = file.u32(8), mapLength = file.u32(12);
  if (!file.has(dataOffset, dataLength) || !file.has(mapOffset, mapLength) || mapLength < kMapHeaderSize) return false;
  *data = {dataOffset, size_t{dataOffset} + dataLength};
  *map = {mapOffset, size_t{mapOffset} + mapLength};
  std::vector<Span> sections{{0, kResourceHeaderSize}, *map};
  if (dataLength > 0) sections.push_back(*data);
  if (!apart(sections)) return false;

  // Inside the map: header, type list, reference lists, name list.
  const size_t typeList = map->begin + file.u16(mapOffset + 24);
  *nameList = map->begin + file.u16(mapOffset + 26);
  if (typeList < map->begin + kMapHeaderSize || typeList + 2 > *nameList || *nameList > map->end) return false;
  // Counts are stored minus one, so an empty list reads 0xFFFF.
  const size_t typeCount = (file.u16(typeList) + 1) & 0xFFFF;
  const size_t listsBegin = typeList + 2 + typeCount * kTypeEntrySize;
  if (listsBegin > *nameList) return false;
  std::vector<Span> lists;
  for (size_t t = 0; t < typeCount; ++t) {
    const size_t entry = typeList + 2 + t * kTypeEntrySize;
    const size_t begin = typeList + file.u16(entry + 6);
    const size_t end = begin + (file.u16(entry + 4) + 1) * kReferenceSize;
    if (begin < listsBegin || end > *nameList) return false;
    lists.push_back({begin, end});
  }
  if (!apart(lists)) return false;

  std::vector<Span> entries;
  for (size_t t = 0; t < typeCount; ++t) {
    const size_t entry = typeList + 2 + t * kTypeEntrySize;
    const size_t count = file.u16(entry + 4) + 1;
    for (size_t r = 0; r < count; ++r) {
      const size_t ref = typeList + file.u16(entry + 6) + r * kReferenceSize;
      const UInt32 dataAt = file.u24(ref + 5);
      if (dataLength < 4 || dataAt > dataLength - 4) return false;
      const size_t lengthAt = size_t{dataOffset} + dataAt;
      const UInt32 length = file.u32(lengthAt);
      if (length > dataLength - dataAt - 4) return false;
      entries.push_back({lengthAt, lengthAt + 4 + length});
      const UInt32 nameOffset = file.u16(ref + 2);
      const size_t name = *nameList + nameOffset;
      if (nameOffset != 0xFFFF && (name >= map->end || name + 1 + file.u8(name) > map->end)) return false;
      references->push_back({file.u32(entry), ref});
    }
  }
  return apart(entries);
}

bool parseInto(const Reader& file, ResourceFileImage* image) {
  Span data{}, map{};
  size_t nameList = 0;
  std::vector<Reference> references;
  if (!checkLayout(file, &data, &map, &nameList, &references)) return false;
  image->fileAttributes = static_cast<UInt16>(file.u16(map.begin + 22));
  for (size_t at = kResourceHeaderSize; at < kConventionalDataOffset && at < file.size(); ++at)
    if (!data.holds(at) && !map.holds(at)) image->reserved[at - kResourceHeaderSize] = static_cast<UInt8>(file.u8(at));
  for (const Reference& reference : references) {
    const size_t ref = reference.at;
    ResourceRecord record;
    record.type = reference.type;
    record.id = static_cast<SInt16>(file.u16(ref));
    record.attributes = static_cast<UInt8>(file.u8(ref + 4));
    const size_t lengthAt = data.begin + file.u24(ref + 5);
    record.data.assign(file.at(lengthAt + 4), file.at(lengthAt + 4) + file.u32(lengthAt));
    const UInt32 nameOffset = file.u16(ref + 2);
    if (nameOffset != 0xFFFF) {
      const size_t name = nameList + nameOffset;
      record.hasName = true;
      record.name.assign(reinterpret_cast<const char*>(file.at(name + 1)), file.u8(name));
    }
    image->resources.push_back(std::move(record));
  }
  return true;
}

}  // namespace

OSErr parseResourceFile(const std::vector<UInt8>& bytes, ResourceFileImage* image) {
  *image = ResourceFileImage{};
  if (parseInto(Reader(bytes), image)) return noErr;
  *image = ResourceFileImage{};
  return mapReadErr;
}

bool serializeResourceFile(const ResourceFileImage& image, std::vector<UInt8>* bytes) {
  std::vector<ResType> types;
  for (const ResourceRecord& record : image.resources) {
    bool known = false;
    for (ResType type : types) known = known || type == record.type;
    if (!known) types.push_back(record.type);
  }

  Writer out;
  out.bytes.resize(kResourceHeaderSize, 0);
  out.append(image.reserved.data(), image.reserved.size());
  // Data area, in the order the reference lists will name them.
  std::vector<UInt32> dataOffsets;
  std::vector<const ResourceRecord*> ordered;
  for (ResType type : types) {
    for (const ResourceRecord& record : image.resources) {
      if (record.type != type) continue;
      ordered.push_back(&record);
      dataOffsets.push_back(static_cast<UInt32>(out.bytes.size() - kConventionalDataOffset));
      if (dataOffsets.back() > kMaxDataOffset || record.data.size() > UINT32_MAX) return false;
      out.u32(static_cast<UInt32>(record.data.size()));
      out.append(record.data.data(), record.data.size());
    }
  }
  const UInt32 dataLength = static_cast<UInt32>(out.bytes.size() - kConventionalDataOffset);
  const UInt32 mapOffset = static_cast<UInt32>(out.bytes.size());

  Writer map;
  map.bytes.resize(kResourceHeaderSize, 0);  // header copy, filled in below
  map.u32(0);                        // handle to the map in memory
  map.u16(0);                        // file reference number
  map.u16(image.fileAttributes);
  map.u16(kMapHeaderSize);
  map.u16(0);  // name list offset, filled in below
  map.u16(static_cast<UInt32>(types.size()) - 1);
  size_t referencesAt = 2 + types.size() * kTypeEntrySize;
  for (ResType type : types) {
    size_t count = 0;
    for (const ResourceRecord* record : ordered) count += record->type == type;
    map.u32(type);
    map.u16(static_cast<UInt32>(count) - 1);
    map.u16(static_cast<UInt32>(referencesAt));
    referencesAt += count * kReferenceSize;
  }
  Writer names;
  for (size_t i = 0; i < ordered.size(); ++i) {
    const ResourceRecord& record = *ordered[i];
    map.u16(static_cast<UInt16>(record.id));
    if (record.hasName) {
      map.u16(static_cast<UInt32>(names.bytes.size()));
      const size_t length = record.name.size() > 255 ? 255 : record.name.size();
      names.u8(static_cast<UInt32>(length));
      names.append(reinterpret_cast<const UInt8*>(record.name.data()), length);
    } else {
      map.u16(0xFFFF);
    }
    map.u8(record.attributes);
    map.u24(dataOffsets[i]);
    map.u32(0);
  }
  if (referencesAt > 0xFFFF || names.bytes.size() > 0xFFFF || map.bytes.size() > 0xFFFF) return false;
  map.put16(26, static_cast<UInt32>(map.bytes.size()));
  map.append(names.bytes.data(), names.bytes.size());
  const UInt32 mapLength = static_cast<UInt32>(map.bytes.size());

  Writer header;
  header.u32(kConventionalDataOffset);
  header.u32(mapOffset);
  header.u32(dataLength);
  header.u32(mapLength);
  for (size_t i = 0; i < kResourceHeaderSize; ++i) out.bytes[i] = map.bytes[i] = header.bytes[i];
  out.append(map.bytes.data(), map.bytes.size());
  *bytes = std::move(out.bytes);
  return true;
}
