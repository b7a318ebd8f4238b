// Text is rasterised by Qt into a coverage mask and blended into the port by
// our own pixel code, so ports of any kind (buffers, windows) draw the same.
#include "platform/quickdraw/text.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>

#include "platform/quickdraw/port_state.h"
#include "platform/strings/encodings.h"

namespace {

bool haveFonts() { return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr; }

QString decode(const void* bytes, int length) {
  QString text;
  const auto* b = static_cast<const uint8_t*>(bytes);
  for (int i = 0; i < length; ++i) text.append(QChar(vmstrings::macRomanToUnicode(b[i])));
  return text;
}

QFont portFont(GrafPtr port) {
  QFont font = QGuiApplication::font();
  if (port->txFont > 0) {
    const QStringList families = QFontDatabase::families();
    if (port->txFont <= families.size()) font.setFamily(families[port->txFont - 1]);
  }
  font.setPixelSize(port->txSize > 0 ? port->txSize : 12);
  font.setBold(port->txFace & bold);
  font.setItalic(port->txFace & italic);
  font.setUnderline(port->txFace & underline);
  return font;
}

short widthOf(const QString& text) {
  GrafPtr port = qd::currentPort();
  if (port == nullptr || !haveFonts()) return 0;
  return static_cast<short>(std::lround(QFontMetricsF(portFont(port)).horizontalAdvance(text)));
}

void draw(const QString& text) {
  GrafPtr port = qd::currentPort();
  if (port == nullptr || port->portPixMap.baseAddr == nullptr || !haveFonts()) return;
  const QFont font = portFont(port);
  const QFontMetrics metrics(font);
  const int advance = metrics.horizontalAdvance(text);
  // Room for glyphs that overhang their advance (italics, kerning).
  const int pad = metrics.height();
  const int width = advance + 2 * pad, height = metrics.ascent() + metrics.descent() + 2;
  const int left = port->pnLoc.h - pad, top = port->pnLoc.v - metrics.ascent() - 1;
  port->pnLoc.h = static_cast<int16_t>(port->pnLoc.h + advance);
  if (text.isEmpty() || width <= 0) return;

  QImage mask(width, height, QImage::Format_ARGB32_Premultiplied);
  mask.fill(Qt::transparent);
  {
    QPainter painter(&mask);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QPoint(pad, metrics.ascent() + 1), text);
  }
  Rect area = qd::drawableArea(port);
  const Rect box{static_cast<int16_t>(top), static_cast<int16_t>(left), static_cast<int16_t>(top + height),
                 static_cast<int16_t>(left + width)};
  if (!SectRect(&area, &box, &area)) return;
  const PixMap& pm = port->portPixMap;
  const int fg[3] = {port->rgbFgColor.red >> 8, port->rgbFgColor.green >> 8, port->rgbFgColor.blue >> 8};
  for (int y = area.top; y < area.bottom; ++y) {
    auto* row = reinterpret_cast<uint8_t*>(pm.baseAddr) + (y - pm.bounds.top) * pm.rowBytes;
    const auto* cover = reinterpret_cast<const QRgb*>(mask.constScanLine(y - top));
    for (int x = area.left; x < area.right; ++x) {
      const int c = qAlpha(cover[x - left]);
      if (c == 0) continue;
      uint8_t* p = row + (x - pm.bounds.left) * 4;
      p[0] = static_cast<uint8_t>((255 * c + p[0] * (255 - c) + 127) / 255);
      for (int i = 0; i < 3; ++i) p[1 + i] = static_cast<uint8_t>((fg[i] * c + p[1 + i] * (255 - c) + 127) / 255);
    }
  }
}

}  // namespace

void TextFont(short font) {
  if (GrafPtr port = qd::currentPort()) port->txFont = font;
}

void TextFace(short face) {
  if (GrafPtr port = qd::currentPort()) port->txFace = face;
}

void TextSize(short size) {
  if (GrafPtr port = qd::currentPort()) port->txSize = size;
}

short StringWidth(ConstStr255Param text) { return text == nullptr ? 0 : widthOf(decode(text + 1, text[0])); }

short TextWidth(const void* textBuf, short firstByte, short byteCount) {
  if (textBuf == nullptr || byteCount <= 0) return 0;
  return widthOf(decode(static_cast<const uint8_t*>(textBuf) + firstByte, byteCount));
}

void DrawString(ConstStr255Param text) {
  if (text != nullptr) draw(decode(text + 1, text[0]));
}

void DrawText(const void* textBuf, short firstByte, short byteCount) {
  if (textBuf != nullptr && byteCount > 0) draw(decode(static_cast<const uint8_t*>(textBuf) + firstByte, byteCount));
}

FMFontFamily FMGetFontFamilyFromName(ConstStr255Param name) {
  if (name == nullptr || !haveFonts()) return kInvalidFontFamily;
  const QString wanted = decode(name + 1, name[0]);
  const QStringList families = QFontDatabase::families();
  for (int i = 0; i < families.size(); ++i)
    if (families[i].compare(wanted, Qt::CaseInsensitive) == 0) return static_cast<FMFontFamily>(i + 1);
  return kInvalidFontFamily;
}

void GetFontInfo(FontInfo* info) {
  if (info == nullptr) return;
  *info = FontInfo{0, 0, 0, 0};
  GrafPtr port = qd::currentPort();
  if (port == nullptr || !haveFonts()) return;
  const QFontMetrics m(portFont(port));
  *info = FontInfo{static_cast<short>(m.ascent()), static_cast<short>(m.descent()),
                   static_cast<short>(m.maxWidth()), static_cast<short>(m.leading())};
}
