/* QuickDraw stand-in: 32-bit offscreen buffers, the current port, colours,
   rectangle painting and CopyBits. The record types are plain C so the host
   interface header can name them.

   Pixels are 32 bits, bytes alpha, red, green, blue in memory order on every
   processor. The pixel at (x, y) of a buffer lies at
   baseAddr + (y - bounds.top) * rowBytes + (x - bounds.left) * 4. */
#ifndef VELMORANCE_PLATFORM_QUICKDRAW_H
#define VELMORANCE_PLATFORM_QUICKDRAW_H

#include "platform/macos/types.h"
#include "platform/macos/export.h"

VM_API_BEGIN

typedef struct BitMap {
  Ptr baseAddr;
  int32_t rowBytes; /* bytes from one row to the next */
  Rect bounds;
} BitMap;

/* Starts with the fields of BitMap, so a PixMap can be passed where CopyBits
   takes a BitMap. */
typedef struct PixMap {
  Ptr baseAddr;
  int32_t rowBytes;
  Rect bounds;
  int16_t pixelSize; /* bits per pixel: always 32 here */
  uint32_t pixelsState; /* pixelsLocked bit as GetPixelsState reports it */
} PixMap;
typedef PixMap* PixMapPtr;
typedef PixMapPtr* PixMapHandle;

typedef struct GrafPort {
  PixMap portPixMap;
  PixMapPtr pixMapMaster; /* what GetGWorldPixMap hands out a handle to */
  Ptr pixelStorage;       /* owned pixels, nullptr for borrowed ones */
  Size pixelStorageSize;  /* bytes of pixelStorage */
  RGBColor rgbFgColor;
  RGBColor rgbBkColor;
  Point pnLoc;
  Point pnSize;
  int16_t pnMode;
  Rect clipRect;
  int16_t txFont;
  int16_t txFace;
  int16_t txSize;
  void* window; /* the toolkit's window when this port belongs to one */
} GrafPort;
typedef GrafPort* GrafPtr;
typedef GrafPtr CGrafPtr;
typedef GrafPtr GWorldPtr;
typedef struct GDevice** GDHandle;
typedef struct ColorTable** CTabHandle;
typedef struct MacRegion** RgnHandle;
typedef uint32_t GWorldFlags;
typedef int16_t QDErr;

enum {
  pixelsLocked = 1 << 7,
  srcCopy = 0,
  srcOr = 1,
  srcXor = 2,
  srcBic = 3,
  notSrcCopy = 4,
  patCopy = 8,
  patOr = 9,
  patXor = 10
};

#ifdef __cplusplus

/* Buffers ---------------------------------------------------------------- */

/* Makes a 32-bit buffer with the given bounds (depth 0 means 32). Returns
   memFullErr (-108) and sets *offscreen to nullptr when the pixels cannot be
   allocated, paramErr for any other depth or an inverted rectangle. The
   pixels start zeroed (transparent black). The caller disposes of the buffer
   with DisposeGWorld. */
QDErr NewGWorld(GWorldPtr* offscreen, short pixelDepth, const Rect* bounds, CTabHandle cTable = nullptr,
                GDHandle device = nullptr, GWorldFlags flags = 0);
/* Wraps pixels the caller owns; the buffer does not free them. */
QDErr NewGWorldFromPtr(GWorldPtr* offscreen, const Rect* bounds, Ptr pixels, int32_t rowBytes);
void DisposeGWorld(GWorldPtr world);

PixMapHandle GetGWorldPixMap(GWorldPtr world);
PixMapHandle GetPortPixMap(CGrafPtr port);
GWorldFlags GetPixelsState(PixMapHandle pm);
void SetPixelsState(PixMapHandle pm, GWorldFlags state);
Boolean LockPixels(PixMapHandle pm);
void UnlockPixels(PixMapHandle pm);
Ptr GetPixBaseAddr(PixMapHandle pm);
int32_t GetPixRowBytes(PixMapHandle pm);
int16_t GetPixDepth(PixMapHandle pm);
Rect* GetPixBounds(PixMapHandle pm, Rect* bounds);

/* Ports ------------------------------------------------------------------ */

/* The current port and device belong to the calling thread. Disposing of a
   buffer clears it only where it is the calling thread's current port. */

void GetGWorld(CGrafPtr* port, GDHandle* device);
void SetGWorld(CGrafPtr port, GDHandle device);
void GetPort(GrafPtr* port);
void SetPort(GrafPtr port);
Rect* GetPortBounds(CGrafPtr port, Rect* bounds);
const BitMap* GetPortBitMapForCopyBits(CGrafPtr port);

void RGBForeColor(const RGBColor* color);
void RGBBackColor(const RGBColor* color);
void GetForeColor(RGBColor* color);
void GetBackColor(RGBColor* color);
void PenNormal();
void PenMode(short mode);
void PenSize(short width, short height);
void MoveTo(short h, short v);
void ClipRect(const Rect* r);

/* Drawing into the current port ----------------------------------------- */

void PaintRect(const Rect* r);  /* fills with the foreground colour */
void EraseRect(const Rect* r);  /* fills with the background colour */
void FrameRect(const Rect* r);  /* outlines inside r with the pen */
void InvertRect(const Rect* r); /* inverts red, green and blue */
void PaintOval(const Rect* r);
void FrameOval(const Rect* r);

/* Copies srcRect of src into dstRect of dst. Equal sizes copy the bytes
   exactly; different sizes scale by nearest neighbour. Both rectangles are
   clipped to their buffers' bounds (and dst's to the current port's clip
   when dst is the current port). Only srcCopy is supported; masks are
   ignored. */
void CopyBits(const BitMap* srcBits, const BitMap* dstBits, const Rect* srcRect, const Rect* dstRect, short mode,
              RgnHandle maskRgn);

/* Rectangles and points ------------------------------------------------- */

void SetRect(Rect* r, short left, short top, short right, short bottom);
void OffsetRect(Rect* r, short dh, short dv);
void InsetRect(Rect* r, short dh, short dv);
Boolean PtInRect(Point pt, const Rect* r);
void Pt2Rect(Point a, Point b, Rect* r);
Boolean SectRect(const Rect* a, const Rect* b, Rect* result);
Boolean EmptyRect(const Rect* r);
Boolean EqualRect(const Rect* a, const Rect* b);
void SetPt(Point* pt, short h, short v);

#endif

VM_API_END

#endif /* VELMORANCE_PLATFORM_QUICKDRAW_H */
