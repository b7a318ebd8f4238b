// Small numeric helpers of the common toolkit.
#pragma once

#include "platform/macos/types.h"

// An RGBColor from three channels, each taken as its 16 bits (-1 is 65535).
RGBColor SetRGBColor(SInt16 r, SInt16 g, SInt16 b);

// Bits 16 to 31 and bits 0 to 15 of x, each as a signed 16-bit value.
SInt16 CarbonHiWord(SInt32 x);
SInt16 CarbonLoWord(SInt32 x);

void SwapInt(SInt16& i1, SInt16& i2);

// -1 for a value below 0, else 1 (0 gives 1).
SInt16 Sgn(double theVal);

// A new block from NewPtr with a copy of theObject's bytes, owned by the
// caller (DisposePtr). theObject must be a NewPtr block (its size comes from
// GetPtrSize). nullptr for nullptr, an empty block, or when memory runs out.
Ptr CloneObject(Ptr theObject);
