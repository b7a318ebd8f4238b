// The entry function's dispatcher and the selectors that do not render
// clips: describing the effect, the placeholder frame and the custom button.
#pragma once

#include <cstdint>

#include "velmorance/host_interface.h"

// What the exported `main` does: checks the block and the interface version,
// makes the master configuration on first use and dispatches the selector.
// Selectors without a handler succeed.
int32_t EffectMain(int32_t which, _PluginParams* params);

HYPluginResult EffectGetInfos(int16_t which, _PluginParams* params);
void SetFilterParamInfos(int16_t which, _PluginParams* params);
// Runs a whole one-frame render on a private copy of the block to draw the
// thumbnail at getInfo.bestThumbOffset into the host's frame.
HYPluginResult MakeEffectPlaceHolders(int16_t which, _PluginParams* params);
// Fetches the frame the user is on and runs the configuration dialog.
HYPluginResult CustomButtons(int16_t which, _PluginParams* params);
