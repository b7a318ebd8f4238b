// Data-fork primitives and colon-separated paths.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/plugin/files/easyfile/easyfile_support.h"

namespace {

constexpr OSType kText = VM_FOURCC('T', 'E', 'X', 'T');
constexpr OSType kCreator = VM_FOURCC('q', 'z', 't', ' ');

// Each text written to a new file, over an older one: the text's bytes
// without the length byte, a line ending in a carriage return.
TEST(Rewrite, WritesTheTextBytesWithoutTheLengthByte) {
  const std::string k255(255, 'x');
  const struct {
    std::string text;
    bool withReturn;
    std::string expected;
  } cases[] = {{"abc", true, "abc\r"}, {"", true, "\r"}, {k255, true, std::string(254, 'x') + "\r"},
               {"abc", false, "abc"},  {"", false, ""},  {k255, false, k255}};
  TempDir folder;
  const std::string path = Write(folder, "out.txt", "older contents");
  for (const auto& c : cases) {
    short refNum = 0;
    pspRewrite(refNum, SpecFor(path), kText, kCreator);
    ASSERT_NE(refNum, 0);
    (c.withReturn ? FileWriteLn : FileWrite)(refNum, PString(c.text).data());
    ASSERT_EQ(FSClose(refNum), noErr);
    EXPECT_EQ(ReadAll(path), c.expected) << c.text.size() << (c.withReturn ? " with return" : "");
  }
  OSType type = 0, creator = 0;
  ASSERT_EQ(platformGetFileTypeAndCreator(path.c_str(), &type, &creator), noErr);
  if (type == 0) GTEST_SKIP() << "no user extended attributes on /tmp";
  EXPECT_EQ(type, kText);
  EXPECT_EQ(creator, kCreator);
}

TEST(PascalOpen, WritesFromTheStartOverTheOldBytesOfAnExistingFile) {
  TempDir folder;
  const std::string path = Write(folder, "data", "123456");
  short refNum = 0;
  pspPascalOpenFile(refNum, SpecFor(path));
  ASSERT_NE(refNum, 0);
  FileWriteLn(refNum, PString("ab").data());
  FSClose(refNum);
  EXPECT_EQ(ReadAll(path), std::string("ab\r456"));
  // A missing file leaves no reference and is not made by writing.
  refNum = 77;
  pspPascalOpenFile(refNum, SpecFor(folder / "missing"));
  EXPECT_EQ(refNum, 0);
  FileWriteLn(refNum, PString("abc").data());
  EXPECT_FALSE(std::filesystem::exists(folder / "missing"));
}

// "Velmorance:" followed by the folders of an absolute path, each with ":".
std::string ColonPath(const std::string& path) {
  std::string result = std::string(kVelmoranceVolumeName) + ":";
  for (const auto& part : std::filesystem::path(path).relative_path()) result += part.string() + ":";
  return result;
}

std::string FullPath(const std::string& folder) {
  Str255 path;
  GetFullPath(platformDirIDForPath(folder), kVelmoranceVolume, path);
  return FromPString(path);
}

TEST(FullPath, NamesTheVolumeThenEachFolderWithColonsCutTo255AndTheAppFolder) {
  Str255 path;
  GetFullPath(fsRtDirID, kVelmoranceVolume, path);
  EXPECT_EQ(FromPString(path), "Velmorance:");
  GetFullPath(99, kVelmoranceVolume, path);  // no such folder
  EXPECT_EQ(path[0], 0);
  EXPECT_EQ(FullPath("/tmp"), "Velmorance:tmp:");  // Disk:Work:

  TempDir folder;
  std::string deep = folder / "Work";
  std::filesystem::create_directory(deep);
  EXPECT_EQ(FullPath(deep), ColonPath(deep));
  EXPECT_TRUE(FullPath(deep).ends_with(":Work:"));
  // The current folder's name alone, or the volume's at the root.
  const auto saved = std::filesystem::current_path();
  for (const auto& [where, expected] : {std::pair{deep, "Work:"}, {std::string("/"), "Velmorance:"}}) {
    std::filesystem::current_path(where);
    GetAppDirName(path);
    EXPECT_EQ(FromPString(path), expected);
  }
  std::filesystem::current_path(saved);
  for (int i = 0; i < 5; ++i) std::filesystem::create_directory(deep += "/" + std::string(60, char('a' + i)));
  EXPECT_EQ(FullPath(deep), ColonPath(deep).substr(0, 255));
}

}  // namespace
