// Whole-file reads and all-or-nothing writes for resource files.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/macos/types.h"
#include "platform/macos/export.h"

VM_API_BEGIN

// Resource files hold a few kilobytes; a larger one is taken as damaged.
constexpr size_t kMaxResourceFileSize = size_t{16} << 20;

// Reads the whole of a regular file. fnfErr when it does not exist; ioErr when
// it is anything else (a folder, a pipe, a device: never waited on) or cannot
// be read; mapReadErr when it holds more than kMaxResourceFileSize bytes.
OSErr platformReadWholeFile(const std::string& path, std::vector<UInt8>* bytes);

// Writes `bytes` to a temporary file beside `path`, flushes it to disk and
// renames it over `path`, so `path` holds either its old contents or the new
// ones. A symbolic link is written through: the temporary file goes beside
// the link's final target and is renamed over it, and the link stays. On
// failure the temporary file is removed, `path` is untouched and `reason`
// (when not nullptr) says why in words. With `mustNotExist`, an existing
// `path` gives dupFNErr and is not replaced. A new file gets mode 0666 less
// the umask; a replaced one keeps its mode.
OSErr platformWriteWholeFileAtomically(const std::string& path, const std::vector<UInt8>& bytes, bool mustNotExist,
                                       std::string* reason = nullptr);

VM_API_END
