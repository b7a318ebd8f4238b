#include "plugin/render/picture_drawing.h"

#include "plugin/render/port_saver.h"

void DrawPictureInGW(GrafPtr theGW, PicHandle theP, const Rect& theRect) {
  if (theGW == nullptr || theP == nullptr) return;
  PortSaver saved;
  SetGWorld(theGW, nullptr);
  DrawPicture(theP, &theRect);
}
