// The stored configuration in "zelph-Prefs", checked byte by byte through the
// Resource Manager in a private preferences folder per test.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

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
  // Rectangles are left, right, top, bottom, colours red, green, blue.
  auto put = [&](size_t offset, auto value) { std::memcpy(b.data() + offset, &value, sizeof value); };
  put(0, uint32_t{392}), put(4, uint32_t{3}), put(8, c.startRel), put(40, c.endRel);
  for (int n = 0; n < 6; ++n) put(72 + 6 * n, c.colors[n + 1]), put(108 + 2 * n, c.sliders[n + 1]);
  put(120, c.frameStartColor), put(126, c.frameEndColor), put(132, c.mediaType);
  b[134] = c.keepProps, b[135] = c.twoColors;
  const std::string misc = "\043Config save for qz/t iMovie plug-in";  // length 35
  std::memcpy(b.data() + 136, misc.data(), misc.size());
  return b;
}

class PrefsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("XDG_CONFIG_HOME", folder_.path().c_str(), 1);
    ResetConfig(&config_, true);
    gNotices.clear();
    platformSetResourceStoreNotice(recordNotice);
  }
  void TearDown() override { platformSetResourceStoreNotice(nullptr); }
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
  pluginDataRec config_{};
};

// Start-up stores the defaults as the one resource; a save of other values
// reads back into every mapped field and leaves the rest of the target alone.
TEST_F(PrefsTest, StartUpStoresTheDefaultsAndEveryFieldTravelsAtItsOffset) {
  pluginDataPtr master = &config_;
  InitMyPlugIn(&master);
  EXPECT_EQ(stored().resources, std::vector<ResourceRecord>{record(expectedRecord(config_))});
  // A ramp of bytes gives every stored field distinct values (the rectangles'
  // doubles all finite).
  for (size_t i = 0; i < sizeof config_; ++i) reinterpret_cast<uint8_t*>(&config_)[i] = static_cast<uint8_t>(i * 7 + 1);
  config_.keepProps = true;
  config_.twoColors = false;
  ASSERT_TRUE(SaveConfig(&config_));
  EXPECT_EQ(stored().resources, std::vector<ResourceRecord>{record(expectedRecord(config_))});
  pluginDataRec target;
  std::memset(&target, 0x5A, sizeof target);
  const pluginDataRec before = target;
  ASSERT_TRUE(ReadConfig(&target));
  EXPECT_EQ(expectedRecord(target), expectedRecord(config_));
  EXPECT_TRUE(target.sync == 0x5A && target.outside == 0x5A && target.clipActive == 0x5A &&
              target.theOriginalImage == before.theOriginalImage && target.theRendered == before.theRendered);
}

// Without the file, or its folder, nothing is read and nothing is made; a
// damaged record is not read.
TEST_F(PrefsTest, MissingFilesAndInvalidRecordsAreNotRead) {
  for (const std::string& folder : {folder_ / "absent", folder_.path()}) {
    setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    EXPECT_FALSE(SaveConfig(&config_) || ReadConfig(&config_));
    EXPECT_FALSE(std::filesystem::exists(folder + "/zelph-Prefs"));
  }
  const Bytes good = expectedRecord(config_);
  auto patched = [&](size_t at, auto value) {
    Bytes bytes = good;
    std::memcpy(bytes.data() + at, &value, sizeof value);
    return bytes;
  };
  // Its size in the other byte order, version 2, one byte short, a NaN and an
  // infinite edge.
  const Bytes damaged[] = {patched(0, __builtin_bswap32(392)), patched(4, uint32_t{2}),
                           Bytes(good.begin(), good.end() - 1), patched(8, std::nan("")), patched(64, HUGE_VAL)};
  config_.mediaType = 9;
  const pluginDataRec before = config_;
  for (const Bytes& data : damaged) {
    store({record(data)});
    EXPECT_FALSE(ReadConfig(&config_));
    EXPECT_EQ(std::memcmp(&config_, &before, sizeof before), 0);
  }
}

// A damaged file may hold the record twice: reading takes the first, saving
// leaves one and keeps the other resources.
TEST_F(PrefsTest, SaveKeepsOtherResourcesAndOneRecord) {
  const ResourceRecord note{VM_FOURCC('T', 'E', 'X', 'T'), 5, true, "note", 0, {'k', 'e', 'e', 'p'}},
      other{kPref, 2, false, "", 0, {9}};
  Bytes strong = expectedRecord(config_);
  strong[108] = 83;  // slider 1
  store({note, {kPref, 1, false, "", 0, strong}, other, {kPref, 1, false, "", 0, expectedRecord(config_)}});
  ASSERT_TRUE(ReadConfig(&config_));
  EXPECT_EQ(config_.sliders[1], 83);
  ASSERT_TRUE(SaveConfig(&config_));
  EXPECT_EQ(stored().resources, (std::vector<ResourceRecord>{note, other, record(strong)}));
}

// The file is read-only (with or without a record), or its write fails: the
// save fails, the file stays as it was, the reason is told once, and the
// configuration in memory is kept.
TEST_F(PrefsTest, AFailedSaveLeavesTheFileAndSaysWhy) {
  const std::tuple<UInt16, bool, long, std::string> cases[] = {{mapReadOnly, true, -1, "the file is marked read-only"},
                                                               {mapReadOnly, false, -1, "the file is marked read-only"},
                                                               {0, true, 100, "Input/output error"}};
  const Bytes defaults = expectedRecord(config_);  // slider 1 at 17
  for (const auto& [attributes, withRecord, failAfter, reason] : cases) {
    store(withRecord ? std::vector<ResourceRecord>{record(defaults)} : std::vector<ResourceRecord>{}, attributes);
    const Bytes before = readBytes(file_);
    gNotices.clear();
    config_.sliders[1] = 99;
    platformFailResourceWriteAfterBytes(failAfter);
    EXPECT_FALSE(SaveConfig(&config_));
    platformFailResourceWriteAfterBytes(-1);
    EXPECT_EQ(config_.sliders[1], 99);
    EXPECT_EQ(readBytes(file_), before);
    EXPECT_EQ(folder_.entries().size(), 1u);
    EXPECT_EQ(gNotices, std::vector<std::string>{file_ + ": " + reason});
  }
}

}  // namespace
