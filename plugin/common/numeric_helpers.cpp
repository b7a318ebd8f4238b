#include "plugin/common/numeric_helpers.h"

#include <utility>

#include "platform/memory/memory.h"

RGBColor SetRGBColor(SInt16 r, SInt16 g, SInt16 b) {
  return RGBColor{static_cast<uint16_t>(r), static_cast<uint16_t>(g), static_cast<uint16_t>(b)};
}

SInt16 CarbonHiWord(SInt32 x) { return static_cast<SInt16>(static_cast<uint16_t>(static_cast<uint32_t>(x) >> 16)); }

SInt16 CarbonLoWord(SInt32 x) { return static_cast<SInt16>(static_cast<uint16_t>(static_cast<uint32_t>(x) & 0xFFFF)); }

void SwapInt(SInt16& i1, SInt16& i2) { std::swap(i1, i2); }

SInt16 Sgn(double theVal) { return theVal < 0 ? -1 : 1; }

Ptr CloneObject(Ptr theObject) {
  if (theObject == nullptr) return nullptr;
  const Size size = GetPtrSize(theObject);
  if (size < 1) return nullptr;
  Ptr copy = NewPtr(size);
  if (copy == nullptr) return nullptr;
  BlockMoveData(theObject, copy, size);
  return copy;
}
