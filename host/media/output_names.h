// The files a render writes and the files it reads, compared before the
// first frame: an output never replaces a file the run reads, never names a
// folder, and a sequence never gives two frames one file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vmhost {

// The files reading `input` opens: every picture of a sequence, else the
// file itself.
std::vector<std::string> inputFiles(const std::string& input);

// Why `frames` frames cannot be written to `output` (with --format `format`,
// which makes a movie of any name), or the empty text: a sequence's number
// field too wide, a name that is a folder, a name that is one of the files
// in `reads` (compared by device and inode, so links count; --overwrite
// does not change this), or two frames of a sequence written to one file.
// "-" (standard output) and "null" write no file.
std::string checkOutputNames(const std::string& output, const std::string& format, int64_t frames,
                             const std::vector<std::string>& reads);

}  // namespace vmhost
