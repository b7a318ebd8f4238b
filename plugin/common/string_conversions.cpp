#include "plugin/common/string_conversions.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "platform/strings/cfstring.h"
#include "platform/strings/text_utils.h"

void Num2Text(SInt32 theNum, Str255 theString) { NumToString(theNum, theString); }

CFStringRef MakeCFString(ConstStr255Param theString) {
  return CFStringCreateWithPascalString(kCFAllocatorDefault, theString, kCFStringEncodingMacRoman);
}

void CF2PString(CFStringRef theCFRef, Str255 theString) {
  Str255 buffer;
  if (theCFRef != nullptr && CFStringGetPascalString(theCFRef, buffer, sizeof(buffer), kCFStringEncodingMacRoman))
    PLstrcpy(theString, buffer);
  else
    theString[0] = 0;
}

UInt32 String2Command(ConstStr255Param theString) {
  UInt32 code = 0;
  for (int i = 1; i <= 4; ++i) code = (code << 8) | (i <= theString[0] ? theString[i] : 0u);
  return code;
}

void Command2String(UInt32 theCommand, Str32 theString) {
  theString[0] = 4;
  for (int i = 0; i < 4; ++i) theString[i + 1] = static_cast<unsigned char>(theCommand >> (24 - 8 * i));
}

void String2Real(ConstStr255Param theString, double& theNumber) {
  theNumber = 0.0;
  const int length = theString[0];
  if (length == 0) return;
  int pos = 1;
  // 0 stands for "no characters remain"; it is neither a digit nor a separator.
  auto charAt = [&](int i) -> unsigned char { return i <= length ? theString[i] : 0; };
  auto isDigit = [](unsigned char c) { return c >= '0' && c <= '9'; };
  auto isSeparator = [](unsigned char c) { return c == '.' || c == ','; };

  unsigned char ch = charAt(pos);
  if (!isDigit(ch) && ch != '-' && !isSeparator(ch)) return;
  const bool negative = ch == '-';
  if (negative) ch = '0';

  double val = 0.0;
  if (!isSeparator(ch)) {
    do {
      val = val * 10.0 + (ch - '0');
      ch = charAt(++pos);
    } while (isDigit(ch));
  }
  if (isSeparator(ch)) {
    ch = charAt(++pos);
    double factor = 0.1;
    while (isDigit(ch)) {
      val = val + (ch - '0') * factor;
      factor = factor / 10.0;
      ch = charAt(++pos);
    }
  }
  theNumber = negative ? -val : val;
}

void Real2String(double theReal, Str255 theString) {
  if (std::isnan(theReal)) theReal = 0.0;
  // Converting an out-of-range double to an integer is undefined; clamp first.
  theReal = std::clamp(theReal, -2147483648.0, 2147483647.0);
  const double whole = std::trunc(theReal);
  const auto i = static_cast<SInt32>(whole);
  const auto f = static_cast<int>(std::trunc(std::fabs(theReal - whole) * 10000.0));

  Str255 number;
  NumToString(i, number);
  std::string text(pstringView(number));
  if (theReal < 0.0 && theReal > -1.0 && f > 0) text = "-0";
  if (f > 0) {
    std::string fraction = std::to_string(f);
    text += '.';
    text.append(static_cast<size_t>(cPrecision) - std::min<size_t>(fraction.size(), cPrecision), '0');
    text += fraction;
  }
  pstringAssign(theString, text);
}

void ZeroDelimitString(Str255 theStr) {
  const int length = std::min<int>(theStr[0], 254);
  theStr[length + 1] = 0;
}
