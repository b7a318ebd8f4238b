#include "plugin/common/color_packing.h"

pixRec LongInt2PixRec(SInt32 theLong) {
  const auto bits = static_cast<uint32_t>(theLong);
  return pixRec{0, static_cast<uint8_t>(bits >> 16), static_cast<uint8_t>(bits >> 8), static_cast<uint8_t>(bits)};
}

SInt32 PixRec2LongInt(pixRec thePixRec) { return thePixRec.red * 65536 + thePixRec.green * 256 + thePixRec.blue; }

SInt32 RGBColor2LongInt(RGBColor theColor) {
  const pixRec packed{0, static_cast<uint8_t>(theColor.red >> 8), static_cast<uint8_t>(theColor.green >> 8),
                      static_cast<uint8_t>(theColor.blue >> 8)};
  return PixRec2LongInt(packed);
}

RGBColor LongInt2RGBColor(SInt32 theLong) {
  const pixRec unpacked = LongInt2PixRec(theLong);
  return RGBColor{static_cast<uint16_t>(unpacked.red << 8), static_cast<uint16_t>(unpacked.green << 8),
                  static_cast<uint16_t>(unpacked.blue << 8)};
}

void Pixel2RGBA(pixRec thePixel, RGBColor& theRGB, SInt16& alpha) {
  theRGB = RGBColor{static_cast<uint16_t>(thePixel.red << 8), static_cast<uint16_t>(thePixel.green << 8),
                    static_cast<uint16_t>(thePixel.blue << 8)};
  alpha = thePixel.alpha;
}
