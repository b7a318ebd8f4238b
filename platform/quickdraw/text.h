// QuickDraw text in the current port, rendered with Qt's fonts and blended
// into the port's pixels in the foreground colour. Sizes are pixels (72 dpi
// points). Text needs the GUI application the window toolkit makes: without
// one, nothing is drawn and widths are 0.
#pragma once

#include "platform/quickdraw/quickdraw.h"
#include "platform/macos/export.h"

VM_API_BEGIN

typedef SInt16 FMFontFamily;
enum { kInvalidFontFamily = -1 };
enum { normal = 0, bold = 1, italic = 2, underline = 4 };

// 0 is the system font; other numbers come from FMGetFontFamilyFromName.
void TextFont(short font);
void TextFace(short face);
// 0 means the default size, 12.
void TextSize(short size);
// Width in pixels of the length-prefixed Mac OS Roman text in the current
// port's font.
short StringWidth(ConstStr255Param text);
short TextWidth(const void* textBuf, short firstByte, short byteCount);
// Draws with the pen location as the left end of the baseline and moves the
// pen past the text. Clipped to the port's bounds and clip rectangle.
void DrawString(ConstStr255Param text);
void DrawText(const void* textBuf, short firstByte, short byteCount);
// The family number of an installed font family, or kInvalidFontFamily.
FMFontFamily FMGetFontFamilyFromName(ConstStr255Param name);

struct FontInfo {
  short ascent;
  short descent;
  short widMax;
  short leading;
};
void GetFontInfo(FontInfo* info);

VM_API_END
