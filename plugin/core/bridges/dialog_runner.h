// Where the configuration core hands over to the dialog: registers the custom
// control classes, runs the modal dialog on theConfig and unregisters them.
// The preview buffer of gConfigWorkSpace is ready when this is called.
#pragma once

#include "plugin/core/plugin_defines.h"

void RunConfigurationDialog(pluginDataPtr theConfig);
