#include "platform/strings/cfstring.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

struct Releaser {
  void operator()(const void* ref) const { CFRelease(ref); }
};
using Owned = std::unique_ptr<const __CFString, Releaser>;

Owned fromMacRoman(const std::string& bytes) {
  return Owned(CFStringCreateWithBytes(kCFAllocatorDefault, reinterpret_cast<const UInt8*>(bytes.data()),
                                       static_cast<CFIndex>(bytes.size()), kCFStringEncodingMacRoman, false));
}

// Known characters of the Mac OS Roman table, both ways.
struct RomanCase {
  UInt8 byte;
  const char* utf8;
};
const RomanCase kRomanCases[] = {
    {0x41, "A"},          {0x80, "\u00C4"}, {0xA5, "\u2022"}, {0xBD, "\u03A9"}, {0xC6, "\u2206"},
    {0xCA, "\u00A0"},     {0xD7, "\u25CA"}, {0xDB, "\u20AC"}, {0xDE, "\uFB01"}, {0xF0, "\uF8FF"},
    {0xF5, "\u0131"},     {0xFF, "\u02C7"}, {0x7F, "\x7F"},
};

TEST(CFStringMacRoman, KnownBytesDecodeAndEncode) {
  for (const RomanCase& c : kRomanCases) {
    SCOPED_TRACE(c.byte);
    Owned s = fromMacRoman(std::string(1, static_cast<char>(c.byte)));
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(CFStringToUTF8(s.get()), c.utf8);
    Owned back(CFStringCreateWithCString(kCFAllocatorDefault, c.utf8, kCFStringEncodingUTF8));
    Str255 p;
    ASSERT_TRUE(CFStringGetPascalString(back.get(), p, sizeof p, kCFStringEncodingMacRoman));
    EXPECT_EQ(p[0], 1);
    EXPECT_EQ(p[1], c.byte);
  }
}

TEST(CFStringMacRoman, AllBytesRoundTripAndAreDistinct) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  Owned s = fromMacRoman(all);
  ASSERT_EQ(CFStringGetLength(s.get()), 256);
  // Through UTF-8 and back: every byte keeps its own character.
  Owned viaUtf8(CFStringCreateWithBytes(kCFAllocatorDefault, reinterpret_cast<const UInt8*>(CFStringToUTF8(s.get()).data()),
                                        static_cast<CFIndex>(CFStringToUTF8(s.get()).size()), kCFStringEncodingUTF8, false));
  ASSERT_NE(viaUtf8, nullptr);
  EXPECT_TRUE(CFStringCompareEqual(s.get(), viaUtf8.get()));
  char out[258];
  ASSERT_FALSE(CFStringGetCString(viaUtf8.get(), out, 256, kCFStringEncodingMacRoman));  // 256 + zero > 256
  // Byte 0 ends a C string, so compare the upper 255 through a Pascal string.
  Owned upper = fromMacRoman(all.substr(1));
  Str255 p;
  ASSERT_TRUE(CFStringGetPascalString(upper.get(), p, sizeof p, kCFStringEncodingMacRoman));
  ASSERT_EQ(p[0], 255);
  for (int b = 1; b < 256; ++b) EXPECT_EQ(p[b], b);
}

TEST(CFStringMacRoman, CharacterWithoutRomanFormFails) {
  for (const char* text : {"\u20AD", "a\u0394b", "\U0001F600", "\u00A4"}) {
    SCOPED_TRACE(text);
    Owned s(CFStringCreateWithCString(kCFAllocatorDefault, text, kCFStringEncodingUTF8));
    ASSERT_NE(s, nullptr);
    Str255 p = {3, 'x', 'y', 'z'};
    EXPECT_FALSE(CFStringGetPascalString(s.get(), p, sizeof p, kCFStringEncodingMacRoman));
    char c[16];
    EXPECT_FALSE(CFStringGetCString(s.get(), c, sizeof c, kCFStringEncodingMacRoman));
  }
}

TEST(CFStringUtf8, InvalidInputGivesNoString) {
  const char* bad[] = {"\xC0\xAF", "\xE0\x80\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80", "ab\xC3", "\x80"};
  for (const char* text : bad) EXPECT_EQ(CFStringCreateWithCString(kCFAllocatorDefault, text, kCFStringEncodingUTF8), nullptr);
}

TEST(CFStringUtf8, LengthCountsUtf16Units) {
  Owned s(CFStringCreateWithCString(kCFAllocatorDefault, "a\u00E9\U0001F600", kCFStringEncodingUTF8));
  EXPECT_EQ(CFStringGetLength(s.get()), 4);
  EXPECT_EQ(CFStringToUTF8(s.get()), "a\u00E9\U0001F600");
}

TEST(CFStringPascal, BufferLimits) {
  Owned s300 = fromMacRoman(std::string(300, 'q'));
  Owned s255 = fromMacRoman(std::string(255, 'q'));
  Str255 p;
  EXPECT_FALSE(CFStringGetPascalString(s300.get(), p, sizeof p, kCFStringEncodingMacRoman));
  EXPECT_TRUE(CFStringGetPascalString(s255.get(), p, sizeof p, kCFStringEncodingMacRoman));
  EXPECT_EQ(p[0], 255);
  EXPECT_FALSE(CFStringGetPascalString(s255.get(), p, 255, kCFStringEncodingMacRoman));
  EXPECT_FALSE(CFStringGetPascalString(nullptr, p, sizeof p, kCFStringEncodingMacRoman));
}

TEST(CFStringLifetime, LiteralsAreInternedAndImmortal) {
  CFStringRef a = CFSTR("Sldr");
  CFStringRef b = CFSTR("Sldr");
  EXPECT_EQ(a, b);
  EXPECT_NE(a, CFSTR("Sldx"));
  CFRelease(a);
  CFRelease(a);
  EXPECT_EQ(CFStringToUTF8(b), "Sldr");
}

TEST(CFStringLifetime, CopySharesTheImmutableText) {
  CFStringRef s = CFStringCreateWithCString(kCFAllocatorDefault, "abc", kCFStringEncodingUTF8);
  CFStringRef copy = CFStringCreateCopy(kCFAllocatorDefault, s);
  EXPECT_EQ(CFGetRetainCount(s), 2);
  CFRelease(s);
  EXPECT_EQ(CFStringToUTF8(copy), "abc");
  CFRelease(copy);
}

}  // namespace
