// The running program's own bundle.
#pragma once

#include "platform/corefoundation/cftypes.h"

// The folder of the running executable as a bundle (its resources in
// Contents/Resources); not retained, valid for the whole process. nullptr
// when the executable cannot be found.
CFBundleRef CFBundleGetMainBundle();
