// Conversions between the byte encodings the string stand-ins accept
// (Mac OS Roman, UTF-8) and the UTF-16 text they keep.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/corefoundation/cftypes.h"
#include "platform/macos/export.h"

VM_API_BEGIN

namespace vmstrings {

// The Unicode character of one Mac OS Roman byte (Apple's standard mapping;
// 0xDB is the euro sign, 0xF0 the Apple logo U+F8FF).
char16_t macRomanToUnicode(uint8_t byte);
// The Mac OS Roman byte of `ch`; false when it has no Mac OS Roman form.
bool unicodeToMacRoman(char16_t ch, uint8_t& byte);

// Appends the decoded text of `count` bytes to `out`. False (out unchanged)
// for an unsupported encoding or bytes that are not valid in it.
bool decodeBytes(const uint8_t* bytes, size_t count, CFStringEncoding encoding, std::u16string& out);
// Replaces `out` with the text in `encoding`. False for an unsupported
// encoding or a character that has no form in it.
bool encodeText(const std::u16string& text, CFStringEncoding encoding, std::string& out);

}  // namespace vmstrings

VM_API_END
