#include "platform/strings/encodings.h"

#include <array>

namespace vmstrings {
namespace {

// Bytes 0x80 to 0xFF; 0x00 to 0x7F are ASCII.
constexpr std::array<char16_t, 128> kMacRomanHigh = {
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1,  // 0x80
    0x00E0, 0x00E2, 0x00E4, 0x00E3, 0x00E5, 0x00E7, 0x00E9, 0x00E8,  // 0x88
    0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3,  // 0x90
    0x00F2, 0x00F4, 0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC,  // 0x98
    0x2020, 0x00B0, 0x00A2, 0x00A3, 0x00A7, 0x2022, 0x00B6, 0x00DF,  // 0xA0
    0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8,  // 0xA8
    0x221E, 0x00B1, 0x2264, 0x2265, 0x00A5, 0x00B5, 0x2202, 0x2211,  // 0xB0
    0x220F, 0x03C0, 0x222B, 0x00AA, 0x00BA, 0x03A9, 0x00E6, 0x00F8,  // 0xB8
    0x00BF, 0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x2206, 0x00AB,  // 0xC0
    0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5, 0x0152, 0x0153,  // 0xC8
    0x2013, 0x2014, 0x201C, 0x201D, 0x2018, 0x2019, 0x00F7, 0x25CA,  // 0xD0
    0x00FF, 0x0178, 0x2044, 0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02,  // 0xD8
    0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1,  // 0xE0
    0x00CB, 0x00C8, 0x00CD, 0x00CE, 0x00CF, 0x00CC, 0x00D3, 0x00D4,  // 0xE8
    0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9, 0x0131, 0x02C6, 0x02DC,  // 0xF0
    0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7,  // 0xF8
};

bool decodeUtf8(const uint8_t* bytes, size_t count, std::u16string& out) {
  std::u16string text;
  size_t i = 0;
  while (i < count) {
    const uint8_t lead = bytes[i];
    char32_t cp;
    size_t extra;
    char32_t minimum;
    if (lead < 0x80) {
      cp = lead, extra = 0, minimum = 0;
    } else if ((lead & 0xE0) == 0xC0) {
      cp = lead & 0x1F, extra = 1, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      cp = lead & 0x0F, extra = 2, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      cp = lead & 0x07, extra = 3, minimum = 0x10000;
    } else {
      return false;
    }
    if (count - i - 1 < extra) return false;
    for (size_t k = 1; k <= extra; ++k) {
      const uint8_t next = bytes[i + k];
      if ((next & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and values past Unicode are not UTF-8.
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      text.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      text.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      text.push_back(static_cast<char16_t>(cp));
    }
    i += extra + 1;
  }
  out += text;
  return true;
}

bool encodeUtf8(const std::u16string& text, std::string& out) {
  std::string bytes;
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      return false;  // a lone surrogate has no UTF-8 form
    }
    if (cp < 0x80) {
      bytes.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      bytes.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      bytes.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      bytes.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      bytes.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      bytes.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      bytes.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      bytes.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      bytes.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      bytes.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  out = std::move(bytes);
  return true;
}

}  // namespace

char16_t macRomanToUnicode(uint8_t byte) { return byte < 0x80 ? char16_t(byte) : kMacRomanHigh[byte - 0x80]; }

bool unicodeToMacRoman(char16_t ch, uint8_t& byte) {
  if (ch < 0x80) {
    byte = static_cast<uint8_t>(ch);
    return true;
  }
  for (size_t i = 0; i < kMacRomanHigh.size(); ++i) {
    if (kMacRomanHigh[i] == ch) {
      byte = static_cast<uint8_t>(0x80 + i);
      return true;
    }
  }
  return false;
}

bool decodeBytes(const uint8_t* bytes, size_t count, CFStringEncoding encoding, std::u16string& out) {
  if (count > 0 && bytes == nullptr) return false;
  switch (encoding) {
    case kCFStringEncodingMacRoman:
      for (size_t i = 0; i < count; ++i) out.push_back(macRomanToUnicode(bytes[i]));
      return true;
    case kCFStringEncodingUTF8:
      return decodeUtf8(bytes, count, out);
    default:
      return false;
  }
}

bool encodeText(const std::u16string& text, CFStringEncoding encoding, std::string& out) {
  switch (encoding) {
    case kCFStringEncodingMacRoman: {
      std::string bytes;
      bytes.reserve(text.size());
      for (char16_t ch : text) {
        uint8_t byte;
        if (!unicodeToMacRoman(ch, byte)) return false;
        bytes.push_back(static_cast<char>(byte));
      }
      out = std::move(bytes);
      return true;
    }
    case kCFStringEncodingUTF8:
      return encodeUtf8(text, out);
    default:
      return false;
  }
}

}  // namespace vmstrings
