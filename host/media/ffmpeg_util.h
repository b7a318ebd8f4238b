// RAII owners and small helpers for the FFmpeg objects the host uses.
#pragma once

#include <memory>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/frame.h>
#include <libavutil/pixdesc.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace vmhost {

struct InputContextDeleter {
  void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
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

using InputContextPtr = std::unique_ptr<AVFormatContext, InputContextDeleter>;
using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextDeleter>;
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;
using SwsPtr = std::unique_ptr<SwsContext, SwsDeleter>;
using SwrPtr = std::unique_ptr<SwrContext, SwrDeleter>;
using FifoPtr = std::unique_ptr<AVAudioFifo, FifoDeleter>;

// FFmpeg's text for an error code ("Invalid data found when processing input").
std::string avErrorText(int code);

// Opens `path` for reading and reads its stream information. On failure
// returns nullptr and sets `error` to a sentence naming the file.
InputContextPtr openInput(const std::string& path, std::string& error);
// Keeps only stream `index` of `input` (the others are skipped while
// reading) and returns it.
AVStream* keepOnlyStream(AVFormatContext* input, int index);

// A decoder for `stream`, opened, with FFmpeg's own threads enabled.
CodecContextPtr openDecoder(const AVStream* stream, std::string& error);

}  // namespace vmhost
