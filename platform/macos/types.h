/* Basic types of the platform the plug-in was designed for. Plain C so that
   the host interface header can use them too. */
#ifndef VELMORANCE_PLATFORM_MACOS_TYPES_H
#define VELMORANCE_PLATFORM_MACOS_TYPES_H

#include <stdint.h>

typedef int8_t SInt8;
typedef uint8_t UInt8;
typedef int16_t SInt16;
typedef uint16_t UInt16;
typedef int32_t SInt32;
typedef uint32_t UInt32;
typedef unsigned char Boolean;
typedef int16_t OSErr;
typedef int32_t OSStatus;
typedef uint32_t OSType;
typedef uint32_t FourCharCode;
typedef uint32_t ResType;
typedef long Size;
typedef char* Ptr;
typedef Ptr* Handle;
typedef unsigned char Str255[256];
typedef unsigned char Str63[64];
typedef unsigned char Str32[33];
typedef unsigned char* StringPtr;
typedef const unsigned char* ConstStringPtr;
typedef const unsigned char* ConstStr255Param;

enum {
  noErr = 0,
  paramErr = -50,
  memFullErr = -108,
  nilHandleErr = -109,
  fnfErr = -43,
  dupFNErr = -48,
  ioErr = -36,
  eofErr = -39,
  resNotFound = -192,
  resFNotFound = -193,
  addResFailed = -194,
  mapReadErr = -199
};

/* A four-character code written as a literal: FOUR_CHAR_CODE('o','k',' ',' '). */
#define VM_FOURCC(a, b, c, d) \
  (((uint32_t)(uint8_t)(a) << 24) | ((uint32_t)(uint8_t)(b) << 16) | ((uint32_t)(uint8_t)(c) << 8) | (uint32_t)(uint8_t)(d))

typedef struct Rect {
  int16_t top;
  int16_t left;
  int16_t bottom;
  int16_t right;
} Rect;

typedef struct Point {
  int16_t v;
  int16_t h;
} Point;

typedef struct RGBColor {
  uint16_t red;
  uint16_t green;
  uint16_t blue;
} RGBColor;

#endif
