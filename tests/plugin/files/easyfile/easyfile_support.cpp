#include "tests/plugin/files/easyfile/easyfile_support.h"

#include <gtest/gtest.h>

std::string Write(const TempDir& folder, const std::string& name, const std::string& bytes) {
  writeBytes(folder / name, std::vector<unsigned char>(bytes.begin(), bytes.end()));
  return folder / name;
}

std::string ReadAll(const std::string& path) {
  const std::vector<unsigned char> bytes = readBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

std::vector<unsigned char> PString(const std::string& text) {
  std::vector<unsigned char> result(1 + text.size());
  result[0] = static_cast<unsigned char>(text.size());
  std::copy(text.begin(), text.end(), result.begin() + 1);
  return result;
}

std::string FromPString(const unsigned char* text) {
  return std::string(reinterpret_cast<const char*>(text + 1), text[0]);
}

FSSpec SpecFor(const std::string& path) {
  FSSpec spec{};
  OSErr err = platformFSSpecForPath(path, &spec);
  EXPECT_TRUE(err == noErr || err == fnfErr) << path;
  return spec;
}

FSRef RefFor(const std::string& path) {
  FSRef ref{};
  EXPECT_TRUE(platformFSRefForPath(path, &ref));
  return ref;
}
