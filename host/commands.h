// The program's commands. Each prints its own errors ("velmorance: ...") on
// standard error and returns the process exit status.
#pragma once

#include "host/options.h"

namespace vmhost {

int runRender(const Options& options);
int runThumbnail(const Options& options);
int runInfo(const Options& options);

// Prints "velmorance: <message>" on standard error; returns 1.
int reportError(const std::string& message);

}  // namespace vmhost
