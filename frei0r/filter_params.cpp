#include "frei0r/filter_params.h"

#include <algorithm>
#include <cmath>
#include <mutex>

#include "plugin/core/data_handling.h"
#include "plugin/files/prefsloader.h"

namespace vmfrei0r {

const FilterParamInfo kFilterParams[kParamCount] = {
    {"strength",
     "Hardness of the print, in steps of 0.01: 0 is a pure threshold at middle grey, 1 an almost linear grey ramp"},
    {"left", "Left edge of the region the print changes, as a fraction of the frame width"},
    {"top", "Top edge of the region the print changes, as a fraction of the frame height"},
    {"right", "Right edge of the region the print changes, as a fraction of the frame width"},
    {"bottom", "Bottom edge of the region the print changes, as a fraction of the frame height"},
    {"mix", "How much the print covers the unprocessed frame: 1 the print alone, 0 the frame unchanged"},
};

namespace {

// The startRel field a rectangle parameter sets, or nullptr; const or not
// as the rectangle is.
template <typename Rel>
auto rectField(Rel& rel, int index) -> decltype(&rel.left) {
  switch (index) {
    case kLeft: return &rel.left;
    case kTop: return &rel.top;
    case kRight: return &rel.right;
    case kBottom: return &rel.bottom;
    default: return nullptr;
  }
}

}  // namespace

FilterSettings StoredFilterSettings() {
  // The Resource Manager and the folder registry behind ReadConfig are
  // process-wide and unguarded.
  static std::mutex readLock;
  FilterSettings settings;
  {
    std::lock_guard<std::mutex> hold(readLock);
    ResetConfig(&settings.config, true);
    ReadConfig(&settings.config);
  }
  // A hand-made file may hold values no host could set.
  for (int index = 0; index < kParamCount; ++index) SetFilterParam(settings, index, GetFilterParam(settings, index));
  return settings;
}

void SetFilterParam(FilterSettings& settings, int index, double value) {
  if (std::isnan(value)) return;
  value = std::clamp(value, 0.0, 1.0);
  if (index == kStrength)
    settings.config.sliders[1] = static_cast<int16_t>(std::lround(value * 100.0));
  else if (index == kMix)
    settings.mix = value;
  else if (double* field = rectField(settings.config.startRel, index))
    *field = value;
}

double GetFilterParam(const FilterSettings& settings, int index) {
  if (index == kStrength) return settings.config.sliders[1] / 100.0;
  if (index == kMix) return settings.mix;
  const double* field = rectField(settings.config.startRel, index);
  return field != nullptr ? *field : 0.0;
}

}  // namespace vmfrei0r
