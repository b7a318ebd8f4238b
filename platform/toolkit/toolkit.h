// The whole window toolkit stand-in in one include.
#pragma once

#include "platform/toolkit/classes.h"
#include "platform/toolkit/controls.h"
#include "platform/toolkit/events.h"
#include "platform/toolkit/launch.h"
#include "platform/toolkit/toolkit_types.h"
#include "platform/toolkit/windows.h"
#include "platform/macos/export.h"

VM_API_BEGIN

VM_API_END
