// Module-wide state of the configuration core.
#pragma once

#include "platform/corefoundation/cftypes.h"
#include "plugin/core/plugin_defines.h"

extern pluginDataPtr gTheConfig;
extern pluginWorkSpace gConfigWorkSpace;
extern CFBundleRef gMyBundle;
