#include "plugin/core/dialog_runner.h"

// The configuration dialog is not built into this version yet: the custom
// button prepares the workspace and the first preview, and the configuration
// stays as it was.
void RunConfigurationDialog(pluginDataPtr) {}
