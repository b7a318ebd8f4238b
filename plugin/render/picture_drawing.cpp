#include "plugin/render/picture_drawing.h"

#include "platform/quickdraw/quickdraw_owners.h"

void DrawPictureInGW(GrafPtr theGW, PicHandle theP, const Rect& theRect) {
  if (theGW == nullptr || theP == nullptr) return;
  PortSaver saved;
  SetGWorld(theGW, nullptr);
  DrawPicture(theP, &theRect);
}
