#include "host/media/video_reader.h"

#include <cmath>
#include <utility>

#include "host/media/pixel_pack.h"

namespace vmhost {

namespace {

// Decoding forward is cheaper than seeking for short jumps.
constexpr int64_t kForwardDecodeLimit = 48;

bool formatHasAlpha(AVPixelFormat format) {
  const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(format);
  return desc != nullptr && (desc->flags & AV_PIX_FMT_FLAG_ALPHA) != 0;
}

AVRational pickFrameRate(const AVStream* stream) {
  for (AVRational rate : {stream->avg_frame_rate, stream->r_frame_rate})
    if (rate.num > 0 && rate.den > 0 && av_q2d(rate) < 1000) return rate;
  return AVRational{25, 1};
}

}  // namespace

std::unique_ptr<VideoReader> VideoReader::open(const std::string& path, std::string& error) {
  std::unique_ptr<VideoReader> reader(new VideoReader());
  reader->path_ = path;
  reader->decoder_ = StreamDecoder::open(path, AVMEDIA_TYPE_VIDEO, error);
  if (!reader->decoder_) {
    if (error.empty()) error = path + ": no video stream";
    return nullptr;
  }
  reader->current_ = allocFrame();
  reader->scratch_ = allocFrame();

  VideoInfo& info = reader->info_;
  info.frameRate = pickFrameRate(reader->decoder_->stream());
  if (!reader->countFrames(error)) return nullptr;

  // The first frame fixes the time of index 0 and proves the stream decodes.
  std::string why;
  if (!reader->decodeNext(why)) {
    error = path + ": cannot decode the first video frame" + (why.empty() ? "" : " (" + why + ")");
    return nullptr;
  }
  const AVFrame* first = reader->current_.get();
  if (first->best_effort_timestamp != AV_NOPTS_VALUE) reader->startPts_ = first->best_effort_timestamp;
  reader->currentIndex_ = 0;
  info.width = first->width;
  info.height = first->height;
  info.hasAlpha = formatHasAlpha(static_cast<AVPixelFormat>(first->format));
  info.startSeconds = static_cast<double>(reader->startPts_) * av_q2d(reader->decoder_->stream()->time_base);
  if (info.width <= 0 || info.height <= 0 || info.width > INT16_MAX || info.height > INT16_MAX) {
    error = path + ": unsupported picture size " + std::to_string(info.width) + "x" + std::to_string(info.height);
    return nullptr;
  }
  return reader;
}

bool VideoReader::countFrames(std::string& error) {
  const AVStream* stream = decoder_->stream();
  if (stream->nb_frames > 0) {
    info_.frameCount = stream->nb_frames;
    return true;
  }
  // Without a count in the header, count the packets: one frame each for the
  // codecs people put in files, and far cheaper than decoding.
  AVFormatContext* input = decoder_->input();
  PacketPtr packet = allocPacket();
  int64_t count = 0;
  while (av_read_frame(input, packet.get()) >= 0) {
    if (packet->stream_index == stream->index) ++count;
    av_packet_unref(packet.get());
  }
  info_.frameCount = count;
  if (count == 0) {
    error = path_ + ": the video stream holds no frames";
    return false;
  }
  std::string why;
  if (!decoder_->seek(INT64_MIN, why)) {
    error = path_ + ": cannot go back to the start after counting frames";
    return false;
  }
  return true;
}

int64_t VideoReader::indexOf(const AVFrame* frame) const {
  const int64_t ts = frame->best_effort_timestamp;
  if (ts == AV_NOPTS_VALUE) return currentIndex_ + 1;
  const double seconds = static_cast<double>(ts - startPts_) * av_q2d(decoder_->stream()->time_base);
  return std::llround(seconds * av_q2d(info_.frameRate));
}

bool VideoReader::decodeNext(std::string& error) {
  if (!decoder_->next(scratch_.get(), error)) return false;
  std::swap(current_, scratch_);
  av_frame_unref(scratch_.get());
  currentIndex_ = indexOf(current_.get());
  return true;
}

bool VideoReader::seekBefore(int64_t index, std::string& error) {
  const AVStream* stream = decoder_->stream();
  const int64_t ts = startPts_ + av_rescale_q(index, av_inv_q(info_.frameRate), stream->time_base);
  if (!decoder_->seek(ts, error)) return false;
  currentIndex_ = -1;
  return true;
}

bool VideoReader::decodeTo(int64_t index, std::string& error) {
  if (currentIndex_ == index) return true;
  const bool forward = currentIndex_ >= 0 && currentIndex_ < index && index - currentIndex_ <= kForwardDecodeLimit;
  // Seek targets step further back when a seek lands past the frame (index
  // not on a keyframe, timestamps that do not match the frame rate exactly).
  int64_t target = index;
  for (int attempt = 0; attempt < 6; ++attempt) {
    if (!(forward && attempt == 0) && !seekBefore(target, error)) return false;
    bool firstAfterSeek = !(forward && attempt == 0);
    while (decodeNext(error)) {
      if (currentIndex_ == index) return true;
      if (currentIndex_ > index) {
        // Past the frame right after a seek: the seek went too far.
        if (firstAfterSeek && target > 0) break;
        return true;  // a gap in a variable-rate clip: the next frame stands in
      }
      firstAfterSeek = false;
    }
    if (!error.empty()) {
      error = "frame " + std::to_string(index) + " cannot be decoded (" + error + ")";
      return false;
    }
    const bool ended = decoder_->ended();
    if (ended && currentIndex_ >= 0 && currentIndex_ < index) {
      // A clip a frame or two shorter than its header says (rounded
      // durations, variable frame rates) holds its last frame; a file that
      // ends long before its header's count is damaged.
      if (index - currentIndex_ <= 2) return true;
      error = "frame " + std::to_string(index) + " cannot be decoded (the file ends after frame " +
              std::to_string(currentIndex_) + ")";
      return false;
    }
    if (ended && currentIndex_ < 0 && target == 0) break;
    target = target > 0 ? std::max<int64_t>(0, target - (int64_t{1} << (attempt + 4))) : 0;
    if (attempt == 4) target = 0;
  }
  error = "frame " + std::to_string(index) + " cannot be decoded";
  return false;
}

bool VideoReader::readArgb(int64_t index, uint8_t* dst, int dstRowBytes, int width, int height, bool highQuality,
                           std::string& error) {
  error.clear();
  if (index < 0 || index >= info_.frameCount) {
    error = "frame " + std::to_string(index) + " is outside the clip (frames 0 to " +
            std::to_string(info_.frameCount - 1) + ")";
    return false;
  }
  if (!decodeTo(index, error)) return false;
  const AVFrame* frame = current_.get();
  const auto format = static_cast<AVPixelFormat>(frame->format);
  if (frame->width == width && frame->height == height && isByteRepackable(format))
    return packToArgb(format, frame->data[0], frame->linesize[0], dst, dstRowBytes, width, height);

  const int flags = highQuality ? SWS_BICUBIC : SWS_FAST_BILINEAR;
  scaler_.reset(sws_getCachedContext(scaler_.release(), frame->width, frame->height, format, width, height,
                                     AV_PIX_FMT_ARGB, flags, nullptr, nullptr, nullptr));
  if (!scaler_) {
    error = std::string("cannot convert ") + (av_get_pix_fmt_name(format) ? av_get_pix_fmt_name(format) : "?") +
            " frames to 32-bit pixels";
    return false;
  }
  uint8_t* planes[4] = {dst, nullptr, nullptr, nullptr};
  int strides[4] = {dstRowBytes, 0, 0, 0};
  sws_scale(scaler_.get(), frame->data, frame->linesize, 0, frame->height, planes, strides);
  return true;
}

}  // namespace vmhost
