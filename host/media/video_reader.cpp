#include "host/media/video_reader.h"

#include <algorithm>
#include <cmath>
#include <utility>

extern "C" {
#include <libavutil/display.h>
}

#include "host/media/frame_cache.h"
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

// Clockwise quarter turns that show the stream as its display matrix asks
// (the matrix itself turns counter-clockwise).
int quarterTurnsOf(const AVStream* stream) {
  const uint8_t* matrix = av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, nullptr);
  if (matrix == nullptr) return 0;
  const double degrees = -av_display_rotation_get(reinterpret_cast<const int32_t*>(matrix));
  if (std::isnan(degrees)) return 0;
  return static_cast<int>(((std::llround(degrees / 90.0) % 4) + 4) % 4);
}

// Times that follow one another, so every frame has its own.
void makeIncreasing(std::vector<int64_t>& pts) {
  std::sort(pts.begin(), pts.end());
  for (size_t i = 1; i < pts.size(); ++i) pts[i] = std::max(pts[i], pts[i - 1] + 1);
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
  if (!reader->findFrames(error)) return nullptr;

  // The first frame proves the stream decodes and tells its picture.
  std::string why;
  reader->currentIndex_ = -1;
  if (!reader->decodeNext(why)) {
    error = path + ": cannot decode the first video frame" + (why.empty() ? "" : " (" + why + ")");
    return nullptr;
  }
  reader->currentIndex_ = 0;
  reader->describe(*reader->current_);
  const VideoInfo& info = reader->info_;
  if (info.width <= 0 || info.height <= 0 || info.width > INT16_MAX || info.height > INT16_MAX) {
    error = path + ": unsupported picture size " + std::to_string(info.width) + "x" + std::to_string(info.height);
    return nullptr;
  }
  return reader;
}

// Finds the time of every frame: a picture sequence has one a picture;
// files whose header counts the frames have one a packet, read without
// decoding; the others are decoded, as the decoder alone knows which
// packets make frames.
bool VideoReader::findFrames(std::string& error) {
  info_.frameRate = pickFrameRate(decoder_->stream());
  info_.timeBase = decoder_->stream()->time_base;
  int64_t end = 0;
  const int64_t pictures = decoder_->sequenceFrames();
  for (int64_t i = 0; i < pictures; ++i) pts_.push_back(i);
  end = pictures;
  // Each pass ends back at the start: by a seek after a clean end, by
  // reading the file afresh after a cut-off one, which some demuxers cannot
  // go back from.
  bool cleanEnd = true;
  auto rewind = [&] {
    std::string ignored;
    if (cleanEnd && decoder_->seek(INT64_MIN, ignored)) return true;
    decoder_ = StreamDecoder::open(path_, AVMEDIA_TYPE_VIDEO, error);
    return decoder_ != nullptr;
  };
  if (pictures == 0 && (decoder_->stream()->nb_frames <= 0 || !timesFromPackets(pts_, end, cleanEnd))) {
    pts_.clear();
    end = 0;
    if ((decoder_->stream()->nb_frames > 0 && !rewind()) || !timesFromDecoding(pts_, end, cleanEnd, error))
      return false;
  }
  if (pts_.empty()) {
    error = path_ + ": the video stream holds no frames";
    return false;
  }
  if (pictures == 0 && !rewind()) return false;
  const AVStream* stream = decoder_->stream();
  info_.frameCount = static_cast<int64_t>(pts_.size());
  info_.startSeconds = static_cast<double>(pts_[0]) * av_q2d(stream->time_base);
  info_.times.resize(pts_.size() + 1);
  for (size_t i = 0; i < pts_.size(); ++i) info_.times[i] = pts_[i] - pts_[0];
  info_.times.back() = std::max(end, pts_.back() + 1) - pts_[0];
  // Within a quarter frame of the rate's grid all along: constant rate.
  const double step = 1.0 / (av_q2d(info_.frameRate) * av_q2d(stream->time_base));
  for (size_t i = 0; i < pts_.size() && info_.constantRate; ++i)
    info_.constantRate = std::abs(static_cast<double>(info_.times[i]) - static_cast<double>(i) * step) <= step / 4;
  return true;
}

bool VideoReader::timesFromPackets(std::vector<int64_t>& pts, int64_t& end, bool& cleanEnd) {
  AVFormatContext* input = decoder_->input();
  const AVStream* stream = decoder_->stream();
  PacketPtr packet = allocPacket();
  int64_t packets = 0;
  int rc = 0;
  while ((rc = av_read_frame(input, packet.get())) >= 0) {
    // Packets an edit list cuts away never become frames.
    if (packet->stream_index == stream->index && ++packets && !(packet->flags & AV_PKT_FLAG_DISCARD)) {
      if (packet->pts == AV_NOPTS_VALUE) return false;
      pts.push_back(packet->pts);
      end = std::max(end, packet->pts + std::max<int64_t>(packet->duration, 0));
    }
    av_packet_unref(packet.get());
  }
  // Fewer packets than the header counts: the file is cut short.
  cleanEnd = rc == AVERROR_EOF && packets >= stream->nb_frames;
  makeIncreasing(pts);
  // A file cut short still counts its lost frames in its header: they keep
  // their places, so a render that reaches them says where the file ends.
  const int64_t step = std::max<int64_t>(1, av_rescale_q(1, av_inv_q(info_.frameRate), stream->time_base));
  const int64_t lost = stream->nb_frames - packets;
  for (int64_t i = 0; i < lost && !pts.empty(); ++i) pts.push_back(pts.back() + step);
  // The last packet's own duration ends the clip, as a copy of the stream
  // keeps it; the frame rate's step only where it has none. (A variable
  // rate's average step would stretch the last frame.)
  if (!pts.empty() && (lost > 0 || end <= pts.back())) end = std::max(end, pts.back() + step);
  return true;
}

bool VideoReader::timesFromDecoding(std::vector<int64_t>& pts, int64_t& end, bool& cleanEnd, std::string& error) {
  const AVStream* stream = decoder_->stream();
  FrameTimes cached;
  if (loadFrameTimes(path_, stream->index, cached) && av_cmp_q(cached.timeBase, stream->time_base) == 0) {
    pts = std::move(cached.pts);
    end = cached.end;
    return true;
  }
  // Only the times matter here: the decoder may skip its finer work.
  AVCodecContext* codec = decoder_->codec();
  codec->skip_loop_filter = AVDISCARD_ALL;
  std::string why;
  int64_t previous = AV_NOPTS_VALUE, step = 1;
  while (decoder_->next(scratch_.get(), why)) {
    int64_t ts = scratch_->best_effort_timestamp;
    if (ts == AV_NOPTS_VALUE) ts = previous == AV_NOPTS_VALUE ? 0 : previous + step;
    if (previous != AV_NOPTS_VALUE && ts > previous) step = ts - previous;
    pts.push_back(ts);
    end = std::max(end, ts + (scratch_->pkt_duration > 0 ? scratch_->pkt_duration : step));
    previous = ts;
    av_frame_unref(scratch_.get());
  }
  codec->skip_loop_filter = AVDISCARD_DEFAULT;
  cleanEnd = why.empty() && decoder_->damagedPackets() == 0;
  // Times found before reading failed are not all the clip's.
  if (!why.empty()) {
    error = path_ + (pts.empty() ? ": cannot decode the first video frame (" : ": cannot read the video (") + why + ")";
    return false;
  }
  makeIncreasing(pts);
  // Still pictures decode in no time; clips are worth remembering.
  if (pts.size() > 1) saveFrameTimes(path_, stream->index, FrameTimes{stream->time_base, pts, end});
  return true;
}

void VideoReader::describe(const AVFrame& first) {
  const AVStream* stream = decoder_->stream();
  info_.quarterTurns = quarterTurnsOf(stream);
  const bool sideways = info_.quarterTurns % 2 == 1;
  info_.width = sideways ? first.height : first.width;
  info_.height = sideways ? first.width : first.height;
  info_.pixelFormat = static_cast<AVPixelFormat>(first.format);
  info_.hasAlpha = formatHasAlpha(info_.pixelFormat);
  const AVRational aspect = av_guess_sample_aspect_ratio(decoder_->input(), const_cast<AVStream*>(stream),
                                                         const_cast<AVFrame*>(&first));
  if (aspect.num > 0 && aspect.den > 0) info_.sampleAspect = sideways ? AVRational{aspect.den, aspect.num} : aspect;
  info_.colours = colourSpaceOf(info_.pixelFormat, first.colorspace, first.color_range, first.width, first.height);
  info_.primaries = first.color_primaries;
  info_.transfer = first.color_trc;
}

int64_t VideoReader::indexOf(const AVFrame* frame) const {
  const int64_t ts = frame->best_effort_timestamp;
  if (ts == AV_NOPTS_VALUE) return currentIndex_ + 1;
  const auto at = std::lower_bound(pts_.begin(), pts_.end(), ts);
  if (at == pts_.end()) return static_cast<int64_t>(pts_.size());
  // A time between two frames belongs to the nearer one.
  if (at != pts_.begin() && ts - *(at - 1) < *at - ts) return at - pts_.begin() - 1;
  return at - pts_.begin();
}

bool VideoReader::decodeNext(std::string& error) {
  if (!decoder_->next(scratch_.get(), error)) return false;
  std::swap(current_, scratch_);
  av_frame_unref(scratch_.get());
  currentIndex_ = indexOf(current_.get());
  return true;
}

bool VideoReader::seekBefore(int64_t index, std::string& error) {
  if (!decoder_->seek(pts_[static_cast<size_t>(index)], error)) return false;
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
  if (info_.quarterTurns == 0) return convert(*current_, dst, dstRowBytes, width, height, highQuality, error);
  // Converted as stored, then turned upright.
  const bool sideways = info_.quarterTurns % 2 == 1;
  const int storedWidth = sideways ? height : width, storedHeight = sideways ? width : height;
  unturned_.resize(static_cast<size_t>(storedWidth) * storedHeight * 4);
  if (!convert(*current_, unturned_.data(), storedWidth * 4, storedWidth, storedHeight, highQuality, error))
    return false;
  rotateArgb(unturned_.data(), storedWidth * 4, storedWidth, storedHeight, info_.quarterTurns, dst, dstRowBytes);
  return true;
}

bool VideoReader::convert(const AVFrame& frame, uint8_t* dst, int dstRowBytes, int width, int height,
                          bool highQuality, std::string& error) {
  const auto format = static_cast<AVPixelFormat>(frame.format);
  if (frame.width == width && frame.height == height && isByteRepackable(format))
    return packToArgb(format, frame.data[0], frame.linesize[0], dst, dstRowBytes, width, height);
  const ColourSpace colours = colourSpaceOf(format, frame.colorspace, frame.color_range, frame.width, frame.height);
  return converter_.toArgb(frame, colours, dst, dstRowBytes, width, height, highQuality, error);
}

}  // namespace vmhost
