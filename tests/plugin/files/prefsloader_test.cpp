// The stored configuration in "zelph-Prefs", checked byte by byte through the
// Resource Manager in a private preferences folder per test.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>

#include "platform/memory/memory.h"
#include "platform/resources/atomic_file.h"
#include "platform/resources/resources.h"
#include "plugin/core/bridges/plugin_init.h"
#include "plugin/core/data_handling.h"
#include "plugin/files/prefsloader.h"
#include "tests/platform/files/temp_dir.h"
#include "tests/support/platform_faults.h"

namespace {

using Bytes = std::vector<UInt8>;
constexpr ResType kPref = VM_FOURCC('P', 'r', 'e', 'f');

std::vector<std::string> gNotices;  // "path: reason", as the Resource Manager tells them
void recordNotice(const std::string& path, const std::string& reason) { gNotices.push_back(path + ": " + reason); }

// The 392-byte record of `c`, in this machine's byte order, field by field
// at the offsets the file format fixes.
Bytes expectedRecord(const pluginDataRec& c) {
  Bytes b(392, 0);
  auto put = [&](size_t offset, auto value) { std::memcpy(b.data() + offset, &value, sizeof value); };
  auto putRel = [&](size_t at, const relRect& r) {
    put(at, r.left), put(at + 8, r.right), put(at + 16, r.top), put(at + 24, r.bottom);
  };
  auto putRGB = [&](size_t at, const RGBColor& rgb) {
    put(at, rgb.red), put(at + 2, rgb.green), put(at + 4, rgb.blue);
  };
  put(0, uint32_t{392}), put(4, uint32_t{3}), putRel(8, c.startRel), putRel(40, c.endRel);
  for (int n = 0; n < 6; ++n) putRGB(72 + 6 * n, c.colors[n + 1]), put(108 + 2 * n, c.sliders[n + 1]);
  putRGB(120, c.frameStartColor), putRGB(126, c.frameEndColor), put(132, c.mediaType);
  b[134] = c.keepProps, b[135] = c.twoColors;
  const std::string misc = "\043Config save for qz/t iMovie plug-in";  // length 35
  std::memcpy(b.data() + 136, misc.data(), misc.size());
  return b;
}

class PrefsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("XDG_CONFIG_HOME", folder_.path().c_str(), 1);
    pNewConfig(config_);
    ResetConfig(config_, true);
    gNotices.clear();
    platformSetResourceStoreNotice(recordNotice);
  }
  void TearDown() override {
    platformSetResourceStoreNotice(nullptr);
    pDestroyConfig(config_);
  }
  ResourceFileImage stored() {
    ResourceFileImage image;
    EXPECT_EQ(parseResourceFile(readBytes(file_), &image), noErr);
    return image;
  }
  void store(const std::vector<ResourceRecord>& resources, UInt16 fileAttributes = 0) {
    Bytes bytes;
    ASSERT_TRUE(serializeResourceFile({fileAttributes, {}, resources}, &bytes));
    ASSERT_EQ(platformWriteWholeFileAtomically(file_, bytes, false), noErr);
  }
  ResourceRecord record(const Bytes& data) { return {kPref, 1, true, "Config Settings", 0, data}; }

  TempDir folder_;
  const std::string file_ = folder_ / "zelph-Prefs";
  pluginDataPtr config_ = nullptr;
};

// Start-up stores the defaults as the one resource; a save of other values
// reads back into every mapped field and leaves the rest of the target alone.
TEST_F(PrefsTest, StartUpStoresTheDefaultsAndEveryFieldTravelsAtItsOffset) {
  pluginDataPtr master = config_;
  InitMyPlugIn(&master);
  EXPECT_EQ(stored().resources, std::vector<ResourceRecord>{record(expectedRecord(*config_))});

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
  EXPECT_EQ(stored().resources, std::vector<ResourceRecord>{record(expectedRecord(*config_))});

  pluginDataPtr target = nullptr;
  pNewConfig(target);
  ResetConfig(target, true);
  target->sync = true;
  target->outside = false;
  target->clipActive = true;
  target->theOriginalImage = reinterpret_cast<CGImageRef>(0x10);
  target->theRendered = reinterpret_cast<CGImageRef>(0x20);
  ASSERT_TRUE(ReadConfig(target));
  EXPECT_EQ(expectedRecord(*target), expectedRecord(*config_));
  EXPECT_TRUE(target->sync && !target->outside && target->clipActive);
  EXPECT_EQ(target->theOriginalImage, reinterpret_cast<CGImageRef>(0x10));
  EXPECT_EQ(target->theRendered, reinterpret_cast<CGImageRef>(0x20));
  pDestroyConfig(target);
}

TEST_F(PrefsTest, InvalidRecordsAreRejected) {
  const Bytes good = expectedRecord(*config_);
  const double nan = std::nan(""), inf = INFINITY;
  // Other byte order, version 2, one byte short, a NaN and an infinite edge.
  const std::function<void(Bytes&)> damages[] = {
      [](auto& b) { std::reverse(b.begin(), b.begin() + 4), std::reverse(b.begin() + 4, b.begin() + 8); },
      [](auto& b) { b[4] = 2; },
      [](auto& b) { b.resize(391); },
      [&](auto& b) { std::memcpy(b.data() + 8, &nan, 8); },
      [&](auto& b) { std::memcpy(b.data() + 64, &inf, 8); },
  };
  config_->mediaType = 9;
  const pluginDataRec before = *config_;
  for (const auto& damage : damages) {
    Bytes data = good;
    damage(data);
    store({record(data)});
    EXPECT_FALSE(ReadConfig(config_));
    EXPECT_EQ(std::memcmp(config_, &before, sizeof before), 0);
  }
  store({record(good)});
  EXPECT_TRUE(ReadConfig(config_));
  EXPECT_EQ(config_->mediaType, 1);
}

// A damaged file may hold the record twice: reading takes the first, saving
// leaves one and keeps the other resources.
TEST_F(PrefsTest, SaveKeepsOtherResourcesAndOneRecord) {
  const ResourceRecord note{VM_FOURCC('T', 'E', 'X', 'T'), 5, true, "note", 0, {'k', 'e', 'e', 'p'}},
      other{kPref, 2, false, "", 0, {9}};
  Bytes strong = expectedRecord(*config_);
  strong[108] = 83;  // slider 1
  store({note, {kPref, 1, false, "", 0, strong}, other, {kPref, 1, false, "", 0, expectedRecord(*config_)}});
  ASSERT_TRUE(ReadConfig(config_));
  EXPECT_EQ(config_->sliders[1], 83);
  config_->sliders[1] = 17;
  ASSERT_TRUE(SaveConfig(config_));
  EXPECT_EQ(stored().resources, (std::vector<ResourceRecord>{note, other, record(expectedRecord(*config_))}));
}

// The file is read-only (with or without a record), or its write fails: the
// save fails, the file stays as it was, the reason is told once, and the
// configuration in memory is kept.
TEST_F(PrefsTest, AFailedSaveLeavesTheFileAndSaysWhy) {
  const std::tuple<UInt16, bool, long, std::string> cases[] = {{mapReadOnly, true, -1, "the file is marked read-only"},
                                                               {mapReadOnly, false, -1, "the file is marked read-only"},
                                                               {0, true, 100, "Input/output error"}};
  const Bytes defaults = expectedRecord(*config_);  // slider 1 at 17
  for (const auto& [attributes, withRecord, failAfter, reason] : cases) {
    store(withRecord ? std::vector<ResourceRecord>{record(defaults)} : std::vector<ResourceRecord>{}, attributes);
    const Bytes before = readBytes(file_);
    gNotices.clear();
    config_->sliders[1] = 99;
    platformFailResourceWriteAfterBytes(failAfter);
    EXPECT_FALSE(SaveConfig(config_));
    platformFailResourceWriteAfterBytes(-1);
    EXPECT_EQ(config_->sliders[1], 99);
    EXPECT_EQ(readBytes(file_), before);
    EXPECT_EQ(folder_.entries().size(), 1u);
    EXPECT_EQ(gNotices, std::vector<std::string>{file_ + ": " + reason});
    EXPECT_EQ(ReadConfig(config_), withRecord);
    EXPECT_EQ(config_->sliders[1], withRecord ? 17 : 99);
  }
}

TEST_F(PrefsTest, NothingIsCreatedWithoutTheFile) {
  EXPECT_FALSE(SaveConfig(config_));
  EXPECT_FALSE(ReadConfig(config_));
  EXPECT_TRUE(folder_.entries().empty());
  const std::string missing = folder_ / "absent";
  setenv("XDG_CONFIG_HOME", missing.c_str(), 1);
  EXPECT_FALSE(SaveConfig(config_));
  EXPECT_FALSE(ReadConfig(config_));
  EXPECT_FALSE(std::filesystem::exists(missing + "/zelph-Prefs"));
}

}  // namespace
