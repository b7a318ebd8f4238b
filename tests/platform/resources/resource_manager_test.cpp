// The Resource Manager over real files: what it opens, what a save keeps,
// read-only files, failed writes, string lists and the search chain.
// (Duplicates, found in file order and removed one by one:
// PrefsTest.SaveKeepsOtherResourcesAndOneRecord.)
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <functional>

#include "platform/memory/memory.h"
#include "platform/resources/atomic_file.h"
#include "platform/resources/resources.h"
#include "tests/platform/files/temp_dir.h"
#include "tests/support/platform_faults.h"

namespace {

using Bytes = std::vector<UInt8>;
const ResType kPref = VM_FOURCC('P', 'r', 'e', 'f');
const ResType kSTR = VM_FOURCC('S', 'T', 'R', '#');

// What another program wrote: a resource we never touch, with a name and
// attributes, and two string lists, the second claiming five strings and
// holding one.
const std::vector<ResourceRecord> kForeign = {
    {VM_FOURCC('z', 'z', 'z', '!'), -4000, true, "keep \xA5 me", resPurgeable | resLocked, {9, 8, 7, 6, 5}},
    {kSTR, 128, false, "", 0, {0, 3, 3, 'o', 'n', 'e', 0, 5, 't', 'h', 'r', 'e', 'e'}},
    {kSTR, 129, false, "", 0, {0, 5, 2, 'o', 'k', 4, 'c', 'u'}}};

Handle handleWith(const Bytes& bytes) {
  Handle h = NewHandle(static_cast<Size>(bytes.size()));
  std::memcpy(*h, bytes.data(), bytes.size());
  return h;
}

std::vector<std::string> gNotices;  // "path: reason", as told at close
void recordNotice(const std::string& path, const std::string& reason) { gNotices.push_back(path + ": " + reason); }

class ResourceManager : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(fnfErr, platformFSSpecForPath(temp_ / "prefs", &spec_));
    gNotices.clear();
    platformSetResourceStoreNotice(recordNotice);
  }
  void TearDown() override {
    while (CurResFile() != kResFileNotOpened) CloseResFile(CurResFile());
    platformSetResourceStoreNotice(nullptr);
    platformFailResourceWriteAfterBytes(-1);
  }
  // The file, with bytes of its owner in the header.
  void writeFile(UInt16 fileAttributes = 0, const std::vector<ResourceRecord>& resources = kForeign) {
    ResourceFileImage image{fileAttributes, {}, resources};
    image.reserved.fill(0x5E);
    Bytes bytes;
    ASSERT_TRUE(serializeResourceFile(image, &bytes));
    writeBytes(temp_ / "prefs", bytes);
  }
  ResourceFileImage readBack() {
    ResourceFileImage image;
    EXPECT_EQ(noErr, parseResourceFile(readBytes(temp_ / "prefs"), &image));
    return image;
  }
  short open(SInt8 permission = fsCurPerm) { return FSpOpenResFile(&spec_, permission); }

  TempDir temp_;
  FSSpec spec_;
};

TEST_F(ResourceManager, OpensOnlyRegularFilesOfResourceFileSize) {
  const std::string path = temp_ / "prefs";
  const Bytes damaged{1, 2, 3};
  Bytes huge;  // holds together, but is too large for a resource file
  ASSERT_TRUE(serializeResourceFile({0, {}, {{kPref, 1, false, "", 0, Bytes(kMaxResourceFileSize)}}}, &huge));
  // Missing, damaged, a pipe and a device (neither may be waited on), a folder, too large.
  const std::pair<std::function<void()>, OSErr> cases[] = {
      {[] {}, fnfErr},
      {[&] { writeBytes(path, damaged); }, mapReadErr},
      {[&] { mkfifo(path.c_str(), 0600); }, ioErr},
      {[&] { std::filesystem::create_symlink("/dev/zero", path); }, ioErr},
      {[&] { std::filesystem::create_directory(path); }, ioErr},
      {[&] { writeBytes(path, huge); }, mapReadErr},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    std::filesystem::remove_all(path);
    cases[i].first();
    EXPECT_EQ(kResFileNotOpened, open()) << i;
    EXPECT_EQ(cases[i].second, ResError()) << i;
  }
}

// A save keeps what it did not touch byte for byte, the owner's header bytes
// included; changed data is written, and cannot be released unwritten.
TEST_F(ResourceManager, ASaveKeepsUntouchedResourcesAndWritesChangedOnes) {
  writeFile();
  short ref = open();
  ASSERT_NE(kResFileNotOpened, ref);
  Handle list = Get1Resource(kSTR, 128);
  ASSERT_NE(nullptr, list);
  (*list)[4] = 'X';
  ChangedResource(list);
  ReleaseResource(list);
  EXPECT_EQ(resAttrErr, ResError());
  WriteResource(list);
  ASSERT_EQ(noErr, ResError());
  EXPECT_EQ('X', readBack().resources[1].data[4]);
  AddResource(handleWith({1, 2, 3, 4}), kPref, 1, reinterpret_cast<const unsigned char*>("\017Config Settings"));
  ASSERT_EQ(noErr, ResError());
  CloseResFile(ref);
  ASSERT_EQ(noErr, ResError());

  ResourceFileImage image = readBack();
  ASSERT_EQ(4u, image.resources.size());
  EXPECT_EQ(kForeign[0], image.resources[0]);
  EXPECT_EQ(kForeign[2], image.resources[2]);
  EXPECT_EQ((ResourceRecord{kPref, 1, true, "Config Settings", 0, {1, 2, 3, 4}}), image.resources[3]);
  EXPECT_EQ(Bytes(240, 0x5E), Bytes(image.reserved.begin(), image.reserved.end()));
}

// Creating never replaces a file. Dotfile managers keep such files as links
// into a folder of their own: saves write through the link, and creating
// where the link's target is gone makes the target.
TEST_F(ResourceManager, CreateNeverReplacesAFileAndWritesGoThroughALink) {
  FSpCreateResFile(&spec_, VM_FOURCC('q', 'z', 't', ' '), kPref, 0);
  ASSERT_EQ(noErr, ResError());
  EXPECT_TRUE(readBack().resources.empty());
  writeFile();
  const Bytes before = readBytes(temp_ / "prefs");
  FSpCreateResFile(&spec_, VM_FOURCC('q', 'z', 't', ' '), kPref, 0);
  EXPECT_EQ(dupFNErr, ResError());
  EXPECT_EQ(before, readBytes(temp_ / "prefs"));
  std::filesystem::create_directory(temp_ / "dots");
  std::filesystem::rename(temp_ / "prefs", temp_ / "dots/real");
  std::filesystem::create_symlink("dots/real", temp_ / "prefs");
  short ref = open();
  AddResource(handleWith({7}), kPref, 1, nullptr);
  CloseResFile(ref);
  ASSERT_EQ(noErr, ResError());
  EXPECT_EQ(Bytes{7}, readBack().resources[3].data);
  std::filesystem::remove(temp_ / "dots/real");
  FSpCreateResFile(&spec_, 0, kPref, 0);
  EXPECT_EQ(noErr, ResError());
  EXPECT_TRUE(std::filesystem::is_symlink(temp_ / "prefs"));
  EXPECT_EQ(std::vector<std::string>{"real"}, TempDir::entriesOf(temp_ / "dots"));
  EXPECT_EQ(2u, temp_.entries().size());
}

// Read permission asked for, or a map marked read-only: changes are refused
// and the reason is told at close.
TEST_F(ResourceManager, ReadOnlyFilesRefuseChangesAndSaySoAtClose) {
  const std::tuple<SInt8, UInt16, std::string> cases[] = {{fsRdPerm, 0, "the file is open for reading only"},
                                                          {fsCurPerm, mapReadOnly, "the file is marked read-only"}};
  for (const auto& [permission, fileAttributes, reason] : cases) {
    gNotices.clear();
    writeFile(fileAttributes);
    Bytes before = readBytes(temp_ / "prefs");
    short ref = open(permission);
    ASSERT_NE(kResFileNotOpened, ref);
    Handle data = handleWith({1});
    AddResource(data, kPref, 1, nullptr);
    EXPECT_EQ(wrPermErr, ResError());
    RemoveResource(Get1Resource(kSTR, 128));
    EXPECT_EQ(wrPermErr, ResError());
    EXPECT_TRUE(gNotices.empty());
    CloseResFile(ref);
    EXPECT_EQ(before, readBytes(temp_ / "prefs"));
    EXPECT_EQ(std::vector<std::string>{temp_ / "prefs: " + reason}, gNotices);
    DisposeHandle(data);
  }
}

TEST_F(ResourceManager, AFailedWriteLeavesTheOldFileAndNoTemporary) {
  writeFile();
  const Bytes before = readBytes(temp_ / "prefs");
  // The new file is 64 bytes longer (data, type entry, reference); failing
  // at that count writes everything and fails as a failed flush would.
  const long whole = static_cast<long>(before.size()) + 64;
  for (long failAfter : {0L, 7L, 256L, 300L, whole}) {
    short ref = open();
    AddResource(handleWith(Bytes(40, 0x5A)), kPref, 1, nullptr);
    platformFailResourceWriteAfterBytes(failAfter);
    UpdateResFile(ref);
    EXPECT_EQ(ioErr, ResError()) << failAfter;
    CloseResFile(ref);  // tries once more
    EXPECT_EQ(ioErr, ResError()) << failAfter;
    EXPECT_EQ(before, readBytes(temp_ / "prefs")) << failAfter;
    EXPECT_EQ(std::vector<std::string>{"prefs"}, temp_.entries()) << failAfter;
  }
  EXPECT_EQ(std::vector<std::string>(5, temp_ / "prefs: Input/output error"), gNotices);
  // A failed update whose retry at close succeeds leaves nothing to report.
  gNotices.clear();
  short ref = open();
  AddResource(handleWith({1}), kPref, 1, nullptr);
  UpdateResFile(ref);
  platformFailResourceWriteAfterBytes(-1);
  CloseResFile(ref);
  EXPECT_EQ(noErr, ResError());
  EXPECT_EQ(4u, readBack().resources.size());
  EXPECT_TRUE(gNotices.empty());
}

// String lists count from one; an index out of range, past the strings a
// damaged list holds, or a missing list gives the empty string. The search
// starts at the current file and goes down the chain.
TEST_F(ResourceManager, GetIndStringAndTheChainSearch) {
  writeFile();
  short lower = open(fsRdPerm);
  const std::tuple<short, short, const char*> cases[] = {{128, 1, "one"}, {128, 2, ""}, {128, 3, "three"},
                                                         {128, 0, ""},    {128, 4, ""}, {128, -1, ""},
                                                         {129, 1, "ok"},  {129, 2, ""}, {999, 1, ""}};
  for (const auto& [list, index, expected] : cases) {
    Str255 text;
    std::memset(text, 0x77, sizeof text);
    GetIndString(text, list, index);
    EXPECT_EQ(expected, std::string(reinterpret_cast<char*>(text + 1), text[0])) << list << "/" << index;
  }
  EXPECT_EQ(resNotFound, ResError());
  FSSpec upperSpec;
  platformFSSpecForPath(temp_ / "upper", &upperSpec);
  FSpCreateResFile(&upperSpec, 0, 0, 0);
  short upper = FSpOpenResFile(&upperSpec, fsCurPerm);
  EXPECT_EQ(upper, CurResFile());
  EXPECT_EQ(nullptr, Get1Resource(kSTR, 128));
  EXPECT_EQ(resNotFound, ResError());
  Handle found = GetResource(kSTR, 128);
  ASSERT_NE(nullptr, found);
  EXPECT_EQ(lower, HomeResFile(found));
  UseResFile(12345);
  EXPECT_EQ(resFNotFound, ResError());
  EXPECT_EQ(upper, CurResFile());
  // Closing the current file hands over to the one below it.
  CloseResFile(upper);
  EXPECT_EQ(lower, CurResFile());
  // A detached handle is the caller's and outlives the file.
  DetachResource(found);
  CloseResFile(lower);
  EXPECT_EQ(kResFileNotOpened, CurResFile());
  EXPECT_EQ(kForeign[1].data, Bytes(*found, *found + GetHandleSize(found)));
  DisposeHandle(found);
}

}  // namespace
