// The plug-in's texts are Mac OS Roman; the terminal wants UTF-8.
#pragma once

#include <string>

namespace vmhost {

// Converts Mac OS Roman text to UTF-8; bytes below 0x80 are ASCII and stay.
std::string macRomanToUtf8(const std::string& text);

}  // namespace vmhost
