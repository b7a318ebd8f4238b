// Any bytes as the preferences file, through the settings sequence the
// plug-in runs: ReadConfig, SaveConfig with every write failing, SaveConfig,
// ReadConfig. A failed save leaves the file byte for byte; a successful one
// leaves every other resource and the owner's header bytes, and exactly one
// record, which reads back as saved.
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "fuzz/fuzz_support.h"
#include "platform/memory/memory.h"
#include "platform/resources/atomic_file.h"
#include "tests/support/platform_faults.h"
#include "plugin/files/prefsloader.h"

namespace {

std::string gFolder;
std::string gFile;

std::vector<UInt8> fileBytes() {
  std::vector<UInt8> bytes;
  require(platformReadWholeFile(gFile, &bytes) == noErr);
  return bytes;
}

std::vector<UInt8> recordOf(pluginDataRec& config) {
  Handle record = NewHandleClear(sizeof(configSaveRec));
  require(Config2Save(&config, record));
  std::vector<UInt8> bytes(*record, *record + sizeof(configSaveRec));
  DisposeHandle(record);
  return bytes;
}

// The resources other than the stored record, each type's in file order.
std::vector<ResourceRecord> othersOf(const ResourceFileImage& image) {
  std::vector<ResourceRecord> others;
  for (const ResourceRecord& record : image.resources)
    if (record.type != cConfigResType || record.id != cConfigResID) others.push_back(record);
  std::stable_sort(others.begin(), others.end(), [](auto& a, auto& b) { return a.type < b.type; });
  return others;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // A private preferences folder, in memory where there is one.
  const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : P_tmpdir;
  std::string pattern = std::string(base) + "/vm-prefs-fuzz-XXXXXX";
  require(mkdtemp(pattern.data()) != nullptr);
  gFolder = pattern;
  gFile = gFolder + "/zelph-Prefs";
  setenv("XDG_CONFIG_HOME", gFolder.c_str(), 1);
  std::atexit([] { std::filesystem::remove_all(gFolder); });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<UInt8> before(data, data + size);
  require(platformWriteWholeFileAtomically(gFile, before, false) == noErr);

  pluginDataRec config{};
  config.startRel = config.endRel = {0.0, 1.0, 0.0, 1.0};
  config.sliders[1] = 17;
  config.mediaType = 1;
  ReadConfig(&config);

  platformFailResourceWriteAfterBytes(static_cast<long>(size % 512));
  require(!SaveConfig(&config));
  platformFailResourceWriteAfterBytes(-1);
  require(fileBytes() == before);

  config.sliders[1] = static_cast<int16_t>(config.sliders[1] + 1);
  if (!SaveConfig(&config)) {
    require(fileBytes() == before);
    return 0;
  }
  const ResourceFileImage old = parsedOrEmpty(before);
  bool parsed = false;
  const ResourceFileImage now = parsedOrEmpty(fileBytes(), &parsed);
  require(parsed && now.reserved == old.reserved && now.fileAttributes == old.fileAttributes);
  require(othersOf(now) == othersOf(old) && now.resources.size() == othersOf(old).size() + 1);
  pluginDataRec back{};
  require(ReadConfig(&back) && recordOf(back) == recordOf(config));
  return 0;
}
