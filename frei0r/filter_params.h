// The frei0r filter's parameters: what hosts list and set, and how each maps
// onto the configuration record the print reads. All are frei0r doubles in
// 0..1, as GStreamer clamps doubles to that range and MLT ignores position
// parameters.
#pragma once

#include "plugin/core/plugin_defines.h"

namespace vmfrei0r {

enum FilterParam { kStrength, kLeft, kTop, kRight, kBottom, kMix, kParamCount };

struct FilterParamInfo {
  const char* name;
  const char* explanation;
};
// Indexed by FilterParam.
extern const FilterParamInfo kFilterParams[kParamCount];

// What one instance renders with: the configuration record (slider 1 and
// startRel matter) and how much of the print covers the unprocessed frame.
struct FilterSettings {
  pluginDataRec config{};
  double mix = 1.0;
};

// The effect's defaults with the stored configuration ("zelph-Prefs") over
// them when there is a valid one, each parameter clamped to its range. Reads
// the file under a lock, as instances may be made on several threads at
// once; never writes it.
FilterSettings StoredFilterSettings();

// Sets one parameter from a frei0r double, clamped to 0..1. Strength moves
// slider 1 in whole percent (0.5 is 50), as the print reads it. An index out
// of range or a value that is not a number changes nothing.
void SetFilterParam(FilterSettings& settings, int index, double value);
// The parameter's value as a frei0r double, or 0 for an index out of range.
double GetFilterParam(const FilterSettings& settings, int index);

}  // namespace vmfrei0r
