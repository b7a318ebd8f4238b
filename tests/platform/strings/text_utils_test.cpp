#include "platform/strings/text_utils.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

std::string text(ConstStr255Param p) { return std::string(pstringView(p)); }

TEST(NumToString, DecimalText) {
  const std::pair<long, const char*> cases[] = {{0, "0"}, {7, "7"}, {-1, "-1"}, {2147483647L, "2147483647"},
                                                {-2147483647L - 1, "-2147483648"}, {LONG_MIN, "-9223372036854775808"}};
  for (const auto& [value, expected] : cases) {
    Str255 s;
    NumToString(value, s);
    EXPECT_EQ(text(s), expected);
  }
}

TEST(StringToNum, ParsesSignAndDigitsWrappingAt32Bits) {
  const std::pair<const char*, long> cases[] = {
      {"", 0},      {"0", 0},  {"123", 123}, {"-45", -45}, {"+9", 9},           {"12ab", 12},
      {"x1", 0},    {"-", 0},  {"2147483648", -2147483647L - 1}, {"-2147483648", -2147483647L - 1}, {"4294967297", 1}};
  for (const auto& [input, expected] : cases) {
    Str255 s;
    CopyCStringToPascal(input, s);
    long n = 99;
    StringToNum(s, &n);
    EXPECT_EQ(n, expected) << input;
  }
}

TEST(PascalHelpers, CopiesAndCutsAt255) {
  Str255 p;
  CopyCStringToPascal(std::string(300, 'k').c_str(), p);
  EXPECT_EQ(p[0], 255);
  Str255 q;
  PLstrcpy(q, p);
  EXPECT_EQ(text(q), std::string(255, 'k'));
  char c[256];
  CopyPascalStringToC(q, c);
  EXPECT_EQ(std::string(c), std::string(255, 'k'));
}

}  // namespace
