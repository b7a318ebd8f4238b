// The Preferences folder and FSSpecs.
#include "platform/files/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>

#include "tests/platform/files/temp_dir.h"

namespace {

mode_t modeOf(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0;
}

// FindFolder's Preferences folder (made when missing, even without asking)
// and its path.
OSErr preferencesFolder(long* dirID, std::string* path) {
  short vRefNum = 0;
  const OSErr err = FindFolder(kOnSystemDisk, kPreferencesFolderType, kDontCreateFolder, &vRefNum, dirID);
  if (err == noErr && !platformPathForDirID(*dirID, path)) ADD_FAILURE() << "no path for folder " << *dirID;
  return err;
}

const unsigned char* pstr(const std::string& s) { return reinterpret_cast<const unsigned char*>(s.data()); }

TEST(FindFolder, PreferencesFolderFollowsTheEnvironmentAndIsMadePrivate) {
  // XDG_CONFIG_HOME (under the temp dir when it starts with '@'; nullptr
  // unsets it), what is at "cfg" beforehand ('d' a folder of mode 0755, 'f'
  // a file): the error, the folder found under the temp dir and its mode.
  const std::tuple<const char*, char, OSErr, const char*, mode_t> cases[] = {
      {"@xdg/deeper", 0, noErr, "xdg/deeper", 0700}, {"relative/config", 0, noErr, "home/.config", 0700},
      {"", 0, noErr, "home/.config", 0700},          {nullptr, 0, noErr, "home/.config", 0700},
      {"@cfg", 'd', noErr, "cfg", 0755},             {"@cfg", 'f', fnfErr, "", 0}};
  for (const auto& [xdg, before, err, expected, mode] : cases) {
    SCOPED_TRACE(xdg == nullptr ? "unset" : xdg);
    TempDir temp;
    ASSERT_EQ(0, mkdir((temp / "home").c_str(), 0755));
    if (before == 'd') mkdir((temp / "cfg").c_str(), 0755);
    if (before == 'f') writeBytes(temp / "cfg", {1});
    setenv("HOME", (temp / "home").c_str(), 1);
    if (xdg == nullptr) unsetenv("XDG_CONFIG_HOME");
    else setenv("XDG_CONFIG_HOME", xdg[0] == '@' ? (temp / (xdg + 1)).c_str() : xdg, 1);
    long dirID = 0, again = 0;
    std::string found;
    ASSERT_EQ(err, preferencesFolder(&dirID, &found));
    if (err != noErr) continue;
    EXPECT_EQ(temp / expected, found);
    EXPECT_EQ(mode, modeOf(found));
    preferencesFolder(&again, &found);
    EXPECT_EQ(dirID, again) << "the same folder keeps its id";
  }
  short vRefNum = 0;
  long dirID = 0;
  EXPECT_EQ(fnfErr, FindFolder(kOnSystemDisk, VM_FOURCC('t', 'r', 's', 'h'), kCreateFolder, &vRefNum, &dirID));
}

// A folder the host sets wins over the environment until it is cleared; a
// relative one changes nothing.
TEST(FindFolder, SetPreferencesFolderWinsOverTheEnvironmentUntilCleared) {
  TempDir temp;
  setenv("XDG_CONFIG_HOME", (temp / "xdg").c_str(), 1);
  ASSERT_TRUE(platformSetPreferencesFolder(temp / "private/"));
  EXPECT_FALSE(platformSetPreferencesFolder("relative"));
  for (const std::string& expected : {temp / "private", temp / "xdg"}) {
    long dirID = 0;
    std::string path;
    ASSERT_EQ(noErr, preferencesFolder(&dirID, &path));
    EXPECT_EQ(expected, path);
    EXPECT_EQ(0700u, modeOf(path));
    ASSERT_TRUE(platformSetPreferencesFolder(""));
  }
}

TEST(FSMakeFSSpec, BadNamesAndFoldersFailAMissingFileStillGetsItsSpec) {
  TempDir temp;
  const long dirID = platformDirIDForPath(temp.path());
  FSSpec spec;
  for (const std::string& bad : {std::string(1, '\0'), std::string("\x01."), std::string("\x02.."),
                                 std::string("\x05" "a/b/c"), '\x40' + std::string(64, 'a')})
    EXPECT_EQ(bdNamErr, FSMakeFSSpec(0, dirID, pstr(bad), &spec)) << bad.substr(1);
  EXPECT_EQ(dirNFErr, FSMakeFSSpec(0, 99999, pstr("\x01x"), &spec));
  const unsigned char name[] = "\x0bzelph-Prefs";
  EXPECT_EQ(fnfErr, FSMakeFSSpec(0, dirID, name, &spec));
  std::string path;  // made of the FSSpec's folder and name
  ASSERT_TRUE(platformPathOfFSSpec(&spec, &path));
  EXPECT_EQ(temp / "zelph-Prefs", path);
  writeBytes(path, {});
  EXPECT_EQ(noErr, FSMakeFSSpec(0, dirID, name, &spec));
  // "café" in UTF-8; é is 0x8E in Mac OS Roman.
  ASSERT_EQ(fnfErr, platformFSSpecForPath(temp / "caf\xc3\xa9", &spec));
  EXPECT_EQ(0, std::memcmp(spec.name, "\x04" "caf\x8e", 5));
  ASSERT_TRUE(platformPathOfFSSpec(&spec, &path));
  EXPECT_EQ(temp / "caf\xc3\xa9", path);
}

}  // namespace
