#include "plugin/core/globals.h"

pluginDataPtr gTheConfig = nullptr;
pluginWorkSpace gConfigWorkSpace{};
CFBundleRef gMyBundle = nullptr;
