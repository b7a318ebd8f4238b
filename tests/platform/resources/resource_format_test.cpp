#include "platform/resources/resource_format.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using Bytes = std::vector<UInt8>;

const ResType kSTR = VM_FOURCC('S', 'T', 'R', '#');
const ResType kPref = VM_FOURCC('P', 'r', 'e', 'f');
const ResType kTEXT = VM_FOURCC('T', 'E', 'X', 'T');

ResourceFileImage sampleImage() {
  ResourceFileImage image;
  image.resources = {{kSTR, 128, true, "Ab", 0, {0x00, 0x01, 0x01, 'x'}},
                     {kPref, 1, false, "", resPurgeable, {1, 2, 3}},
                     {kSTR, 129, false, "", 0, {}}};
  image.reserved[0] = 0xAB, image.reserved[239] = 0xCD;
  return image;
}

TEST(ResourceFormat, WritesTheConventionalLayoutByteForByte) {
  Bytes expected(256, 0);
  const UInt8 header[] = {0, 0, 1, 0, 0, 0, 1, 0x13, 0, 0, 0, 0x13, 0, 0, 0, 0x55};
  std::copy(std::begin(header), std::end(header), expected.begin());
  expected[16] = 0xAB, expected[255] = 0xCD;  // the owner's reserved bytes
  const Bytes rest = {                        // data: STR# 128 at 0, STR# 129 at 8, Pref 1 at 12
                      0, 0, 0, 4, 0x00, 0x01, 0x01, 'x', 0, 0, 0, 0, 0, 0, 0, 3, 1, 2, 3,
                      // map header: copy of the file header, handle, file ref, attributes, type list 28, name list 82
                      0, 0, 1, 0, 0, 0, 1, 0x13, 0, 0, 0, 0x13, 0, 0, 0, 0x55, 0, 0, 0, 0, 0, 0, 0, 0, 0, 28, 0, 82,
                      // type list: two types; STR# has 2 (refs at 18), Pref 1 (refs at 42)
                      0, 1, 'S', 'T', 'R', '#', 0, 1, 0, 18, 'P', 'r', 'e', 'f', 0, 0, 0, 42,
                      // references: id, name offset, attributes, 3-byte data offset, reserved
                      0, 128, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,        //
                      0, 129, 0xFF, 0xFF, 0, 0, 0, 8, 0, 0, 0, 0,  //
                      0, 1, 0xFF, 0xFF, resPurgeable, 0, 0, 12, 0, 0, 0, 0,
                      // names
                      2, 'A', 'b'};
  expected.insert(expected.end(), rest.begin(), rest.end());

  Bytes written;
  ASSERT_TRUE(serializeResourceFile(sampleImage(), &written));
  EXPECT_EQ(expected, written);
  // No resources: a map of its header and a type count of -1. (Such files
  // read back: ResourceManager.CreateNeverReplacesAFileAndWritesGoThroughALink.)
  ASSERT_TRUE(serializeResourceFile(ResourceFileImage{}, &written));
  ASSERT_EQ(256u + 30u, written.size());
  EXPECT_EQ(0xFFFF, written[256 + 28] << 8 | written[256 + 29]);
}

// Big-endian appends for building a file by hand.
void put(Bytes& b, UInt32 value, int size) {
  for (int shift = (size - 1) * 8; shift >= 0; shift -= 8) b.push_back(static_cast<UInt8>(value >> shift));
}

TEST(ResourceFormat, ReadsAnotherConformingLayout) {
  // Map first, straight after the header; data after it with a gap; names in
  // the opposite order to the references; reserved fields not zero.
  Bytes map;
  put(map, 0xAAAAAAAA, 4), put(map, 0xAAAAAAAA, 4), put(map, 0xAAAAAAAA, 4), put(map, 0xAAAAAAAA, 4);
  put(map, 0xDEADBEEF, 4), put(map, 0x1234, 2), put(map, mapReadOnly, 2);
  put(map, 28, 2), put(map, 28 + 2 + 8 + 24, 2);
  put(map, 0, 2), put(map, kTEXT, 4), put(map, 1, 2), put(map, 10, 2);
  put(map, 5, 2), put(map, 6, 2), put(map, resLocked, 1), put(map, 9, 3), put(map, 0x11111111, 4);
  put(map, 6, 2), put(map, 0, 2), put(map, 0, 1), put(map, 2, 3), put(map, 0, 4);
  put(map, 5, 1), map.insert(map.end(), {'f', 'i', 'r', 's', 't'});
  put(map, 6, 1), map.insert(map.end(), {'s', 'e', 'c', 'o', 'n', 'd'});

  Bytes data = {0xEE, 0xEE, 0, 0, 0, 3, 'y', 'o', '!', 0, 0, 0, 2, 'h', 'i', 0xEE};
  Bytes file;
  put(file, 16 + static_cast<UInt32>(map.size()), 4), put(file, 16, 4);
  put(file, static_cast<UInt32>(data.size()), 4), put(file, static_cast<UInt32>(map.size()), 4);
  file.insert(file.end(), map.begin(), map.end());
  file.insert(file.end(), data.begin(), data.end());

  ResourceFileImage image;
  ASSERT_EQ(noErr, parseResourceFile(file, &image));
  EXPECT_EQ(mapReadOnly, image.fileAttributes);
  EXPECT_EQ(ResourceFileImage{}.reserved, image.reserved);  // bytes 16 on are the map's
  ASSERT_EQ(2u, image.resources.size());
  EXPECT_EQ((ResourceRecord{kTEXT, 5, true, "second", resLocked, {'h', 'i'}}), image.resources[0]);
  EXPECT_EQ((ResourceRecord{kTEXT, 6, true, "first", 0, {'y', 'o', '!'}}), image.resources[1]);
}

TEST(ResourceFormat, RejectsFilesThatDoNotHoldTogether) {
  Bytes good;
  ASSERT_TRUE(serializeResourceFile(sampleImage(), &good));
  const size_t map = 256 + 19;
  const std::pair<const char*, std::function<void(Bytes&)>> damages[] = {
      {"short header", [](Bytes& b) { b.resize(10); }},
      {"map past the end", [](Bytes& b) { b[5] = 0x7F; }},
      {"data length past the end", [](Bytes& b) { b[9] = 0x7F; }},
      {"type count too large", [map](Bytes& b) { b[map + 28] = 0x40; }},
      {"reference data offset past the data", [map](Bytes& b) { b[map + 30 + 16 + 12 + 7] = 0x40; }},
      {"resource length past the data", [](Bytes& b) { b[256 + 3] = 0x40; }},
      {"name offset past the map", [map](Bytes& b) { b[map + 30 + 16 + 3] = 0x40; }},
      {"truncated map", [](Bytes& b) { b.pop_back(); }},
      {"data area in the header", [](Bytes& b) { b[2] = 0, b[3] = 8; }},
      {"map inside the data area", [](Bytes& b) { b[7] = 0x10; }},
      {"name list before the reference lists", [map](Bytes& b) { b[map + 27] = 50; }},
      {"reference list in the type list", [map](Bytes& b) { b[map + 37] = 2; }},
      {"two types share a reference list", [map](Bytes& b) { b[map + 45] = 18; }},
      {"two references share a data entry", [map](Bytes& b) { b[map + 65] = 0; }},
      {"data entries overlap", [map](Bytes& b) { b[map + 77] = 10; }},
  };
  for (const auto& [label, damage] : damages) {
    Bytes bad = good;
    damage(bad);
    ResourceFileImage image;
    EXPECT_EQ(mapReadErr, parseResourceFile(bad, &image)) << label;
    EXPECT_TRUE(image.resources.empty()) << label;
  }
}

}  // namespace
