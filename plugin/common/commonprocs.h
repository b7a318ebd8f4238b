// The shared procedures of the effect (alerts, conversions, colour packing)
// in one include.
#pragma once

#include "plugin/common/alerts.h"
#include "plugin/common/color_packing.h"
#include "plugin/common/numeric_helpers.h"
#include "plugin/common/string_conversions.h"
