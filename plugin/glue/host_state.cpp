#include "plugin/glue/host_state.h"

bool gPascalInited = false;
pluginDataPtr gPascalData = nullptr;
int32_t gMostRecentStartFrame = 0;
int32_t gMostRecentFrameCount = 0;
