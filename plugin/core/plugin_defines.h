// The configuration record, the dialog workspace and the product constants.
#pragma once

#include <cstdint>

#include "platform/coregraphics/cgimage.h"
#include "platform/quickdraw/quickdraw.h"
#include "platform/toolkit/toolkit_types.h"
#include "plugin/core/rel_rect.h"

inline constexpr const char* cMyPluginName = "velmorance";
inline constexpr const char* cMyClearName = "Velmorance (b&w)";
inline constexpr const char* cMyBundleID = "com.qzt.oxbowfx.velmorance";
// The version names the machine and system the build runs on, as uname(1)
// names them.
#if defined(__x86_64__)
#define VM_BUILD_MACHINE "x86_64"
#elif defined(__aarch64__)
#define VM_BUILD_MACHINE "aarch64"
#elif defined(__i386__)
#define VM_BUILD_MACHINE "i686"
#elif defined(__arm__)
#define VM_BUILD_MACHINE "arm"
#elif defined(__powerpc64__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
#define VM_BUILD_MACHINE "ppc64le"
#elif defined(__powerpc64__)
#define VM_BUILD_MACHINE "ppc64"
#elif defined(__riscv) && __riscv_xlen == 64
#define VM_BUILD_MACHINE "riscv64"
#else
#define VM_BUILD_MACHINE "unknown machine"
#endif
#if defined(__linux__)
#define VM_BUILD_SYSTEM "Linux"
#elif defined(__FreeBSD__)
#define VM_BUILD_SYSTEM "FreeBSD"
#elif defined(__APPLE__)
#define VM_BUILD_SYSTEM "Darwin"
#else
#define VM_BUILD_SYSTEM "unknown system"
#endif
inline constexpr const char* cPlugVersion = "3.0.0 (" VM_BUILD_MACHINE " " VM_BUILD_SYSTEM ")";
inline constexpr int32_t cPlugVersionNum = 0x30000;

inline constexpr int cUsesSlider1 = 1;
inline constexpr int cUsesSlider2 = 0;
inline constexpr int cUsesSlider3 = 0;
inline constexpr int cUsesSlider4 = 0;
inline constexpr int cUsesSlider5 = 0;
inline constexpr int cUsesSlider6 = 0;
inline constexpr int cUsesColor1 = 0;
inline constexpr int cUsesColor2 = 0;
inline constexpr int cUsesColor3 = 0;
inline constexpr int cUsesColor4 = 0;
inline constexpr int cUsesColor5 = 0;
inline constexpr int cUsesColor6 = 0;
inline constexpr int cUsedNumberOfRects = 1;
inline constexpr int cHandleSize = 6;
inline constexpr int cUseDisposeGWinSlider = 1;

inline constexpr int cNumSliders = 6;
inline constexpr int cNumColors = 6;

// The whole configuration of the effect. Arrays are indexed from 1 as in the
// dialog and the stored record: use sliders[1] .. sliders[6]; element 0 is
// unused and stays 0.
struct pluginDataRec {
  relRect startRel;
  relRect endRel;
  int16_t sliders[cNumSliders + 1];
  RGBColor colors[cNumColors + 1];
  RGBColor frameStartColor;
  RGBColor frameEndColor;
  int16_t mediaType;  // 1 NTSC 720x480, 2 PAL 720x576, 3 HD 960x540
  Boolean sync;
  Boolean outside;
  Boolean clipActive;
  CGImageRef theOriginalImage;
  CGImageRef theRendered;
  Boolean keepProps;
  Boolean twoColors;
};
using pluginDataPtr = pluginDataRec*;

// The state of one run of the configuration dialog.
struct pluginWorkSpace {
  pluginDataPtr theConfig;
  void* iMovieParams;
  GrafPtr sourceClip;
  GrafPtr theFXClip;
  int32_t currFrameIndex;
  int32_t minFrameIndex;
  int32_t maxFrameIndex;
  int16_t activeRel;
  ControlRef theFrameCtrl;
  ControlRef sliders[cNumSliders + 1];
  ControlRef clipSlider;
  ControlRef colors[cNumColors + 1];
  WindowRef theWindow;
};
