// Ending the program on SIGINT, SIGTERM or SIGHUP. A signal only raises a
// flag: long work polls it (the frame loop, each stage of a command, FFmpeg's
// reads and writes, an event loop through the notice descriptor) and winds
// down, removing what it was writing. Whatever is still running a grace
// period later, or at a second signal, ends at once, after the paths marked
// unfinished below are removed.
#pragma once

#include <string>

namespace vmhost {

// Installs the handlers and starts the thread that enforces the grace
// period. SIGHUP stays ignored when the process started so (nohup).
// Call once, early in main().
void watchForStopSignals();

bool stopRequested();
// Prints "velmorance: stopped by SIGTERM" on standard error, once for the
// process, and returns the exit status after a stop: 128 + the signal.
int reportStop();

// A descriptor that turns readable once a stop is requested (never read
// from it), for event loops; -1 when the handlers are not installed.
int stopNoticeFd();

// Paths (files or whole folders) being written: the program removes them if
// it has to end at once. Marking is by the exact text of the path.
void markUnfinished(const std::string& path);
void markFinished(const std::string& path);

}  // namespace vmhost
