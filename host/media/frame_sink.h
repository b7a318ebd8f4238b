// Where rendered frames go: a movie, numbered pictures, standard output,
// or nowhere.
#pragma once

#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/media/argb_frame.h"
#include "host/media/picture_convert.h"

namespace vmhost {

// The encoders of a movie: empty names and values pick the container's own.
struct EncoderChoice {
  bool lossless = false;
  std::string videoCodec, preset, pixFmt, audioCodec;
  std::optional<double> crf;
  int64_t audioBitrate = 0;
};

// What a movie keeps of its input besides the rendered video and audio:
// the other streams, chapters and metadata, from `from` to `to` (seconds
// of the input's timeline); the input's time `offset` is the output's 0.
struct CopySpec {
  std::string input;  // empty: nothing is copied
  int videoStream = -1;
  int audioStream = -1;
  double from = -std::numeric_limits<double>::infinity();
  double to = std::numeric_limits<double>::infinity();
  double offset = 0;
  // Audio the container cannot hold as it is is encoded anew with this
  // encoder (nullptr: dropped), at this bitrate (0: by its channel count).
  const AVCodec* soundEncoder = nullptr;
  int64_t soundBitrate = 0;
};

struct OutputSpec {
  std::string path;    // chooses the kind by extension; "null" discards, "-" is standard output
  std::string format;  // a container by FFmpeg's name, for "-" or over the extension
  bool overwrite = false;
  int width = 0;
  int height = 0;
  int64_t frameCount = 0;
  AVRational frameRate{25, 1};
  // Variable rate: every frame's time and the end of the last (frameCount +
  // 1 values) in `timeBase`. Empty: the frames follow the frame rate.
  AVRational timeBase{1, 25};
  std::vector<int64_t> frameTimes;
  AVRational sampleAspect{0, 1};  // 0/1: square pixels
  bool alpha = false;              // keep the alpha byte where the format can hold it
  AVPixelFormat sourceFormat = AV_PIX_FMT_NONE;  // the input's, to pick the nearest an encoder takes
  ColourSpace colours;  // the matrix and range of the input; the output's too
  AVColorPrimaries primaries = AVCOL_PRI_UNSPECIFIED;
  AVColorTransferCharacteristic transfer = AVCOL_TRC_UNSPECIFIED;
  int sampleRate = 0;
  const AVChannelLayout* audioLayout = nullptr;  // nullptr: no audio track
  EncoderChoice encoders;
  CopySpec copy;
};

class FrameSink {
 public:
  // An unfinished sink removes what it wrote.
  virtual ~FrameSink() = default;
  // One frame: ARGB pixels of the size the OutputSpec gives and its audio,
  // interleaved floats at the OutputSpec's rate and layout. The sink may
  // keep the pixels and leave in `frame` another buffer of the same size,
  // whose pixels are undefined.
  virtual bool write(ArgbFrame& frame, const float* audio, int64_t sampleFrames, std::string& error) = 0;
  // Flushes, closes and puts the output in place.
  virtual bool finish(std::string& error) = 0;

  // The streams of the input kept besides the rendered ones ("2 audio, 1
  // subtitle stream copied"); empty when none.
  virtual std::string copied() const { return {}; }
  // One line for every stream of the input the output cannot hold.
  const std::vector<std::string>& dropped() const { return dropped_; }

 protected:
  std::vector<std::string> dropped_;
};

// Checks the output name and creates its temporary file, so an output that
// cannot be written fails before any rendering. Returns nullptr with
// `error` set.
std::unique_ptr<FrameSink> openFrameSink(const OutputSpec& spec, std::string& error);

// Kinds of sink, chosen by openFrameSink.
std::unique_ptr<FrameSink> openMovieSink(const OutputSpec& spec, const AVOutputFormat* format, std::string& error);
std::unique_ptr<FrameSink> openPictureSink(const OutputSpec& spec, AVCodecID codec, std::string& error);

// True for outputs written as pictures (.png, .tif, .jpg), which hold no sound.
bool isPictureOutput(const std::string& path);

// "out.mp4 exists (add --overwrite to replace it)" when `path` is there and
// may not be replaced; else empty.
std::string refuseExisting(const std::string& path, bool overwrite);

}  // namespace vmhost
