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
const ResType kOdd = VM_FOURCC('z', 'z', 'z', '!');

Handle handleWith(const Bytes& bytes) {
  Handle h = NewHandle(static_cast<Size>(bytes.size()));
  std::memcpy(*h, bytes.data(), bytes.size());
  return h;
}

Bytes bytesOf(Handle h) { return Bytes(*h, *h + GetHandleSize(h)); }

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

  // A file that another program wrote: a resource we never touch, with a
  // name and attributes, a string list, and bytes of its own in the header.
  void writeForeignFile(UInt16 fileAttributes = 0, std::vector<ResourceRecord> resources = {
        {kOdd, -4000, true, "keep \xA5 me", resPurgeable | resLocked, {9, 8, 7, 6, 5}},
        {kSTR, 128, false, "", 0, {0, 3, 3, 'o', 'n', 'e', 0, 5, 't', 'h', 'r', 'e', 'e'}},
        {kSTR, 129, false, "", 0, {0, 5, 2, 'o', 'k', 4, 'c', 'u'}},  // claims five strings, holds one
    }) {
    ResourceFileImage image;
    image.fileAttributes = fileAttributes;
    image.resources = std::move(resources);
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

  TempDir temp_;
  FSSpec spec_;
};

TEST_F(ResourceManager, OpensOnlyRegularFilesOfResourceFileSize) {
  const std::string path = temp_ / "prefs";
  Bytes huge;  // holds together, but is too large for a resource file
  ResourceFileImage image;
  image.resources = {{kPref, 1, false, "", 0, Bytes(kMaxResourceFileSize)}};
  ASSERT_TRUE(serializeResourceFile(image, &huge));
  // Missing, damaged, a pipe and a device (neither may be waited on), a folder, too large.
  const std::pair<std::function<void()>, OSErr> cases[] = {
      {[] {}, fnfErr},
      {[&] { writeBytes(path, {1, 2, 3}); }, mapReadErr},
      {[&] { mkfifo(path.c_str(), 0600); }, ioErr},
      {[&] { std::filesystem::create_symlink("/dev/zero", path); }, ioErr},
      {[&] { std::filesystem::create_directory(path); }, ioErr},
      {[&] { writeBytes(path, huge); }, mapReadErr},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    std::filesystem::remove_all(path);
    cases[i].first();
    EXPECT_EQ(kResFileNotOpened, FSpOpenResFile(&spec_, fsCurPerm)) << i;
    EXPECT_EQ(cases[i].second, ResError()) << i;
  }
}

TEST_F(ResourceManager, CreateNeverReplacesAFile) {
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
  EXPECT_EQ(Bytes(240, 0x5E), Bytes(image.reserved.begin(), image.reserved.end()));
}

// Dotfile managers keep such files as links into a folder of their own.
TEST_F(ResourceManager, WritesThroughASymbolicLink) {
  writeForeignFile();
  std::filesystem::create_directory(temp_ / "dots");
  std::filesystem::rename(temp_ / "prefs", temp_ / "dots/real");
  std::filesystem::create_symlink("dots/real", temp_ / "prefs");
  short ref = FSpOpenResFile(&spec_, fsCurPerm);
  AddResource(handleWith({7}), kPref, 1, nullptr);
  CloseResFile(ref);
  ASSERT_EQ(noErr, ResError());
  EXPECT_EQ(Bytes{7}, readBack().resources[3].data);
  // A link whose target is gone: creating makes the target.
  std::filesystem::remove(temp_ / "dots/real");
  FSpCreateResFile(&spec_, 0, kPref, 0);
  EXPECT_EQ(noErr, ResError());
  EXPECT_TRUE(std::filesystem::is_symlink(temp_ / "prefs"));
  EXPECT_EQ(std::vector<std::string>{"real"}, TempDir::entriesOf(temp_ / "dots"));
  EXPECT_EQ(2u, temp_.entries().size());
}

TEST_F(ResourceManager, DuplicatesAreFoundInFileOrder) {
  writeForeignFile(0, {{kPref, 1, false, "", 0, {83}}, {kPref, 1, false, "", 0, {17}}});
  FSpOpenResFile(&spec_, fsCurPerm);
  for (UInt8 expected : {83, 17}) {
    Handle found = Get1Resource(kPref, 1);
    ASSERT_NE(nullptr, found);
    EXPECT_EQ(Bytes{expected}, bytesOf(found));
    RemoveResource(found);
    DisposeHandle(found);
  }
  EXPECT_EQ(nullptr, Get1Resource(kPref, 1));
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

struct ReadOnlyCase {
  SInt8 permission;
  UInt16 fileAttributes;
  const char* reason;
};
class ReadOnlyFile : public ResourceManager, public ::testing::WithParamInterface<ReadOnlyCase> {};

TEST_P(ReadOnlyFile, RefusesChangesAndSaysSoAtClose) {
  writeForeignFile(GetParam().fileAttributes);
  Bytes before = readBytes(temp_ / "prefs");
  short ref = FSpOpenResFile(&spec_, GetParam().permission);
  ASSERT_NE(kResFileNotOpened, ref);
  Handle data = handleWith({1});
  AddResource(data, kPref, 1, nullptr);
  EXPECT_EQ(wrPermErr, ResError());
  RemoveResource(Get1Resource(kSTR, 128));
  EXPECT_EQ(wrPermErr, ResError());
  EXPECT_TRUE(gNotices.empty());
  CloseResFile(ref);
  EXPECT_EQ(before, readBytes(temp_ / "prefs"));
  EXPECT_EQ(std::vector<std::string>{temp_ / "prefs: " + GetParam().reason}, gNotices);
  DisposeHandle(data);
}

// Read permission asked for, or a map marked read-only.
INSTANTIATE_TEST_SUITE_P(Files, ReadOnlyFile,
                         ::testing::Values(ReadOnlyCase{fsRdPerm, 0, "the file is open for reading only"},
                                           ReadOnlyCase{fsCurPerm, mapReadOnly, "the file is marked read-only"}));

TEST_F(ResourceManager, AFailedWriteLeavesTheOldFileAndNoTemporary) {
  writeForeignFile();
  const Bytes before = readBytes(temp_ / "prefs");
  // The new file is 64 bytes longer (data, type entry, reference); failing
  // at that count writes everything and fails as a failed flush would.
  const long whole = static_cast<long>(before.size()) + 64;
  for (long failAfter : {0L, 7L, 256L, 300L, whole}) {
    short ref = FSpOpenResFile(&spec_, fsCurPerm);
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
  short ref = FSpOpenResFile(&spec_, fsCurPerm);
  AddResource(handleWith({1}), kPref, 1, nullptr);
  UpdateResFile(ref);
  platformFailResourceWriteAfterBytes(-1);
  CloseResFile(ref);
  EXPECT_EQ(noErr, ResError());
  EXPECT_EQ(4u, readBack().resources.size());
  EXPECT_TRUE(gNotices.empty());
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
