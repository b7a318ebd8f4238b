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
#if defined(__powerpc__) || defined(__ppc__)
inline constexpr const char* cPlugVersion = "3.0.0 (PPC Universal)";
#else
inline constexpr const char* cPlugVersion = "3.0.0 (i386 Universal)";
#endif
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
