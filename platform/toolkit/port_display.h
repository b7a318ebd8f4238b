// Between the drawing services and the toolkit: a port's pixels changed.
#pragma once

#include "platform/quickdraw/quickdraw.h"

namespace toolkit {

// When `port` belongs to a window, schedules its custom controls to show
// the new pixels; otherwise does nothing.
void portChanged(GrafPtr port);

}  // namespace toolkit
