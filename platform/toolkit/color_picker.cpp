#include "platform/toolkit/color_picker.h"

#include <QApplication>
#include <QColorDialog>

#include "platform/toolkit/toolkit_internal.h"

OSStatus NPickColor(NColorPickerInfo* info) {
  if (info == nullptr) return paramErr;
  info->newColorChosen = false;
  if (!toolkit::ensureApplication()) return userCanceledErr;
  const RGBColor& in = info->theColor.color;
  QColorDialog dialog(QColor(in.red >> 8, in.green >> 8, in.blue >> 8));
  dialog.setWindowTitle(toolkit::fromMacRoman(info->prompt + 1, info->prompt[0]));
  dialog.setWindowModality(Qt::ApplicationModal);
  if (info->placeWhere == kAtSpecifiedOrigin) dialog.move(info->dialogOrigin.h, info->dialogOrigin.v);
  if (dialog.exec() != QDialog::Accepted) return noErr;
  const QColor chosen = dialog.selectedColor();
  auto widen = [](int byte) { return static_cast<uint16_t>(byte * 0x101); };
  info->theColor.color = RGBColor{widen(chosen.red()), widen(chosen.green()), widen(chosen.blue())};
  info->newColorChosen = true;
  return noErr;
}
