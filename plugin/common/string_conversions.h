// Conversions between short strings, Core Foundation strings, numbers and
// four-character codes.
//
// Short strings (Str255) are a length byte followed by up to 255 Mac OS Roman
// bytes; results are written into the caller's buffer and always cut to 255
// characters. Str32 holds up to 32.
#pragma once

#include <cstdint>

#include "platform/corefoundation/cftypes.h"
#include "platform/macos/types.h"

// Decimal number of digits after the point that Real2String keeps.
inline constexpr int cPrecision = 4;

// Decimal text of theNum: an optional '-' and digits.
void Num2Text(SInt32 theNum, Str255 theString);

// A new Core Foundation string of the short string's Mac OS Roman text; the
// caller owns it and releases it with CFRelease. nullptr when it cannot be
// made.
CFStringRef MakeCFString(ConstStr255Param theString);

// The text of theCFRef (borrowed) as a short string; the empty string for
// nullptr, for text longer than 255 characters, or when a character has no
// Mac OS Roman form.
void CF2PString(CFStringRef theCFRef, Str255 theString);

// Four-character code from the first four characters, the first in the most
// significant byte. Characters beyond a shorter text count as zero bytes.
UInt32 String2Command(ConstStr255Param theString);
// The four characters of theCommand, most significant byte first.
void Command2String(UInt32 theCommand, Str32 theString);

// Reads a decimal number from the start of the text: an optional '-', digits,
// and a fraction after '.' or ','. No exponent, plus sign or leading blank;
// reading stops at the first character that does not fit, and a text that
// does not start like a number gives 0.0.
void String2Real(ConstStr255Param theString, double& theNumber);

// Decimal text with up to cPrecision places, truncated toward zero, never
// rounded: 2.5 gives "2.5000", 2.00001 gives "2". Values past the signed
// 32-bit range are clamped to it; NaN gives "0".
void Real2String(double theReal, Str255 theString);

// Writes a zero byte after the text (at index length + 1, at most 255) so the
// characters can be read as a C string from index 1. The length byte stays.
void ZeroDelimitString(Str255 theStr);
