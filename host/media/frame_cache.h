// The frame times the video reader learns by decoding a whole file (one
// without a frame count in its header), kept between runs so that the next
// render, thumbnail or settings window of the same file starts at once.
// Files live in $XDG_CACHE_HOME/velmorance (or ~/.cache/velmorance), one a
// video stream, keyed by the file's identity, size and modification time;
// a file that cannot be read or written is simply not used.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

extern "C" {
#include <libavutil/rational.h>
}

namespace vmhost {

struct FrameTimes {
  AVRational timeBase{0, 1};
  std::vector<int64_t> pts;  // every frame's, ascending
  int64_t end = 0;           // the end of the last frame
};

// The times stored for stream `stream` of `path`, if the file is unchanged.
bool loadFrameTimes(const std::string& path, int stream, FrameTimes& times);
void saveFrameTimes(const std::string& path, int stream, const FrameTimes& times);

}  // namespace vmhost
