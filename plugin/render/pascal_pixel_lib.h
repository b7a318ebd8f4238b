// Direct access to the pixels of 32-bit buffers. The pixel at column x, row y
// of a buffer whose bounds start at (0, 0) lies at base + y * rowBytes + x * 4.
// Routines that fetch the stride themselves keep only its low 14 bits, as the
// rest of the library expects rows of at most 16383 bytes.
#pragma once

#include <cstdint>

#include "platform/quickdraw/quickdraw.h"
#include "plugin/common/pix_rec.h"

// Locks theGW's pixels and reports where they are. The caller puts pixFlags
// back with SetPixelsState(GetGWorldPixMap(theGW), pixFlags) when done.
void GetPixInfoFromGWorld(GrafPtr theGW, Ptr& pixBaseAddress, int32_t& pixRowBytes, uint32_t& pixFlags,
                          Rect& theFrame);
int16_t GetGWDepth(GrafPtr theGW);
// Bytes per pixel for a depth: 1, 2, 4 for 8, 16, 24/32/other.
int16_t Depth2Size(int16_t theDepth);

void pGetPixel(Ptr srcBaseAddr, int32_t rowBytes, int16_t x, int16_t y, pixRec& thePixel);
void pSetPixel(Ptr srcBaseAddr, int32_t rowBytes, int16_t x, int16_t y, const pixRec* thePixel);
// Writes (alpha 0, r, g, b) to every pixel of theActiveRect within the buffer.
void SetPixMapPixels(GrafPtr theDest, const Rect& theActiveRect, uint8_t r, uint8_t g, uint8_t b);
// Stores a 32-bit pixel into a pixel map of depth 8, 16 (5-5-5) or 32; depth
// 24 stores nothing.
void Put32BitPixelInPixMap(const pixRec& thePixel, Ptr dstBaseAddress, int16_t x, int16_t y, int32_t dstRowBytes,
                           int16_t targetDepth);
// Square brushes of theSize pixels extending right and down from (x, y).
void pSetGWPixelUsingAlpha(GrafPtr theSource, int16_t x, int16_t y, double theAlpha, const RGBColor& theRGB,
                           int16_t theSize);
void pSetGWPixelAndAlpha(GrafPtr theSource, int16_t x, int16_t y, const RGBColor& theRGB, int16_t alpha,
                         int16_t theSize);
// Mixes a square of two sources into the target: alpha 255 gives source 1.
void pCombineGWAndPutUsingAlpha(GrafPtr theSource1, GrafPtr theSource2, GrafPtr theTarget, int16_t sx, int16_t sy,
                                int16_t tx, int16_t ty, int16_t alpha, bool invertAlpha, int16_t theSize);
// The average colour of the square of `radius` around (x, y).
void pSmudgePixel(GrafPtr theSource1, GrafPtr theSource2, int16_t radius, int16_t x, int16_t y, bool useS2Alpha,
                  int16_t smudgeAlpha, pixRec& result);
void pPlotPixel(GrafPtr theTarget, int16_t x, int16_t y, int16_t size, bool blend, bool round, const pixRec& thePixel);
// Rotates theActiveRect of the source about its centre by phi radians into
// the destination, by forward mapping.
void RotatePixmap(GrafPtr theSource, GrafPtr theDest, const Rect& theActiveRect, double phi);
