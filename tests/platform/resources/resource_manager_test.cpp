#include <gtest/gtest.h>

#include <cstring>

#include "platform/memory/memory.h"
#include "platform/resources/atomic_file.h"
#include "platform/resources/resources.h"
#include "tests/platform/files/temp_dir.h"
#include "tests/support/platform_faults.h"

namespace {

using Bytes = std::vector<UInt8>;
const ResType kPref = VM_FOURCC('P', 'r', 'e', 'f');
const ResType kSTR = VM_FOURCC('S', 'T', 'R', '#');
const ResType kOdd = VM_FOURCC('z', 'z', 'z', '!');

Handle handleWith(const Bytes& bytes) {
  Handle h = NewHandle(static_cast<Size>(bytes.size()));
  std::memcpy(*h, bytes.data(), bytes.size());
  return h;
}

Bytes bytesOf(Handle h) { return Bytes(*h, *h + GetHandleSize(h)); }

class ResourceManager : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(fnfErr, platformFSSpecForPath(temp_ / "prefs", &spec_)); }
  void TearDown() override {
    while (CurResFile() != kResFileNotOpened) CloseResFile(CurResFile());
  }

  // A file that another program wrote: a resource we never touch, with a
  // name and attributes, and a string list.
  void writeForeignFile(UInt16 fileAttributes = 0) {
    ResourceFileImage image;
    image.fileAttributes = fileAttributes;
    image.resources = {
        {kOdd, -4000, true, "keep \xA5 me", resPurgeable | resLocked, {9, 8, 7, 6, 5}},
        {kSTR, 128, false, "", 0, {0, 3, 3, 'o', 'n', 'e', 0, 5, 't', 'h', 'r', 'e', 'e'}},
        {kSTR, 129, false, "", 0, {0, 5, 2, 'o', 'k', 4, 'c', 'u'}},  // claims five strings, holds one
    };
    Bytes bytes;
    ASSERT_TRUE(serializeResourceFile(image, &bytes));
    writeBytes(temp_ / "prefs", bytes);
  }

  ResourceFileImage readBack() {
    ResourceFileImage image;
    EXPECT_EQ(noErr, parseResourceFile(readBytes(temp_ / "prefs"), &image));
    return image;
  }

  TempDir temp_;
  FSSpec spec_;
};

TEST_F(ResourceManager, OpenFailsOnMissingOrDamagedFilesAndCreateNeverReplacesOne) {
  EXPECT_EQ(kResFileNotOpened, FSpOpenResFile(&spec_, fsCurPerm));
  EXPECT_EQ(fnfErr, ResError());
  writeBytes(temp_ / "prefs", {1, 2, 3});
  EXPECT_EQ(kResFileNotOpened, FSpOpenResFile(&spec_, fsCurPerm));
  EXPECT_EQ(mapReadErr, ResError());
  std::filesystem::remove(temp_ / "prefs");
  FSpCreateResFile(&spec_, VM_FOURCC('q', 'z', 't', ' '), kPref, 0);
  ASSERT_EQ(noErr, ResError());
  EXPECT_TRUE(readBack().resources.empty());
  writeForeignFile();
  Bytes before = readBytes(temp_ / "prefs");
  FSpCreateResFile(&spec_, VM_FOURCC('q', 'z', 't', ' '), kPref, 0);
  EXPECT_EQ(dupFNErr, ResError());
  EXPECT_EQ(before, readBytes(temp_ / "prefs"));
  EXPECT_EQ(std::vector<std::string>{"prefs"}, temp_.entries());
}

TEST_F(ResourceManager, UntouchedResourcesSurviveASaveByteForByte) {
  writeForeignFile();
  short ref = FSpOpenResFile(&spec_, fsCurPerm);
  ASSERT_NE(kResFileNotOpened, ref);
  EXPECT_EQ(ref, CurResFile());
  Handle config = handleWith({1, 2, 3, 4});
  AddResource(config, kPref, 1, reinterpret_cast<const unsigned char*>("\x0f" "Config Settings"));
  ASSERT_EQ(noErr, ResError());
  CloseResFile(ref);
  ASSERT_EQ(noErr, ResError());

  ResourceFileImage image = readBack();
  ASSERT_EQ(4u, image.resources.size());
  const ResourceRecord& odd = image.resources[0];
  EXPECT_TRUE(odd.type == kOdd && odd.id == -4000 && odd.hasName && odd.attributes == (resPurgeable | resLocked));
  EXPECT_EQ("keep \xA5 me", odd.name);
  EXPECT_EQ(Bytes({9, 8, 7, 6, 5}), odd.data);
  EXPECT_EQ(kPref, image.resources[3].type);
  EXPECT_EQ("Config Settings", image.resources[3].name);
  EXPECT_EQ(Bytes({1, 2, 3, 4}), image.resources[3].data);
}

TEST_F(ResourceManager, RemoveAddUpdateThenReopen) {
  FSpCreateResFile(&spec_, 0, kPref, 0);
  short ref = FSpOpenResFile(&spec_, fsCurPerm);
  AddResource(handleWith({1}), kPref, 1, nullptr);
  UpdateResFile(ref);
  ASSERT_EQ(noErr, ResError());

  // The save sequence: remove the old record, write, add the new one, write.
  Handle old = Get1Resource(kPref, 1);
  ASSERT_NE(nullptr, old);
  RemoveResource(old);
  ASSERT_EQ(noErr, ResError());
  DisposeHandle(old);
  UpdateResFile(ref);
  EXPECT_TRUE(readBack().resources.empty());
  Handle fresh = handleWith({5, 6});
  AddResource(fresh, kPref, 1, reinterpret_cast<const unsigned char*>("\x01n"));
  UpdateResFile(ref);
  ReleaseResource(fresh);
  EXPECT_EQ(noErr, ResError());
  CloseResFile(ref);

  ref = FSpOpenResFile(&spec_, fsRdPerm);
  EXPECT_EQ(1, Count1Resources(kPref));
  Handle loaded = Get1Resource(kPref, 1);
  ASSERT_NE(nullptr, loaded);
  EXPECT_EQ(Bytes({5, 6}), bytesOf(loaded));
  short id = 0;
  ResType type = 0;
  Str255 name;
  GetResInfo(loaded, &id, &type, name);
  EXPECT_EQ(1, id);
  EXPECT_EQ(kPref, type);
  EXPECT_EQ(0, std::memcmp(name, "\x01n", 2));
  EXPECT_EQ(ref, HomeResFile(loaded));
  // The detached handle is the caller's and outlives the file.
  DetachResource(loaded);
  CloseResFile(ref);
  EXPECT_EQ(Bytes({5, 6}), bytesOf(loaded));
  DisposeHandle(loaded);
}

TEST_F(ResourceManager, ChangedDataIsWrittenAndCannotBeReleasedUnwritten) {
  writeForeignFile();
  short ref = FSpOpenResFile(&spec_, fsCurPerm);
  Handle list = Get1Resource(kSTR, 128);
  ASSERT_NE(nullptr, list);
  (*list)[4] = 'X';
  ChangedResource(list);
  ReleaseResource(list);
  EXPECT_EQ(resAttrErr, ResError());
  WriteResource(list);
  ASSERT_EQ(noErr, ResError());
  EXPECT_EQ('X', readBack().resources[1].data[4]);
  ReleaseResource(list);
  EXPECT_EQ(noErr, ResError());
  CloseResFile(ref);
}

class ReadOnlyFile : public ResourceManager, public ::testing::WithParamInterface<std::pair<SInt8, UInt16>> {};

TEST_P(ReadOnlyFile, RefusesChanges) {
  writeForeignFile(GetParam().second);
  Bytes before = readBytes(temp_ / "prefs");
  short ref = FSpOpenResFile(&spec_, GetParam().first);
  ASSERT_NE(kResFileNotOpened, ref);
  Handle data = handleWith({1});
  AddResource(data, kPref, 1, nullptr);
  EXPECT_EQ(wrPermErr, ResError());
  RemoveResource(Get1Resource(kSTR, 128));
  EXPECT_EQ(wrPermErr, ResError());
  CloseResFile(ref);
  EXPECT_EQ(before, readBytes(temp_ / "prefs"));
  DisposeHandle(data);
}

// Read permission asked for, or a map marked read-only.
INSTANTIATE_TEST_SUITE_P(Files, ReadOnlyFile,
                         ::testing::Values(std::make_pair(SInt8{fsRdPerm}, UInt16{0}),
                                           std::make_pair(SInt8{fsCurPerm}, UInt16{mapReadOnly})));

TEST_F(ResourceManager, AFailedWriteLeavesTheOldFileAndNoTemporary) {
  writeForeignFile();
  const Bytes before = readBytes(temp_ / "prefs");
  // The new file is 64 bytes longer (data, type entry, reference); failing
  // at that count writes everything and fails as a failed flush would.
  const long whole = static_cast<long>(before.size()) + 64;
  for (long failAfter : {0L, 7L, 256L, 300L, whole}) {
    short ref = FSpOpenResFile(&spec_, fsCurPerm);
    Handle data = handleWith(Bytes(40, 0x5A));
    AddResource(data, kPref, 1, nullptr);
    platformFailResourceWriteAfterBytes(failAfter);
    UpdateResFile(ref);
    EXPECT_EQ(ioErr, ResError()) << failAfter;
    EXPECT_EQ(before, readBytes(temp_ / "prefs")) << failAfter;
    EXPECT_EQ(std::vector<std::string>{"prefs"}, temp_.entries()) << failAfter;
    RemoveResource(data);
    DisposeHandle(data);
    CloseResFile(ref);
  }
}

TEST_F(ResourceManager, GetIndStringReadsOneBasedAndGivesEmptyOutOfRange) {
  writeForeignFile();
  FSpOpenResFile(&spec_, fsRdPerm);
  const std::pair<short, const char*> cases[] = {{1, "one"}, {2, ""}, {3, "three"}, {0, ""}, {4, ""}, {-1, ""}};
  for (const auto& [index, expected] : cases) {
    Str255 text;
    std::memset(text, 0x77, sizeof text);
    GetIndString(text, 128, index);
    EXPECT_EQ(expected, std::string(reinterpret_cast<char*>(text + 1), text[0])) << index;
  }
  Str255 text = {3, 'a', 'b', 'c'};
  GetIndString(text, 129, 1);
  EXPECT_EQ(0, std::memcmp(text, "\x02ok", 3));
  GetIndString(text, 129, 2);  // runs past the end of the list
  EXPECT_EQ(0, text[0]);
  GetIndString(text, 999, 1);
  EXPECT_EQ(0, text[0]);
  EXPECT_EQ(resNotFound, ResError());
}

TEST_F(ResourceManager, ChainSearchStartsAtTheCurrentFile) {
  writeForeignFile();
  short lower = FSpOpenResFile(&spec_, fsRdPerm);
  FSSpec upperSpec;
  platformFSSpecForPath(temp_ / "upper", &upperSpec);
  FSpCreateResFile(&upperSpec, 0, 0, 0);
  short upper = FSpOpenResFile(&upperSpec, fsCurPerm);
  ASSERT_NE(lower, upper);
  EXPECT_EQ(upper, CurResFile());
  EXPECT_EQ(nullptr, Get1Resource(kSTR, 128));
  EXPECT_EQ(resNotFound, ResError());
  Handle found = GetResource(kSTR, 128);
  ASSERT_NE(nullptr, found);
  EXPECT_EQ(lower, HomeResFile(found));
  UseResFile(lower);
  EXPECT_EQ(found, Get1Resource(kSTR, 128));
  UseResFile(12345);
  EXPECT_EQ(resFNotFound, ResError());
  EXPECT_EQ(lower, CurResFile());
  // Closing the current file hands over to the one below it, or the top.
  UseResFile(upper);
  CloseResFile(upper);
  EXPECT_EQ(lower, CurResFile());
  CloseResFile(lower);
  EXPECT_EQ(kResFileNotOpened, CurResFile());
}

}  // namespace
