#include "plugin/common/string_conversions.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/strings/cfstring.h"
#include "platform/strings/text_utils.h"

namespace {

std::string text(ConstStr255Param p) { return std::string(pstringView(p)); }

TEST(Num2Text, ExtremesAndZero) {
  const struct {
    SInt32 value;
    const char* expected;
  } cases[] = {{INT32_MIN, "-2147483648"}, {0, "0"}, {INT32_MAX, "2147483647"}, {-17, "-17"}};
  for (const auto& c : cases) {
    Str255 s;
    Num2Text(c.value, s);
    EXPECT_EQ(text(s), c.expected);
  }
}

TEST(String2Real, ReadsTheLeadingNumber) {
  const struct {
    const char* input;
    double expected;
  } cases[] = {{"12.5", 12.5}, {"3,25", 3.25}, {"-.5", -0.5}, {".5", 0.5},   {",5", 0.5}, {"007", 7.0},
               {"12.5.3", 12.5}, {"5-3", 5.0}, {"1e3", 1.0},  {" 5", 0.0},  {"+5", 0.0}, {"abc", 0.0},
               {"", 0.0},      {"-", 0.0},    {"12.", 12.0},  {"-7,25x", -7.25}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    Str255 s;
    pstringAssign(s, c.input);
    // Bytes past the length must not be read as part of the number.
    s[s[0] + 1] = '9';
    double n = 42.0;
    String2Real(s, n);
    EXPECT_DOUBLE_EQ(n, c.expected);
  }
}

TEST(Real2String, TruncatesToFourPlaces) {
  const struct {
    double value;
    const char* expected;
  } cases[] = {{2.0, "2"},           {2.00001, "2"},         {2.5, "2.5000"},   {2.0078125, "2.0078"},
               {-2.5, "-2.5000"},    {-0.25, "-0.2500"},     {1234.56789, "1234.5678"},
               {2.05, "2.0499"},     {0.0, "0"},             {-0.00001, "0"},   {0.1234, "0.1234"},
               {-3.0, "-3"},         {1e12, "2147483647"},   {-1e12, "-2147483648"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    Str255 s;
    Real2String(c.value, s);
    EXPECT_EQ(text(s), c.expected);
  }
}

TEST(FourCharCodes, BothDirections) {
  Str255 abcd;
  pstringAssign(abcd, "abcdef");
  EXPECT_EQ(String2Command(abcd), 0x61626364u);
  Str32 out;
  Command2String(0x61626364u, out);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(out + 1), out[0]), "abcd");
  Command2String(0xFF000020u, out);
  EXPECT_EQ(out[1], 0xFF);
  EXPECT_EQ(out[4], 0x20);
  Str255 shortText = {2, 'o', 'k', 'X', 'X'};
  EXPECT_EQ(String2Command(shortText), 0x6F6B0000u);
}

TEST(CFStrings, MakeAndBackKeepMacRomanBytes) {
  Str255 s = {4, 'A', 0xDB, 0xF0, 0xBD};
  CFStringRef ref = MakeCFString(s);
  ASSERT_NE(ref, nullptr);
  EXPECT_EQ(CFStringToUTF8(ref), "A\u20AC\uF8FF\u03A9");
  Str255 back;
  CF2PString(ref, back);
  EXPECT_EQ(text(back), text(s));
  CFRelease(ref);
}

TEST(CFStrings, UnconvertibleGivesEmpty) {
  Str255 out;
  const std::string long300(300, 'w');
  CFStringRef tooLong = CFStringCreateWithCString(kCFAllocatorDefault, long300.c_str(), kCFStringEncodingUTF8);
  CFStringRef noRoman = CFStringCreateWithCString(kCFAllocatorDefault, "x\u0394", kCFStringEncodingUTF8);
  for (CFStringRef ref : {tooLong, noRoman, static_cast<CFStringRef>(nullptr)}) {
    pstringAssign(out, "stale");
    CF2PString(ref, out);
    EXPECT_EQ(out[0], 0);
  }
  CFRelease(tooLong);
  CFRelease(noRoman);
}

TEST(ZeroDelimitString, WritesAfterTextCappedAt255) {
  Str255 s;
  pstringAssign(s, "abc");
  s[4] = 'z';
  ZeroDelimitString(s);
  EXPECT_EQ(s[0], 3);
  EXPECT_EQ(s[4], 0);
  pstringAssign(s, std::string(255, 'm'));
  ZeroDelimitString(s);
  EXPECT_EQ(s[0], 255);
  EXPECT_EQ(s[254], 'm');
  EXPECT_EQ(s[255], 0);
}

}  // namespace
