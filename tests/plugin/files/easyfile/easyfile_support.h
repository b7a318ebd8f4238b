// Files and Pascal strings for the EasyFile tests.
#pragma once

#include <string>
#include <vector>

#include "plugin/files/easyfile/easy_file.h"
#include "tests/platform/files/temp_dir.h"

// Writes the bytes to a new file in `folder` and returns its path.
std::string Write(const TempDir& folder, const std::string& name, const std::string& bytes);
std::string ReadAll(const std::string& path);
// A short string of the text.
std::vector<unsigned char> PString(const std::string& text);
std::string FromPString(const unsigned char* text);
FSSpec SpecFor(const std::string& path);
FSRef RefFor(const std::string& path);
