// First-use set-up of the master configuration record: where the core meets
// the preferences file.
#pragma once

#include "plugin/core/plugin_defines.h"

// Makes sure the preferences file exists, then resets the record and reads
// the stored configuration over it. theData points at the master pointer.
void InitMyPlugIn(pluginDataPtr* theData);
// Resets theConfig, reads the stored configuration over it and stores the
// result straight back.
void InitPluginData(pluginDataPtr theConfig);
