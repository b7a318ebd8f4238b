// The frei0r entry points: the only symbols the module exports. Nothing
// throws across them; a failure is a null instance or a call that does
// nothing.
// frei0r.h declares C functions without saying so.
#pragma GCC visibility push(default)
extern "C" {
#include <frei0r.h>
}
#pragma GCC visibility pop

#include "frei0r/print_instance.h"
#include "plugin/core/plugin_defines.h"

using vmfrei0r::PrintInstance;

namespace {

PrintInstance* instanceOf(f0r_instance_t instance) { return static_cast<PrintInstance*>(instance); }

}  // namespace

// Hosts differ on how often they call these (ffmpeg once per filter), so
// there is nothing to set up or tear down.
int f0r_init() { return 1; }
void f0r_deinit() {}

void f0r_get_plugin_info(f0r_plugin_info_t* info) {
  if (info == nullptr) return;
  info->name = cMyPluginName;
  info->author = "qz/t";
  info->plugin_type = F0R_PLUGIN_TYPE_FILTER;
  info->color_model = F0R_COLOR_MODEL_RGBA8888;
  info->frei0r_version = FREI0R_MAJOR_VERSION;
  info->major_version = cPlugVersionNum >> 16;
  info->minor_version = (cPlugVersionNum >> 8) & 0xFF;
  info->num_params = vmfrei0r::kParamCount;
  info->explanation =
      "Black-and-white print: each pixel's brightness mapped onto a black-to-white gradient whose hardness is the "
      "strength, inside a rectangle of the frame";
}

void f0r_get_param_info(f0r_param_info_t* info, int index) {
  if (info == nullptr || index < 0 || index >= vmfrei0r::kParamCount) return;
  info->name = vmfrei0r::kFilterParams[index].name;
  info->type = F0R_PARAM_DOUBLE;
  info->explanation = vmfrei0r::kFilterParams[index].explanation;
}

f0r_instance_t f0r_construct(unsigned int width, unsigned int height) {
  try {
    return PrintInstance::Make(width, height, vmfrei0r::StoredFilterSettings()).release();
  } catch (...) {
    return nullptr;
  }
}

void f0r_destruct(f0r_instance_t instance) { delete instanceOf(instance); }

void f0r_set_param_value(f0r_instance_t instance, f0r_param_t param, int index) {
  if (instance == nullptr || param == nullptr) return;
  vmfrei0r::SetFilterParam(instanceOf(instance)->settings(), index, *static_cast<const f0r_param_double*>(param));
}

void f0r_get_param_value(f0r_instance_t instance, f0r_param_t param, int index) {
  if (instance == nullptr || param == nullptr || index < 0 || index >= vmfrei0r::kParamCount) return;
  *static_cast<f0r_param_double*>(param) = vmfrei0r::GetFilterParam(instanceOf(instance)->settings(), index);
}

// `time` is not used: hosts differ on its unit, and some pass garbage.
void f0r_update(f0r_instance_t instance, double, const uint32_t* inframe, uint32_t* outframe) {
  if (instance == nullptr || inframe == nullptr || outframe == nullptr) return;
  instanceOf(instance)->Update(inframe, outframe);
}

void f0r_update2(f0r_instance_t instance, double time, const uint32_t* inframe1, const uint32_t*, const uint32_t*,
                 uint32_t* outframe) {
  f0r_update(instance, time, inframe1, outframe);
}
