#include <sys/stat.h>

#include <cstring>

#include <gtest/gtest.h>

#include "platform/files/files.h"
#include "tests/platform/files/temp_dir.h"

namespace {

mode_t modeOf(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0;
}

struct PrefsCase {
  const char* label;
  const char* xdg;         // relative to the temp dir when it starts with '@'; nullptr unsets it
  const char* expected;    // folder under the temp dir
};

class FindPreferencesFolder : public ::testing::TestWithParam<PrefsCase> {};

TEST_P(FindPreferencesFolder, PicksAndMakesTheFolder) {
  TempDir temp;
  const PrefsCase& c = GetParam();
  std::string home = temp / "home";
  ASSERT_EQ(0, mkdir(home.c_str(), 0755));
  std::string xdg = c.xdg == nullptr ? "" : (c.xdg[0] == '@' ? temp / (c.xdg + 1) : c.xdg);
  ScopedEnv homeEnv("HOME", home.c_str());
  ScopedEnv xdgEnv("XDG_CONFIG_HOME", c.xdg == nullptr ? nullptr : xdg.c_str());

  short vRefNum = 0;
  long dirID = 0;
  ASSERT_EQ(noErr, FindFolder(kOnSystemDisk, kPreferencesFolderType, kDontCreateFolder, &vRefNum, &dirID));
  std::string found;
  ASSERT_TRUE(platformPathForDirID(dirID, &found));
  EXPECT_EQ(temp / c.expected, found);
  EXPECT_EQ(0700u, modeOf(found));
  // The same folder keeps its id.
  long again = 0;
  ASSERT_EQ(noErr, FindFolder(kOnSystemDisk, kPreferencesFolderType, kCreateFolder, &vRefNum, &again));
  EXPECT_EQ(dirID, again);
}

INSTANTIATE_TEST_SUITE_P(Env, FindPreferencesFolder,
                         ::testing::Values(PrefsCase{"absolute", "@xdg/deeper", "xdg/deeper"},
                                           PrefsCase{"relative", "relative/config", "home/.config"},
                                           PrefsCase{"empty", "", "home/.config"},
                                           PrefsCase{"unset", nullptr, "home/.config"}),
                         [](const auto& info) { return std::string(info.param.label); });

// The folder a host sets is the Preferences folder, made when missing, until
// it is cleared; a relative path changes nothing.
TEST(FindFolder, SetPreferencesFolderWinsOverTheEnvironmentUntilCleared) {
  TempDir temp;
  ScopedEnv xdgEnv("XDG_CONFIG_HOME", (temp / "xdg").c_str());
  ASSERT_TRUE(platformSetPreferencesFolder(temp / "private/"));
  EXPECT_FALSE(platformSetPreferencesFolder("relative"));
  std::vector<std::string> found;
  for (int pass = 0; pass < 2; ++pass) {
    short vRefNum = 0;
    long dirID = 0;
    std::string path;
    ASSERT_EQ(noErr, FindFolder(kOnSystemDisk, kPreferencesFolderType, kDontCreateFolder, &vRefNum, &dirID));
    ASSERT_TRUE(platformPathForDirID(dirID, &path));
    found.push_back(path);
    EXPECT_EQ(0700u, modeOf(path));
    ASSERT_TRUE(platformSetPreferencesFolder(""));
  }
  EXPECT_EQ((std::vector<std::string>{temp / "private", temp / "xdg"}), found);
}

TEST(FindFolder, ExistingFolderKeepsItsMode) {
  TempDir temp;
  std::string folder = temp / "cfg";
  ASSERT_EQ(0, mkdir(folder.c_str(), 0755));
  ScopedEnv xdgEnv("XDG_CONFIG_HOME", folder.c_str());
  long dirID = 0;
  short vRefNum = 0;
  ASSERT_EQ(noErr, FindFolder(kOnSystemDisk, kPreferencesFolderType, kDontCreateFolder, &vRefNum, &dirID));
  EXPECT_EQ(0755u, modeOf(folder));
}

TEST(FindFolder, OtherFolderTypesAndAFileInTheWayFail) {
  TempDir temp;
  writeBytes(temp / "file", {1});
  ScopedEnv xdgEnv("XDG_CONFIG_HOME", (temp / "file").c_str());
  short vRefNum = 0;
  long dirID = 0;
  EXPECT_EQ(fnfErr, FindFolder(kOnSystemDisk, kPreferencesFolderType, kCreateFolder, &vRefNum, &dirID));
  EXPECT_EQ(fnfErr, FindFolder(kOnSystemDisk, VM_FOURCC('t', 'r', 's', 'h'), kCreateFolder, &vRefNum, &dirID));
}

TEST(FSMakeFSSpec, FillsTheSpecForMissingAndExistingFiles) {
  TempDir temp;
  long dirID = platformDirIDForPath(temp.path());
  const unsigned char name[] = "\x0bzelph-Prefs";
  FSSpec spec;
  EXPECT_EQ(fnfErr, FSMakeFSSpec(0, dirID, name, &spec));
  EXPECT_EQ(dirID, spec.parID);
  EXPECT_EQ(0, std::memcmp(spec.name, name, 12));
  std::string path;
  ASSERT_TRUE(platformPathOfFSSpec(&spec, &path));
  EXPECT_EQ(temp / "zelph-Prefs", path);

  writeBytes(path, {});
  EXPECT_EQ(noErr, FSMakeFSSpec(0, dirID, name, &spec));
}

TEST(FSMakeFSSpec, RejectsBadNamesAndUnknownFolders) {
  TempDir temp;
  long dirID = platformDirIDForPath(temp.path());
  const char* badNames[] = {"\x00", "\x01.", "\x02..", "\x05a/b/c"};
  FSSpec spec;
  for (const char* name : badNames)
    EXPECT_EQ(bdNamErr, FSMakeFSSpec(0, dirID, reinterpret_cast<const unsigned char*>(name), &spec)) << name + 1;
  unsigned char tooLong[65] = {64};
  std::memset(tooLong + 1, 'a', 64);
  EXPECT_EQ(bdNamErr, FSMakeFSSpec(0, dirID, tooLong, &spec));
  EXPECT_EQ(dirNFErr, FSMakeFSSpec(0, 99999, reinterpret_cast<const unsigned char*>("\x01x"), &spec));
}

TEST(FSMakeFSSpec, NonAsciiNamesConvertFromMacRoman) {
  TempDir temp;
  FSSpec spec;
  ASSERT_EQ(fnfErr, platformFSSpecForPath(temp / "caf\xc3\xa9", &spec));  // "café" in UTF-8
  EXPECT_EQ(0, std::memcmp(spec.name, "\x04" "caf\x8e", 5));               // é is 0x8E in Mac OS Roman
  std::string path;
  ASSERT_TRUE(platformPathOfFSSpec(&spec, &path));
  EXPECT_EQ(temp / "caf\xc3\xa9", path);
}

}  // namespace
