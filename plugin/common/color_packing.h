// Colours packed into one 32-bit integer 0x00RRGGBB (red in bits 16 to 23),
// as kept in control values. Packing keeps only the high byte of each 16-bit
// channel, so white comes back as (65280, 65280, 65280). No alpha is carried.
#pragma once

#include "platform/macos/types.h"
#include "plugin/common/pix_rec.h"

// Bits 0-7 blue, 8-15 green, 16-23 red; alpha 0; bits 24-31 are dropped.
pixRec LongInt2PixRec(SInt32 theLong);
// red * 65536 + green * 256 + blue; alpha is ignored.
SInt32 PixRec2LongInt(pixRec thePixRec);
// Packs the high byte of each channel.
SInt32 RGBColor2LongInt(RGBColor theColor);
// Unpacks and widens each byte by shifting it left 8.
RGBColor LongInt2RGBColor(SInt32 theLong);
// Widens red, green, blue into theRGB; alpha gets the pixel's alpha (0-255).
void Pixel2RGBA(pixRec thePixel, RGBColor& theRGB, SInt16& alpha);
