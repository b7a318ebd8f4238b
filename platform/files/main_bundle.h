// The running program's own bundle.
#pragma once

#include "platform/corefoundation/cftypes.h"
#include "platform/macos/export.h"

VM_API_BEGIN

// The folder of the running executable as a bundle (its resources in
// Contents/Resources); not retained, valid for the whole process. nullptr
// when the executable cannot be found.
CFBundleRef CFBundleGetMainBundle();

VM_API_END
