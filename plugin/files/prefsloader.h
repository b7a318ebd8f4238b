// The last accepted configuration, kept as resource "Pref" 1 ("Config
// Settings") in the preferences file "zelph-Prefs".
#pragma once

#include <cstdint>

#include "platform/macos/types.h"
#include "plugin/core/plugin_defines.h"

inline constexpr const char* cPrefName = "-Prefs";
inline constexpr OSType cPrefsFileType = VM_FOURCC('P', 'r', 'e', 'f');
inline constexpr OSType cPrefsCreator = VM_FOURCC('q', 'z', 't', ' ');
inline constexpr ResType cConfigResType = VM_FOURCC('P', 'r', 'e', 'f');
inline constexpr short cConfigResID = 1;
inline constexpr uint32_t cConfigSaveVersion = 3;
inline constexpr uint32_t cConfigSaveVersionPPC = 2;  // neither written nor accepted

// The stored record, 392 bytes, multi-byte fields in the writing machine's
// byte order. Colours precede sliders here, unlike in pluginDataRec.
struct configSaveRec {
  uint32_t sizeInBytes;
  uint32_t version;
  relRect startRel;
  relRect endRel;
  RGBColor colors[6];
  int16_t sliders[6];
  RGBColor frameStartColor;
  RGBColor frameEndColor;
  int16_t mediaType;
  uint8_t keepProps;
  uint8_t twoColors;
  unsigned char miscString[256];
};
static_assert(sizeof(configSaveRec) == 392, "the stored record is 392 bytes");

// "zelph-Prefs" as a short string.
void PrefsFileName(Str255 name);

// Fills the record from theConfig; false when either is missing.
bool Config2Save(pluginDataPtr theConfig, Handle theSaveConfig);
// Copies a valid record into theConfig; false (theConfig unchanged) when
// either is missing or the record is short, of another size or version, or
// holds a fraction that is not a finite number.
bool Save2Config(pluginDataPtr theConfig, Handle theSaveConfig);
// Replaces the stored record (every one, should the file hold several) with
// theConfig. False when the preferences file is missing or cannot be written;
// the file then keeps what it held (the Resource Manager's store notice says
// why it could not be written).
bool SaveConfig(pluginDataPtr theConfig);
// Overlays the stored record on theConfig; false (theConfig unchanged) when
// there is none or it is not valid.
bool ReadConfig(pluginDataPtr theConfig);
