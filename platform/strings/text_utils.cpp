#include "platform/strings/text_utils.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

void NumToString(long theNum, Str255 theString) {
  // Digits are produced from the magnitude as unsigned, so the most negative
  // value has a form too.
  unsigned long magnitude = theNum < 0 ? 0UL - static_cast<unsigned long>(theNum) : static_cast<unsigned long>(theNum);
  char digits[32];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  int length = 0;
  if (theNum < 0) theString[++length] = '-';
  while (count > 0) theString[++length] = static_cast<unsigned char>(digits[--count]);
  theString[0] = static_cast<unsigned char>(length);
}

void StringToNum(ConstStr255Param theString, long* theNum) {
  if (theNum == nullptr) return;
  *theNum = 0;
  if (theString == nullptr) return;
  const int length = theString[0];
  int i = 1;
  bool negative = false;
  if (i <= length && (theString[i] == '-' || theString[i] == '+')) {
    negative = theString[i] == '-';
    ++i;
  }
  uint32_t value = 0;
  for (; i <= length && theString[i] >= '0' && theString[i] <= '9'; ++i) value = value * 10u + (theString[i] - '0');
  if (negative) value = 0u - value;
  *theNum = static_cast<int32_t>(value);
}

void PLstrcpy(StringPtr dst, ConstStr255Param src) { std::memmove(dst, src, src[0] + 1u); }

void CopyPascalStringToC(ConstStr255Param src, char* dst) {
  const size_t length = src[0];
  std::memmove(dst, src + 1, length);
  dst[length] = '\0';
}

void CopyCStringToPascal(const char* src, Str255 dst) { pstringAssign(dst, src == nullptr ? "" : src); }

std::string_view pstringView(ConstStr255Param str) {
  return std::string_view(reinterpret_cast<const char*>(str + 1), str[0]);
}

void pstringAssign(Str255 dst, std::string_view text) {
  const size_t length = std::min<size_t>(text.size(), 255);
  std::memmove(dst + 1, text.data(), length);
  dst[0] = static_cast<unsigned char>(length);
}
