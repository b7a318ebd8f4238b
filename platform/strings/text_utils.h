// Classic text utilities over length-prefixed (Pascal) strings: a length
// byte followed by up to 255 Mac OS Roman bytes.
#pragma once

#include <string>
#include <string_view>

#include "platform/macos/types.h"
#include "platform/macos/export.h"

VM_API_BEGIN

// Decimal text of `theNum`: an optional '-' and digits, no grouping.
void NumToString(long theNum, Str255 theString);
// Reads an optional sign and then decimal digits, stopping at the first other
// character. The value wraps as a 32-bit integer, as on the original
// platform. An empty text or a text without digits gives 0.
void StringToNum(ConstStr255Param theString, long* theNum);

// Copies a whole short string (length byte and text) from src to dst.
void PLstrcpy(StringPtr dst, ConstStr255Param src);
// Zero-terminated copy of the text; dst must hold 256 bytes.
void CopyPascalStringToC(ConstStr255Param src, char* dst);
// Short string from a zero-terminated text, cut at 255 characters.
void CopyCStringToPascal(const char* src, Str255 dst);

// For our own code: the text bytes of a short string, and a short string
// from bytes (cut at 255).
std::string_view pstringView(ConstStr255Param str);
void pstringAssign(Str255 dst, std::string_view text);

VM_API_END
