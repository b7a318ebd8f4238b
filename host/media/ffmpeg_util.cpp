#include "host/media/ffmpeg_util.h"

#include "host/media/picture_sequence.h"
#include "host/media/stop_request.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <mutex>
#include <new>

namespace vmhost {

namespace {

// FFmpeg logs from its own threads too.
std::mutex gLogMutex;
bool gVerbose = false;
std::string gLastError;
uint64_t gErrorCount = 0;

extern "C" void logLine(void* object, int level, const char* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  if (gVerbose) av_log_default_callback(object, level, format, args);
  if (level <= AV_LOG_ERROR) {
    char line[1024];
    int printPrefix = 1;
    av_log_format_line2(nullptr, level, format, copy, line, sizeof line, &printPrefix);
    std::string text = line;
    while (!text.empty() && (text.back() == '\n' || text.back() == '.' || text.back() == ' ')) text.pop_back();
    std::lock_guard<std::mutex> lock(gLogMutex);
    gLastError = text;
    ++gErrorCount;
  }
  va_end(copy);
}

}  // namespace

void routeFFmpegLog(bool verbose) {
  gVerbose = verbose;
  av_log_set_level(verbose ? AV_LOG_INFO : AV_LOG_QUIET);
  av_log_set_callback(logLine);
}

FFmpegErrors::FFmpegErrors() {
  std::lock_guard<std::mutex> lock(gLogMutex);
  start_ = gErrorCount;
}

std::string FFmpegErrors::reason(int code) const {
  std::lock_guard<std::mutex> lock(gLogMutex);
  return gErrorCount > start_ && !gLastError.empty() ? gLastError : avErrorText(code);
}

std::string avErrorText(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

namespace {

extern "C" int stopRequestedCallback(void*) { return stopRequested() ? 1 : 0; }

// Why a path that is not a regular file cannot be an input.
std::string notAFile(const std::string& path, mode_t mode) {
  if (S_ISDIR(mode)) return path + ": is a folder, not a video or image file";
  // Frames are read in any order, and the file again for the streams a
  // movie keeps.
  return path + ": is " + (S_ISFIFO(mode) ? "a pipe" : S_ISSOCK(mode) ? "a socket" : "a device") +
         ", not a file: the input must be a seekable file";
}

}  // namespace

AVIOInterruptCB stopCallback() { return AVIOInterruptCB{stopRequestedCallback, nullptr}; }

AVStream* keepOnlyStream(AVFormatContext* input, int index) {
  for (unsigned i = 0; i < input->nb_streams; ++i)
    if (static_cast<int>(i) != index) input->streams[i]->discard = AVDISCARD_ALL;
  return input->streams[index];
}

InputContextPtr openInput(const std::string& path, std::string& error, int64_t* sequenceFrames) {
  // A plain missing file gets the system's own words; a picture sequence
  // must have no gaps, and is read from its first number on.
  DictionaryPtr options;
  if (isSequencePattern(path)) {
    int64_t first = 0, count = 0;
    if (!scanSequence(path, first, count, error)) return nullptr;
    if (sequenceFrames != nullptr) *sequenceFrames = count;
    setOption(options, "start_number", std::to_string(first));
  } else {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
      // "-" stands for standard output as an output, but frames are read in
      // any order, so an input cannot be a stream.
      error = path == "-" && errno == ENOENT
                  ? "-: standard input cannot be read: the input must be a seekable file (a file named - is ./-)"
                  : path + ": " + std::strerror(errno);
      return nullptr;
    }
    if (!S_ISREG(info.st_mode)) {
      error = notAFile(path, info.st_mode);
      return nullptr;
    }
    if (info.st_size == 0) {
      error = path + ": the file is empty";
      return nullptr;
    }
  }
  AVFormatContext* raw = avformat_alloc_context();
  if (raw == nullptr) throw std::bad_alloc();
  raw->interrupt_callback = stopCallback();
  AVDictionary* rawOptions = options.release();
  int rc = avformat_open_input(&raw, path.c_str(), nullptr, &rawOptions);
  options.reset(rawOptions);
  if (rc < 0) {
    error = path + ": cannot open as video or image (" + avErrorText(rc) + ")";
    return nullptr;
  }
  InputContextPtr input(raw);
  rc = avformat_find_stream_info(input.get(), nullptr);
  if (rc < 0) {
    error = path + ": cannot read stream information (" + avErrorText(rc) + ")";
    return nullptr;
  }
  return input;
}

CodecContextPtr openDecoder(const AVStream* stream, std::string& error) {
  const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
  if (codec == nullptr) {
    error = std::string("no decoder for ") + avcodec_get_name(stream->codecpar->codec_id);
    return nullptr;
  }
  CodecContextPtr ctx(avcodec_alloc_context3(codec));
  if (!ctx) {
    error = "out of memory";
    return nullptr;
  }
  int rc = avcodec_parameters_to_context(ctx.get(), stream->codecpar);
  if (rc >= 0) {
    ctx->pkt_timebase = stream->time_base;
    ctx->thread_count = 0;
    rc = avcodec_open2(ctx.get(), codec, nullptr);
  }
  if (rc < 0) {
    error = std::string("cannot open the ") + codec->name + " decoder (" + avErrorText(rc) + ")";
    return nullptr;
  }
  return ctx;
}

void setOption(DictionaryPtr& dictionary, const char* key, const std::string& value) {
  AVDictionary* raw = dictionary.release();
  const int rc = av_dict_set(&raw, key, value.c_str(), 0);
  dictionary.reset(raw);
  if (rc < 0) throw std::bad_alloc();
}

FramePtr allocFrame() {
  FramePtr frame(av_frame_alloc());
  if (!frame) throw std::bad_alloc();
  return frame;
}

PacketPtr allocPacket() {
  PacketPtr packet(av_packet_alloc());
  if (!packet) throw std::bad_alloc();
  return packet;
}

int encodeInto(AVCodecContext* encoder, const AVFrame* frame, AVFormatContext* output, AVStream* stream,
               AVPacket* packet, int64_t shift, bool& writing, const std::function<void(AVPacket&)>& stamp) {
  writing = false;
  int rc = avcodec_send_frame(encoder, frame);
  while (rc >= 0) {
    rc = avcodec_receive_packet(encoder, packet);
    if (rc < 0) break;
    if (packet->pts != AV_NOPTS_VALUE) packet->pts += shift;
    if (packet->dts != AV_NOPTS_VALUE) packet->dts += shift;
    if (stamp) stamp(*packet);
    av_packet_rescale_ts(packet, encoder->time_base, stream->time_base);
    packet->stream_index = stream->index;
    rc = av_interleaved_write_frame(output, packet);
    if (rc < 0) {
      writing = true;
      return rc;
    }
  }
  return rc == AVERROR(EAGAIN) || rc == AVERROR_EOF ? 0 : rc;
}

void ChannelLayout::assign(const AVChannelLayout& layout) {
  av_channel_layout_uninit(&layout_);
  if (layout.order == AV_CHANNEL_ORDER_UNSPEC || layout.nb_channels <= 0)
    av_channel_layout_default(&layout_, std::max(1, layout.nb_channels));
  else if (av_channel_layout_copy(&layout_, &layout) < 0)
    throw std::bad_alloc();
}

}  // namespace vmhost
