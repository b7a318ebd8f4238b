// One owner type for every FFmpeg object the host uses, and small helpers.
#pragma once

#include <functional>
#include <memory>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/dict.h>
#include <libavutil/frame.h>
#include <libavutil/pixdesc.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace vmhost {

struct InputContextDeleter {
  void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
};
// An output context closes its file (if it opened one) before it is freed.
struct OutputContextDeleter {
  void operator()(AVFormatContext* c) const {
    if (c->pb != nullptr && !(c->oformat->flags & AVFMT_NOFILE)) avio_closep(&c->pb);
    avformat_free_context(c);
  }
};
struct CodecContextDeleter {
  void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameDeleter {
  void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketDeleter {
  void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct SwsDeleter {
  void operator()(SwsContext* c) const { sws_freeContext(c); }
};
struct SwrDeleter {
  void operator()(SwrContext* c) const { swr_free(&c); }
};
struct FifoDeleter {
  void operator()(AVAudioFifo* f) const { av_audio_fifo_free(f); }
};
struct SubtitleDeleter {
  void operator()(AVSubtitle* s) const {
    avsubtitle_free(s);
    delete s;
  }
};
struct DictionaryDeleter {
  void operator()(AVDictionary* d) const { av_dict_free(&d); }
};

using InputContextPtr = std::unique_ptr<AVFormatContext, InputContextDeleter>;
using OutputContextPtr = std::unique_ptr<AVFormatContext, OutputContextDeleter>;
using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextDeleter>;
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;
using SwsPtr = std::unique_ptr<SwsContext, SwsDeleter>;
using SwrPtr = std::unique_ptr<SwrContext, SwrDeleter>;
using FifoPtr = std::unique_ptr<AVAudioFifo, FifoDeleter>;
using DictionaryPtr = std::unique_ptr<AVDictionary, DictionaryDeleter>;
using SubtitlePtr = std::unique_ptr<AVSubtitle, SubtitleDeleter>;

// A channel layout that owns its custom channel map, if any. Layouts without
// an order the host can name become the default order for their count.
class ChannelLayout {
 public:
  ChannelLayout() = default;
  explicit ChannelLayout(const AVChannelLayout& layout) { assign(layout); }
  ChannelLayout(const ChannelLayout& other) { assign(other.layout_); }
  ChannelLayout& operator=(const ChannelLayout& other) {
    if (this != &other) assign(other.layout_);
    return *this;
  }
  ~ChannelLayout() { av_channel_layout_uninit(&layout_); }

  void assign(const AVChannelLayout& layout);
  const AVChannelLayout& get() const { return layout_; }
  // For FFmpeg 5 calls that only read a layout but take it non-const.
  AVChannelLayout* forReading() const { return const_cast<AVChannelLayout*>(&layout_); }
  int channels() const { return layout_.nb_channels; }

 private:
  AVChannelLayout layout_{};
};

// Sets `key` in `dictionary`, making one if needed.
void setOption(DictionaryPtr& dictionary, const char* key, const std::string& value);

// FFmpeg's own log: its lines reach standard error only when `verbose`;
// its error lines are kept either way, to say why a call failed.
void routeFFmpegLog(bool verbose);

// The error FFmpeg logs during one call: made before the call, asked after.
class FFmpegErrors {
 public:
  FFmpegErrors();
  // The last error line logged since (without its "[mov @ 0x...]" prefix),
  // else FFmpeg's text for `code`.
  std::string reason(int code) const;

 private:
  uint64_t start_;
};

// FFmpeg's text for an error code ("Invalid data found when processing input").
std::string avErrorText(int code);

// Makes FFmpeg's reads and writes on a format context fail (AVERROR_EXIT)
// once a stop signal came.
AVIOInterruptCB stopCallback();

// Opens `path` for reading and reads its stream information. On failure
// returns nullptr and sets `error` to a sentence naming the file; a pipe,
// device or folder is refused before it is opened. For a
// picture sequence, `sequenceFrames` receives its length.
InputContextPtr openInput(const std::string& path, std::string& error, int64_t* sequenceFrames = nullptr);
// Keeps only stream `index` of `input` (the others are skipped while
// reading) and returns it.
AVStream* keepOnlyStream(AVFormatContext* input, int index);

// A decoder for `stream`, opened, with FFmpeg's own threads enabled.
CodecContextPtr openDecoder(const AVStream* stream, std::string& error);

// A fresh frame or packet; throws std::bad_alloc when there is no memory.
FramePtr allocFrame();
PacketPtr allocPacket();

// Sends `frame` to `encoder` (nullptr: the end) and writes every packet that
// comes out to `stream` of `output`, its times moved by `shift` (in the
// encoder's time base) and then into the stream's; `stamp`, if given, may
// set more of each packet first. Returns 0, or FFmpeg's error code with
// `writing` telling whether writing failed rather than encoding.
int encodeInto(AVCodecContext* encoder, const AVFrame* frame, AVFormatContext* output, AVStream* stream,
               AVPacket* packet, int64_t shift, bool& writing, const std::function<void(AVPacket&)>& stamp = {});

}  // namespace vmhost
