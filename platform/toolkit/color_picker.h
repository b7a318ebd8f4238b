// The Color Picker: asks the user for a colour in a modal dialog.
#pragma once

#include "platform/macos/types.h"
#include "platform/macos/export.h"

VM_API_BEGIN

enum : UInt32 {
  kColorPickerDialogIsMoveable = 1,
  kColorPickerDialogIsModal = 2,
  kColorPickerAppIsColorSyncAware = 0x10,
  kColorPickerInPickerDialog = 0x80
};
enum : SInt16 { kAtSpecifiedOrigin = 0 };

struct PMColor {
  void* profile;  // colour profile; only nullptr (the default RGB) is supported
  RGBColor color;
};

struct PickerMenuItemInfo {
  SInt16 editMenuID, cutItem, copyItem, pasteItem, clearItem, undoItem;
};

struct NColorPickerInfo {
  PMColor theColor;
  void* dstProfile;
  UInt32 flags;
  SInt16 placeWhere;
  Point dialogOrigin;
  OSType pickerType;
  void* eventProc;
  void* colorProc;
  UInt32 colorProcData;
  Str255 prompt;
  PickerMenuItemInfo mInfo;
  Boolean newColorChosen;
};

enum { userCanceledErr = -128 };

// Shows a colour dialog titled with the prompt, starting at theColor.color.
// On OK: noErr, newColorChosen true and theColor.color the choice (16 bits a
// channel, the high byte repeated). Cancelled: noErr with newColorChosen
// false. Without a GUI application: userCanceledErr.
OSStatus NPickColor(NColorPickerInfo* info);

VM_API_END
