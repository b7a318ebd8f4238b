// The program's commands. Each prints its own errors ("velmorance: ...") on
// standard error and returns the process exit status.
#pragma once

#include "host/options.h"

namespace vmhost {

int runRender(const Options& options);
int runThumbnail(const Options& options);
int runInfo(const Options& options);
// Opens the plug-in's settings window on a frame of the input.
int runConfigure(const Options& options);

// Prints "velmorance: <message>" on standard error; returns 1.
int reportError(const std::string& message);

// Set by SIGINT or SIGTERM; a render stops at the next frame and removes
// what it wrote.
bool interruptRequested();
void watchForInterrupts();

}  // namespace vmhost
