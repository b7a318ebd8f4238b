// QuickDraw pictures, reduced to what a picture of pixels needs: a frame and
// the image drawn inside it. A picture records the pixels of the port it was
// opened on (every CopyBits and paint made into it while it was open), as
// they are when the picture closes.
#pragma once

#include "platform/coregraphics/cgimage.h"
#include "platform/quickdraw/quickdraw.h"
#include "platform/macos/export.h"

VM_API_BEGIN

typedef int32_t Fixed;
enum : Fixed { kPictureDefaultResolution = 72 << 16 };  // 72 dpi as Fixed

struct Picture {
  int16_t picSize;  // kept for layout; 0
  Rect picFrame;
  CGImageRef image;  // owned by the picture; premultiplied A, R, G, B
};
typedef Picture* PicPtr;
typedef PicPtr* PicHandle;

struct OpenCPicParams {
  Rect srcRect;  // the frame, in the current port's coordinates
  Fixed hRes;
  Fixed vRes;
  int16_t version;  // -2 for the extended header
  int16_t reserved1;
  int32_t reserved2;
};

// Starts recording the current port; nullptr when no port is current, a
// picture is already open, the frame is empty or memory ran out. The picture
// belongs to the caller once ClosePicture has run (KillPicture).
PicHandle OpenCPicture(const OpenCPicParams* newHeader);
// Ends the recording: the picture takes the recorded port's pixels inside
// its frame (parts outside the port stay transparent).
void ClosePicture();
// Draws the picture scaled into dstRect of the current port (nearest pixel),
// over what is there (source over, premultiplied), within the port's bounds
// and clip. A nullptr picture, a picture without an image, or no current port
// draws nothing.
void DrawPicture(PicHandle myPicture, const Rect* dstRect);
// Frees the picture and its image; nullptr is ignored.
void KillPicture(PicHandle myPicture);

// For our own code: a closed picture holding a retained `image` with frame
// (0, 0, height, width), or nullptr.
PicHandle platformNewPictureWithImage(CGImageRef image);

VM_API_END
