// The bundle's one exported symbol. C++ cannot name a library function
// `main`, so the assembler label gives it that name; everything else in the
// library stays hidden.
#include <cstdint>

#include "plugin/glue/basicfx.h"

extern "C++" __attribute__((visibility("default"))) int32_t VelmoranceEntry(int32_t which, _PluginParams* params)
    __asm__("main");

int32_t VelmoranceEntry(int32_t which, _PluginParams* params) {
  // Nothing may unwind into the host.
  try {
    return EffectMain(which, params);
  } catch (...) {
    return kPluginFailed;
  }
}
