// The program's commands. Each prints its own errors ("velmorance: ...") on
// standard error and returns the process exit status.
#pragma once

#include <cstdint>
#include <string>

#include "host/cli/options.h"

namespace vmhost {

int runRender(const Options& options);
int runThumbnail(const Options& options);
int runInfo(const Options& options);
// Opens the plug-in's settings window on a frame of the input; returns 0
// after OK (the settings stored), kCancelledStatus after Cancel.
int runConfigure(const Options& options);
inline constexpr int kCancelledStatus = 2;
// Prints or changes the stored settings (or a settings file).
int runSettings(const Options& options);

// "OPTION FRAME is past the end: INPUT has N frames (0 to N-1)" when frame
// lies past the clip's last frame, else the empty text.
std::string framePastEnd(const std::string& option, int64_t frame, const std::string& input, int64_t frameCount);

// Prints "velmorance: <message>" on standard error; returns 1.
int reportError(const std::string& message);
// The same line for something the user should know that is no failure.
void reportNote(const std::string& message);

// Set by SIGINT or SIGTERM; a render stops at the next frame and removes
// what it wrote.
bool interruptRequested();
void watchForInterrupts();

}  // namespace vmhost
