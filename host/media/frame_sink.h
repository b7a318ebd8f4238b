// Where rendered frames go: a movie file, PNG pictures, or nowhere.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/rational.h>
}

namespace vmhost {

struct OutputSpec {
  std::string path;  // chooses the kind by extension; "null" discards
  bool lossless = false;
  int width = 0;
  int height = 0;
  int64_t frameCount = 0;
  AVRational frameRate{25, 1};
  bool alpha = false;  // keep the alpha byte where the format can hold it
  int sampleRate = 0;
  const AVChannelLayout* audioLayout = nullptr;  // nullptr: no audio track
};

class FrameSink {
 public:
  // An unfinished sink removes what it wrote.
  virtual ~FrameSink() = default;
  // One frame: ARGB pixels (`rowBytes` a row, the size the OutputSpec gives) and its
  // audio, interleaved floats at the OutputSpec's rate and layout.
  virtual bool write(const uint8_t* argb, int rowBytes, const float* audio, int64_t sampleFrames,
                     std::string& error) = 0;
  // Flushes, closes and puts the output in place.
  virtual bool finish(std::string& error) = 0;
};

// Checks the output name and creates its temporary file, so an output that
// cannot be written fails before any rendering. Returns nullptr with
// `error` set.
std::unique_ptr<FrameSink> openFrameSink(const OutputSpec& spec, std::string& error);

// Kinds of sink, chosen by openFrameSink.
std::unique_ptr<FrameSink> openMovieSink(const OutputSpec& spec, std::string& error);
std::unique_ptr<FrameSink> openPngSink(const OutputSpec& spec, std::string& error);

}  // namespace vmhost
