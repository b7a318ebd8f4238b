// Data-fork primitives and colon-separated paths.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>

#include "tests/plugin/files/easyfile/easyfile_support.h"

namespace {

constexpr OSType kText = VM_FOURCC('T', 'E', 'X', 'T');
constexpr OSType kCreator = VM_FOURCC('q', 'z', 't', ' ');

struct WriteCase {
  const char* label;
  std::string text;
  bool withReturn;
  std::string expected;
};

class Writing : public ::testing::TestWithParam<WriteCase> {};

TEST_P(Writing, WritesTheTextBytesWithoutTheLengthByte) {
  TempFolder folder;
  FSSpec spec = SpecFor(folder.File("out.txt"));
  short refNum = 0;
  pspRewrite(refNum, spec, kText, kCreator);
  ASSERT_NE(refNum, 0);
  std::vector<unsigned char> text = PString(GetParam().text);
  if (GetParam().withReturn)
    FileWriteLn(refNum, text.data());
  else
    FileWrite(refNum, text.data());
  ASSERT_EQ(FSClose(refNum), noErr);
  EXPECT_EQ(ReadAll(folder.File("out.txt")), GetParam().expected);
}

const std::string k255(255, 'x');

INSTANTIATE_TEST_SUITE_P(
    Texts, Writing,
    ::testing::Values(WriteCase{"line", "abc", true, std::string("abc\r")},
                      WriteCase{"emptyLine", "", true, std::string("\r")},
                      WriteCase{"fullLineLosesItsLastByte", k255, true, std::string(254, 'x') + "\r"},
                      WriteCase{"plain", "abc", false, "abc"},
                      WriteCase{"emptyWritesNothing", "", false, ""},
                      WriteCase{"full", k255, false, k255}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(Rewrite, ReplacesAnOldFileAndKeepsTypeAndCreator) {
  TempFolder folder;
  const std::string path = folder.Write("old.txt", "older contents");
  FSSpec spec = SpecFor(path);
  short refNum = 0;
  pspRewrite(refNum, spec, kText, kCreator);
  FileWrite(refNum, PString("new").data());
  FSClose(refNum);
  EXPECT_EQ(ReadAll(path), "new");
  OSType type = 0, creator = 0;
  ASSERT_EQ(platformGetFileTypeAndCreator(path.c_str(), &type, &creator), noErr);
  if (type == 0) GTEST_SKIP() << "no user extended attributes on /tmp";
  EXPECT_EQ(type, kText);
  EXPECT_EQ(creator, kCreator);
}

TEST(PascalOpen, WritesFromTheStartOverTheOldBytesOfAnExistingFile) {
  TempFolder folder;
  const std::string path = folder.Write("data", "123456");
  short refNum = 0;
  pspPascalOpenFile(refNum, SpecFor(path));
  ASSERT_NE(refNum, 0);
  FileWriteLn(refNum, PString("ab").data());
  FSClose(refNum);
  EXPECT_EQ(ReadAll(path), std::string("ab\r456"));
  // A missing file leaves no reference and is not made by writing.
  refNum = 77;
  pspPascalOpenFile(refNum, SpecFor(folder.File("missing")));
  EXPECT_EQ(refNum, 0);
  FileWriteLn(refNum, PString("abc").data());
  struct stat info;
  EXPECT_NE(stat(folder.File("missing").c_str(), &info), 0);
}

// "Velmorance:" followed by the folders of an absolute path, each with ":".
std::string ColonPath(const std::string& path) {
  std::string result = std::string(kVelmoranceVolumeName) + ":";
  for (size_t at = 1; at < path.size();) {
    size_t slash = path.find('/', at);
    if (slash == std::string::npos) slash = path.size();
    result += path.substr(at, slash - at) + ":";
    at = slash + 1;
  }
  return result;
}

TEST(FullPath, NamesTheVolumeThenEachFolderWithColons) {
  Str255 path;
  GetFullPath(fsRtDirID, kVelmoranceVolume, path);
  EXPECT_EQ(FromPString(path), "Velmorance:");

  TempFolder folder;
  mkdir(folder.File("Work").c_str(), 0700);
  GetFullPath(platformDirIDForPath(folder.File("Work")), kVelmoranceVolume, path);
  EXPECT_EQ(FromPString(path), ColonPath(folder.File("Work")));
  EXPECT_EQ(FromPString(path).substr(FromPString(path).size() - 5), "Work:");

  // A folder directly in the root: Disk:Work:
  GetFullPath(platformDirIDForPath("/tmp"), kVelmoranceVolume, path);
  EXPECT_EQ(FromPString(path), "Velmorance:tmp:");

  GetFullPath(99, kVelmoranceVolume, path);  // no such folder
  EXPECT_EQ(path[0], 0);
}

TEST(FullPath, IsCutTo255Characters) {
  TempFolder folder;
  std::string deep = folder.Path();
  for (int i = 0; i < 5; ++i) {
    deep += "/" + std::string(60, static_cast<char>('a' + i));
    mkdir(deep.c_str(), 0700);
  }
  Str255 path;
  GetFullPath(platformDirIDForPath(deep), kVelmoranceVolume, path);
  EXPECT_EQ(path[0], 255);
  EXPECT_EQ(FromPString(path), ColonPath(deep).substr(0, 255));
}

TEST(AppDirName, IsTheCurrentFoldersNameAndAColon) {
  TempFolder folder;
  mkdir(folder.File("Work").c_str(), 0700);
  char saved[PATH_MAX];
  ASSERT_NE(getcwd(saved, sizeof saved), nullptr);
  ASSERT_EQ(chdir(folder.File("Work").c_str()), 0);
  Str255 name;
  GetAppDirName(name);
  EXPECT_EQ(FromPString(name), "Work:");
  ASSERT_EQ(chdir("/"), 0);
  GetAppDirName(name);
  EXPECT_EQ(FromPString(name), "Velmorance:");
  ASSERT_EQ(chdir(saved), 0);
}

}  // namespace
