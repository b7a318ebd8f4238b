// Whole-file reads and all-or-nothing writes for resource files.
#pragma once

#include <string>
#include <vector>

#include "platform/macos/types.h"
#include "platform/macos/export.h"

VM_API_BEGIN

// Reads the whole file. fnfErr when it does not exist, ioErr otherwise.
OSErr platformReadWholeFile(const std::string& path, std::vector<UInt8>* bytes);

// Writes `bytes` to a temporary file in the same folder, flushes it to disk
// and renames it over `path`, so `path` holds either its old contents or the
// new ones. On failure the temporary file is removed and `path` is untouched.
// With `mustNotExist`, an existing `path` gives dupFNErr and is not replaced.
// A new file gets mode 0666 less the umask; a replaced one keeps its mode.
OSErr platformWriteWholeFileAtomically(const std::string& path, const std::vector<UInt8>& bytes, bool mustNotExist);

VM_API_END
