#include "plugin/core/bridges/plugin_init.h"

#include "platform/files/files.h"
#include "platform/resources/resources.h"
#include "plugin/common/alerts.h"
#include "plugin/core/data_handling.h"
#include "plugin/files/prefsloader.h"

void InitMyPlugIn(pluginDataPtr* theData) {
  Assert(theData != nullptr ? *theData : nullptr, "Unable to allocate new data structure");
  short vRefNum = 0;
  long dirID = 0;
  if (FindFolder(kOnSystemDisk, kPreferencesFolderType, kCreateFolder, &vRefNum, &dirID) == noErr) {
    Str255 name;
    PrefsFileName(name);
    FSSpec spec;
    if (FSMakeFSSpec(vRefNum, dirID, name, &spec) == fnfErr) FSpCreateResFile(&spec, cPrefsCreator, cPrefsFileType, 0);
  }
  InitPluginData(*theData);
}

void InitPluginData(pluginDataPtr theConfig) {
  Assert(theConfig, "Nil theConfig on InitPluginData");
  ResetConfig(theConfig, true);
  (void)ReadConfig(theConfig);
  (void)SaveConfig(theConfig);
}
