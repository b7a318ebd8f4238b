// The program's commands. Each prints its own errors ("velmorance: ...") on
// standard error and returns the process exit status.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

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

// The files a render or thumbnail reads: the input's (every picture of a
// sequence) and the --settings file; an output may replace none of them.
std::vector<std::string> filesRead(const Options& options);

// Prints "velmorance: <message>" on standard error (nothing after a stop
// signal); returns 1.
int reportError(const std::string& message);
// The same line for something the user should know that is no failure.
void reportNote(const std::string& message);

// After a stop signal (SIGINT, SIGTERM, SIGHUP; see stop_request.h) a
// command returns at its next stage, having written nothing, with any
// status: main() then reports the stop and exits with 128 + the signal.

}  // namespace vmhost
