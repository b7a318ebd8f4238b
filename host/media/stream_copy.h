// What a movie output keeps of its input besides the rendered streams: the
// other streams packet for packet (text subtitles converted where the
// container takes another kind), the chapters and every tag, as
// `ffmpeg -map 0 -c copy` would keep them.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/media/ffmpeg_util.h"
#include "host/media/frame_sink.h"

namespace vmhost {

class StreamCopier {
 public:
  StreamCopier();
  ~StreamCopier();
  StreamCopier(const StreamCopier&) = delete;
  StreamCopier& operator=(const StreamCopier&) = delete;

  // Adds to `output` (before its header is written) a stream for every
  // stream of the input the render does not replace and the container can
  // hold, the chapters and the container's tags; gives the rendered streams
  // `video` and `audio` (either may be nullptr) the tags and dispositions of
  // theirs. Each stream it cannot keep gets a line in `dropped`.
  bool open(const CopySpec& spec, AVFormatContext* output, AVStream* video, AVStream* audio,
            std::vector<std::string>& dropped, std::string& error);

  // Writes the kept packets up to `seconds` of the output's time.
  bool writeUntil(double seconds, std::string& error);
  // Writes the rest.
  bool finish(std::string& error);

  // "2 audio, 1 subtitle stream copied", or empty.
  std::string summary() const;

 private:
  struct Kept;
  bool writePacket(AVPacket* packet, std::string& error);

  CopySpec spec_;
  AVFormatContext* output_ = nullptr;
  InputContextPtr input_;
  std::vector<std::unique_ptr<Kept>> kept_;  // by input stream index; nullptr: not kept
  PacketPtr pending_;                       // read, but later than the last writeUntil
  bool havePending_ = false;
  bool ended_ = false;
};

}  // namespace vmhost
