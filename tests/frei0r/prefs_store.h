// Stores a configuration as the user's "zelph-Prefs" in a private preferences
// folder, with the plug-in's own SaveConfig.
#pragma once

#include <cstdlib>
#include <string>

#include "platform/files/files.h"
#include "platform/resources/resources.h"
#include "plugin/core/data_handling.h"
#include "plugin/files/prefsloader.h"

namespace vmtest {

// Points XDG_CONFIG_HOME at `folder` for this process and the programs it
// starts.
inline void UsePrefsFolder(const std::string& folder) { setenv("XDG_CONFIG_HOME", folder.c_str(), 1); }

// Stores the design's defaults with slider 1 at `slider` and startRel
// (left, top, right, bottom) in the current preferences folder.
inline bool StorePrefs(int slider, double left, double top, double right, double bottom) {
  short vRefNum = 0;
  long dirID = 0;
  if (FindFolder(kOnSystemDisk, kPreferencesFolderType, kCreateFolder, &vRefNum, &dirID) != noErr) return false;
  Str255 name;
  PrefsFileName(name);
  FSSpec spec;
  if (FSMakeFSSpec(vRefNum, dirID, name, &spec) == fnfErr) FSpCreateResFile(&spec, cPrefsCreator, cPrefsFileType, 0);
  pluginDataRec config{};
  ResetConfig(&config, true);
  config.sliders[1] = static_cast<int16_t>(slider);
  config.startRel = relRect{left, right, top, bottom};
  return SaveConfig(&config);
}

}  // namespace vmtest
