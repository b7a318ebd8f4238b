#include "plugin/common/string_conversions.h"

#include <gtest/gtest.h>

#include <array>
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
  } cases[] = {{"12.5", 12.5},   {"3,25", 3.25}, {"-.5", -0.5}, {".5", 0.5},      {",5", 0.5}, {"007", 7.0},
               {"12.5.3", 12.5}, {"5-3", 5.0},   {"1e3", 1.0},  {" 5", 0.0},      {"+5", 0.0}, {"abc", 0.0},
               {"", 0.0},        {"-", 0.0},     {"12.", 12.0}, {"-7,25x", -7.25}};
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
  } cases[] = {{2.0, "2"},           {2.00001, "2"},        {2.5, "2.5000"},           {2.0078125, "2.0078"},
               {-2.5, "-2.5000"},    {-0.25, "-0.2500"},    {1234.56789, "1234.5678"}, {2.05, "2.0499"},
               {0.0, "0"},           {-0.00001, "0"},       {0.1234, "0.1234"},        {-3.0, "-3"},
               {1e12, "2147483647"}, {-1e12, "-2147483648"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    Str255 s;
    Real2String(c.value, s);
    EXPECT_EQ(text(s), c.expected);
  }
}

TEST(FourCharCodes, BothDirectionsMostSignificantFirst) {
  Str255 abcd, shortText = {2, 'o', 'k', 'X', 'X'};
  pstringAssign(abcd, "abcdef");
  EXPECT_EQ(String2Command(abcd), 0x61626364u);
  EXPECT_EQ(String2Command(shortText), 0x6F6B0000u);
  Str32 out;
  Command2String(0x61626364u, out);
  EXPECT_EQ(text(out), "abcd");
  Command2String(0xFF000020u, out);
  EXPECT_EQ(text(out), std::string("\xFF\0\0 ", 4));
}

// Through Core Foundation and back keeps the Mac OS Roman bytes; what cannot
// come back (too long, no Roman form, no string) gives the empty string.
TEST(CFStrings, MakeAndBack) {
  Str255 s = {4, 'A', 0xDB, 0xF0, 0xBD}, out;
  CFOwner<CFStringRef> made(MakeCFString(s));
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(CFStringToUTF8(made.get()), "A\u20AC\uF8FF\u03A9");
  CF2PString(made.get(), out);
  EXPECT_EQ(text(out), text(s));
  CFOwner<CFStringRef> tooLong(
      CFStringCreateWithCString(nullptr, std::string(300, 'w').c_str(), kCFStringEncodingUTF8));
  CFOwner<CFStringRef> noRoman(CFStringCreateWithCString(nullptr, "x\u0394", kCFStringEncodingUTF8));
  for (CFStringRef ref : {tooLong.get(), noRoman.get(), static_cast<CFStringRef>(nullptr)}) {
    pstringAssign(out, "stale");
    CF2PString(ref, out);
    EXPECT_EQ(out[0], 0);
  }
}

TEST(ZeroDelimitString, WritesAfterTextCappedAt255) {
  Str255 s;
  pstringAssign(s, "abc");
  s[4] = 'z';
  ZeroDelimitString(s);
  EXPECT_EQ((std::array{s[0], s[4]}), (std::array<UInt8, 2>{3, 0}));
  pstringAssign(s, std::string(255, 'm'));
  ZeroDelimitString(s);
  EXPECT_EQ((std::array{s[0], s[254], s[255]}), (std::array<UInt8, 3>{255, 'm', 0}));
}

}  // namespace
