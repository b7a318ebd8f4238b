// The stored configuration in "zelph-Prefs", checked byte by byte through the
// Resource Manager in a private preferences folder per test.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>

#include "platform/memory/memory.h"
#include "platform/resources/atomic_file.h"
#include "platform/resources/resources.h"
#include "plugin/core/bridges/plugin_init.h"
#include "plugin/core/data_handling.h"
#include "plugin/files/prefsloader.h"
#include "tests/support/platform_faults.h"

namespace {

namespace fs = std::filesystem;
constexpr ResType kPref = VM_FOURCC('P', 'r', 'e', 'f');
constexpr ResType kText = VM_FOURCC('T', 'E', 'X', 'T');

std::vector<std::string> gNotices;  // "path: reason", as the Resource Manager tells them
void recordNotice(const std::string& path, const std::string& reason) { gNotices.push_back(path + ": " + reason); }

class PrefsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char folder[] = "/tmp/vm-prefs-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    folder_ = folder;
    setenv("XDG_CONFIG_HOME", folder, 1);
    file_ = folder_ / "zelph-Prefs";
    pNewConfig(config_);
    ResetConfig(config_, true);
    gNotices.clear();
    platformSetResourceStoreNotice(recordNotice);
  }
  void TearDown() override {
    platformSetResourceStoreNotice(nullptr);
    pDestroyConfig(config_);
    fs::remove_all(folder_);
  }
  // The file's resources as stored.
  ResourceFileImage stored() {
    ResourceFileImage image;
    EXPECT_EQ(parseResourceFile(fileBytes(), &image), noErr);
    return image;
  }
  // Writes a file holding `resources`.
  void store(const std::vector<ResourceRecord>& resources, UInt16 fileAttributes = 0) {
    ResourceFileImage image;
    image.resources = resources;
    image.fileAttributes = fileAttributes;
    std::vector<UInt8> bytes;
    ASSERT_TRUE(serializeResourceFile(image, &bytes));
    ASSERT_EQ(platformWriteWholeFileAtomically(file_.string(), bytes, false), noErr);
  }
  std::vector<UInt8> fileBytes() {
    std::vector<UInt8> bytes;
    EXPECT_EQ(platformReadWholeFile(file_.string(), &bytes), noErr);
    return bytes;
  }
  std::vector<UInt8> savedRecord() {
    Handle h = NewHandleClear(sizeof(configSaveRec));
    EXPECT_TRUE(Config2Save(config_, h));
    std::vector<UInt8> bytes(*h, *h + sizeof(configSaveRec));
    DisposeHandle(h);
    return bytes;
  }

  fs::path folder_;
  fs::path file_;
  pluginDataPtr config_ = nullptr;
};

TEST_F(PrefsTest, StartUpStoresTheDefaults) {
  pluginDataPtr master = config_;
  InitMyPlugIn(&master);
  const short refNum = platformOpenResFileAtPath(file_.string(), fsRdPerm);
  ASSERT_NE(refNum, -1);
  Handle h = Get1Resource(kPref, 1);
  ASSERT_NE(h, nullptr);
  short id = 0;
  ResType type = 0;
  Str255 name;
  GetResInfo(h, &id, &type, name);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(name + 1), name[0]), "Config Settings");
  ASSERT_EQ(GetHandleSize(h), 392);
  const std::vector<UInt8> bytes(*h, *h + 392);
  CloseResFile(refNum);
  EXPECT_EQ(stored().resources.size(), 1u);

  // Native byte order inside the record; colours before sliders.
  std::vector<UInt8> expected(392, 0);
  auto put = [&](size_t offset, auto value) { std::memcpy(expected.data() + offset, &value, sizeof value); };
  put(0, uint32_t{392});
  put(4, uint32_t{3});
  for (size_t rect : {8, 40}) put(rect + 8, 1.0), put(rect + 24, 1.0);
  put(76, uint16_t{65535});                                                      // colour 1 blue
  put(78, uint16_t{65535}), put(80, uint16_t{65535}), put(82, uint16_t{65535});  // colour 2 white
  put(108, int16_t{17});                                                         // slider 1
  put(120, uint16_t{65535});                                                     // frame start colour red
  put(132, int16_t{1});
  expected[135] = 1;  // twoColors
  const std::string misc = "\x23" "Config save for qz/t iMovie plug-in";
  std::memcpy(expected.data() + 136, misc.data(), misc.size());
  EXPECT_EQ(bytes, expected);
}

TEST_F(PrefsTest, RoundTripKeepsEveryMappedField) {
  store({});
  config_->startRel = {0.125, 0.875, 0.25, 0.75};
  config_->endRel = {0.5, 0.625, 0.0625, 1.0};
  for (int i = 1; i <= 6; ++i) {
    config_->sliders[i] = static_cast<int16_t>(i * 11 - 40);
    config_->colors[i] = {static_cast<uint16_t>(i), static_cast<uint16_t>(i * 1000), static_cast<uint16_t>(65535 - i)};
  }
  config_->frameStartColor = {1, 2, 3};
  config_->frameEndColor = {4, 5, 6};
  config_->mediaType = 3;
  config_->keepProps = true;
  config_->twoColors = false;
  ASSERT_TRUE(SaveConfig(config_));

  pluginDataPtr target = nullptr;
  pNewConfig(target);
  ResetConfig(target, true);
  target->sync = true;
  target->outside = false;
  target->clipActive = true;
  target->theOriginalImage = reinterpret_cast<CGImageRef>(0x10);
  target->theRendered = reinterpret_cast<CGImageRef>(0x20);
  ASSERT_TRUE(ReadConfig(target));
  EXPECT_EQ(std::memcmp(&target->startRel, &config_->startRel, sizeof(relRect)), 0);
  EXPECT_EQ(std::memcmp(&target->endRel, &config_->endRel, sizeof(relRect)), 0);
  EXPECT_EQ(std::memcmp(target->sliders, config_->sliders, sizeof target->sliders), 0);
  EXPECT_EQ(std::memcmp(target->colors, config_->colors, sizeof target->colors), 0);
  EXPECT_EQ(std::memcmp(&target->frameStartColor, &config_->frameStartColor, 12), 0);
  // mediaType, keepProps and twoColors from the file; sync, outside and
  // clipActive are the target's own.
  EXPECT_EQ((std::vector<int>{target->mediaType, target->keepProps, target->twoColors, target->sync, target->outside,
                              target->clipActive}),
            (std::vector<int>{3, true, false, true, false, true}));
  EXPECT_EQ(target->theOriginalImage, reinterpret_cast<CGImageRef>(0x10));
  EXPECT_EQ(target->theRendered, reinterpret_cast<CGImageRef>(0x20));
  pDestroyConfig(target);
}

TEST_F(PrefsTest, InvalidRecordsAreRejected) {
  const auto good = savedRecord();
  const double nan = std::nan(""), inf = INFINITY;
  // Other byte order, version 2, one byte short, a NaN and an infinite edge.
  const std::function<void(std::vector<UInt8>&)> damages[] = {
      [](auto& b) { std::reverse(b.begin(), b.begin() + 4), std::reverse(b.begin() + 4, b.begin() + 8); },
      [](auto& b) { b[4] = 2; },
      [](auto& b) { b.resize(391); },
      [&](auto& b) { std::memcpy(b.data() + 8, &nan, 8); },
      [&](auto& b) { std::memcpy(b.data() + 64, &inf, 8); },
  };
  for (const auto& damage : damages) {
    auto data = good;
    damage(data);
    store({ResourceRecord{kPref, 1, true, "Config Settings", 0, data}});
    pluginDataRec before = *config_;
    config_->mediaType = 9;
    before.mediaType = 9;
    EXPECT_FALSE(ReadConfig(config_));
    EXPECT_EQ(std::memcmp(config_, &before, sizeof before), 0);
  }
  store({ResourceRecord{kPref, 1, true, "Config Settings", 0, good}});
  config_->mediaType = 9;
  EXPECT_TRUE(ReadConfig(config_));
  EXPECT_EQ(config_->mediaType, 1);
}

// A damaged file may hold the record twice: reading takes the first, saving
// leaves one.
TEST_F(PrefsTest, SaveKeepsOtherResourcesAndOneRecord) {
  const std::vector<UInt8> note{'k', 'e', 'e', 'p'};
  auto strong = savedRecord();
  strong[108] = 83;  // slider 1
  store({ResourceRecord{kText, 5, true, "note", 0, note}, ResourceRecord{kPref, 1, false, "", 0, strong},
         ResourceRecord{kPref, 2, false, "", 0, {9}}, ResourceRecord{kPref, 1, false, "", 0, savedRecord()}});
  ASSERT_TRUE(ReadConfig(config_));
  EXPECT_EQ(config_->sliders[1], 83);
  config_->sliders[1] = 17;
  ASSERT_TRUE(SaveConfig(config_));
  const ResourceFileImage image = stored();
  ASSERT_EQ(image.resources.size(), 3u);
  int prefOne = 0;
  for (const ResourceRecord& r : image.resources) {
    if (r.type == kText) {
      EXPECT_TRUE(r.id == 5 && r.name == "note" && r.data == note);
    } else if (r.type == kPref && r.id == 2) {
      EXPECT_EQ(r.data, std::vector<UInt8>{9});
    }
    if (r.type == kPref && r.id == 1) {
      ++prefOne;
      EXPECT_EQ(r.name, "Config Settings");
      EXPECT_EQ(r.data, savedRecord());
    }
  }
  EXPECT_EQ(prefOne, 1);
}

// The file is read-only (with or without a record), or its write fails: the
// save fails, the file stays as it was, the reason is told once, and the
// configuration in memory is kept.
TEST_F(PrefsTest, AFailedSaveLeavesTheFileAndSaysWhy) {
  const struct {
    UInt16 attributes;
    bool withRecord;
    long failAfter;
    const char* reason;
  } cases[] = {{mapReadOnly, true, -1, "the file is marked read-only"},
               {mapReadOnly, false, -1, "the file is marked read-only"},
               {0, true, 100, "Input/output error"}};
  const auto record = savedRecord();  // slider 1 at 17
  for (const auto& c : cases) {
    store(c.withRecord ? std::vector<ResourceRecord>{{kPref, 1, true, "Config Settings", 0, record}}
                       : std::vector<ResourceRecord>{},
          c.attributes);
    const std::vector<UInt8> before = fileBytes();
    gNotices.clear();
    config_->sliders[1] = 99;
    platformFailResourceWriteAfterBytes(c.failAfter);
    EXPECT_FALSE(SaveConfig(config_));
    platformFailResourceWriteAfterBytes(-1);
    EXPECT_EQ(config_->sliders[1], 99);
    EXPECT_EQ(fileBytes(), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 1);
    EXPECT_EQ(gNotices, std::vector<std::string>{file_.string() + ": " + c.reason});
    EXPECT_EQ(ReadConfig(config_), c.withRecord);
    EXPECT_EQ(config_->sliders[1], c.withRecord ? 17 : 99);
  }
}

TEST_F(PrefsTest, NothingIsCreatedWithoutTheFile) {
  EXPECT_FALSE(SaveConfig(config_));
  EXPECT_FALSE(ReadConfig(config_));
  EXPECT_TRUE(fs::is_empty(folder_));
  const std::string missing = (folder_ / "absent").string();
  setenv("XDG_CONFIG_HOME", missing.c_str(), 1);
  EXPECT_FALSE(SaveConfig(config_));
  EXPECT_FALSE(ReadConfig(config_));
  EXPECT_FALSE(fs::exists(missing + "/zelph-Prefs"));
}

}  // namespace
