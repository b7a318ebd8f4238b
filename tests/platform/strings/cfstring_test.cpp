#include "platform/strings/cfstring.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Owned = CFOwner<CFStringRef>;

Owned fromMacRoman(const std::string& bytes) {
  return Owned(CFStringCreateWithBytes(kCFAllocatorDefault, reinterpret_cast<const UInt8*>(bytes.data()),
                                       static_cast<CFIndex>(bytes.size()), kCFStringEncodingMacRoman, false));
}
Owned fromUtf8(const std::string& text) { return Owned(CFStringCreateWithCString(nullptr, text.c_str(), kCFStringEncodingUTF8)); }

// Each byte's character; encoding them back: AllBytesRoundTripAndAreDistinct.
TEST(CFStringMacRoman, KnownBytesDecode) {
  const std::pair<UInt8, const char*> cases[] = {
      {0x41, "A"},      {0x80, "\u00C4"}, {0xA5, "\u2022"}, {0xBD, "\u03A9"}, {0xC6, "\u2206"}, {0xCA, "\u00A0"},
      {0xD7, "\u25CA"}, {0xDB, "\u20AC"}, {0xDE, "\uFB01"}, {0xF0, "\uF8FF"}, {0xF5, "\u0131"}, {0xFF, "\u02C7"},
      {0x7F, "\x7F"}};
  for (const auto& [byte, utf8] : cases) {
    EXPECT_EQ(CFStringToUTF8(fromMacRoman(std::string(1, static_cast<char>(byte))).get()), utf8) << int{byte};
  }
}

TEST(CFStringMacRoman, AllBytesRoundTripAndAreDistinct) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  Owned s = fromMacRoman(all);
  ASSERT_EQ(CFStringGetLength(s.get()), 256);
  // Through UTF-8 and back: every byte keeps its own character.
  const std::string utf8 = CFStringToUTF8(s.get());
  Owned viaUtf8(CFStringCreateWithBytes(kCFAllocatorDefault, reinterpret_cast<const UInt8*>(utf8.data()),
                                        static_cast<CFIndex>(utf8.size()), kCFStringEncodingUTF8, false));
  ASSERT_NE(viaUtf8, nullptr);
  EXPECT_TRUE(CFStringCompareEqual(s.get(), viaUtf8.get()));
  char out[258];
  ASSERT_FALSE(CFStringGetCString(viaUtf8.get(), out, 256, kCFStringEncodingMacRoman));  // 256 + zero > 256
  // Byte 0 ends a C string, so compare the upper 255 through a Pascal string.
  Str255 p;
  ASSERT_TRUE(CFStringGetPascalString(fromMacRoman(all.substr(1)).get(), p, sizeof p, kCFStringEncodingMacRoman));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(p), 256), std::string(1, '\xFF') + all.substr(1));
}

// No Roman form, invalid UTF-8, or no room: no string.
TEST(CFStringConversions, FailWhereTheTextDoesNotFit) {
  for (const char* text : {"\u20AD", "a\u0394b", "\U0001F600", "\u00A4"}) {
    SCOPED_TRACE(text);
    Str255 p = {3, 'x', 'y', 'z'};
    EXPECT_FALSE(CFStringGetPascalString(fromUtf8(text).get(), p, sizeof p, kCFStringEncodingMacRoman));
    char c[16];
    EXPECT_FALSE(CFStringGetCString(fromUtf8(text).get(), c, sizeof c, kCFStringEncodingMacRoman));
  }
  for (const char* bad : {"\xC0\xAF", "\xE0\x80\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80", "ab\xC3", "\x80"})
    EXPECT_EQ(fromUtf8(bad), nullptr);
  Owned s300 = fromMacRoman(std::string(300, 'q')), s255 = fromMacRoman(std::string(255, 'q'));
  Str255 p;
  EXPECT_FALSE(CFStringGetPascalString(s300.get(), p, sizeof p, kCFStringEncodingMacRoman));
  EXPECT_TRUE(CFStringGetPascalString(s255.get(), p, sizeof p, kCFStringEncodingMacRoman));
  EXPECT_EQ(p[0], 255);
  EXPECT_FALSE(CFStringGetPascalString(s255.get(), p, 255, kCFStringEncodingMacRoman));
  EXPECT_FALSE(CFStringGetPascalString(nullptr, p, sizeof p, kCFStringEncodingMacRoman));
}

// Lengths count UTF-16 units; literals are interned and immortal; a copy
// shares the immutable text.
TEST(CFStringLifetime, LengthsLiteralsAndCopies) {
  Owned mixed = fromUtf8("a\u00E9\U0001F600");
  EXPECT_EQ(CFStringGetLength(mixed.get()), 4);
  EXPECT_EQ(CFStringToUTF8(mixed.get()), "a\u00E9\U0001F600");
  CFStringRef a = CFSTR("Sldr");
  EXPECT_EQ(a, CFSTR("Sldr"));
  EXPECT_NE(a, CFSTR("Sldx"));
  CFRelease(a);
  CFRelease(a);
  EXPECT_EQ(CFStringToUTF8(CFSTR("Sldr")), "Sldr");
  CFStringRef s = CFStringCreateWithCString(kCFAllocatorDefault, "abc", kCFStringEncodingUTF8);
  CFStringRef copy = CFStringCreateCopy(kCFAllocatorDefault, s);
  EXPECT_EQ(CFGetRetainCount(s), 2);
  CFRelease(s);
  EXPECT_EQ(CFStringToUTF8(copy), "abc");
  CFRelease(copy);
}

}  // namespace
