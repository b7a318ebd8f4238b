// Movie output in any container FFmpeg writes: the rendered video and sound
// encoded with the container's default encoders or the user's, and every
// other stream of the input kept.
#include <algorithm>
#include <vector>

#include "host/media/audio_encoder.h"
#include "host/media/encode_queue.h"
#include "host/media/encoders.h"
#include "host/media/ffmpeg_util.h"
#include "host/media/frame_sink.h"
#include "host/media/gif_palette.h"
#include "host/media/pixel_pack.h"
#include "host/media/stream_copy.h"
#include "host/media/temp_file.h"

namespace vmhost {

namespace {

// Formats whose numbers are colours through a matrix and a range.
bool isYuv(AVPixelFormat format) {
  const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(format);
  return d != nullptr && !(d->flags & (AV_PIX_FMT_FLAG_RGB | AV_PIX_FMT_FLAG_PAL)) && d->nb_components >= 3;
}

class MovieSink final : public FrameSink {
 public:
  ~MovieSink() override { queue_.reset(); }  // its thread uses everything below

  bool open(const OutputSpec& spec, const AVOutputFormat* format, std::string& error) {
    spec_ = spec;
    // AVI holds one frame rate: variable-rate frames follow their average.
    if (std::string(format->name) == "avi") spec_.frameTimes.clear();
    toStdout_ = spec.path == "-";
    if (!toStdout_ && !temp_.create(spec.path, error)) return false;
    AVFormatContext* raw = nullptr;
    int rc = avformat_alloc_output_context2(&raw, format, nullptr, toStdout_ ? "pipe:1" : temp_.path().c_str());
    if (rc < 0 || raw == nullptr) {
      error = spec.path + ": cannot set up the container (" + avErrorText(rc) + ")";
      return false;
    }
    output_.reset(raw);
    const AVCodec* videoCodec = findVideoEncoder(format, spec.encoders, spec.path, error);
    if (videoCodec == nullptr || !openVideo(videoCodec, error)) return false;
    if (spec.audioLayout != nullptr) {
      const AVCodec* audioCodec = findAudioEncoder(format, spec.encoders, spec.path, error);
      if (audioCodec == nullptr && !error.empty()) return false;
      if (audioCodec == nullptr)
        dropped_.push_back("stream " + std::to_string(spec.copy.audioStream) + " (the sound) dropped: the " +
                           format->name + " container holds no sound");
      else if (!openAudio(audioCodec, error))
        return false;
    }
    if (!spec.copy.input.empty()) {
      copier_ = std::make_unique<StreamCopier>();
      CopySpec copy = spec.copy;
      if (audioStream_ != nullptr) {
        copy.soundEncoder = audio_.context()->codec;
        copy.soundBitrate = spec.encoders.audioBitrate;
      }
      if (!copier_->open(copy, output_.get(), videoStream_, audioStream_, dropped_, error)) {
        error = spec.copy.input + ": " + error;
        return false;
      }
    }
    for (std::string& line : dropped_) line = spec.path + ": " + line;
    DictionaryPtr options;
    // MP4 and QuickTime go back to their start at the end, which a pipe cannot.
    if (toStdout_ && (std::string(format->name) == "mp4" || std::string(format->name) == "mov"))
      setOption(options, "movflags", "frag_keyframe+empty_moov+default_base_moof");
    const FFmpegErrors why;
    // A stop signal ends the writing, even the final flush, at the next write.
    output_->interrupt_callback = stopCallback();
    if (!(format->flags & AVFMT_NOFILE))
      rc = avio_open2(&output_->pb, output_->url, AVIO_FLAG_WRITE, &output_->interrupt_callback, nullptr);
    AVDictionary* rawOptions = options.release();
    if (rc >= 0) rc = avformat_write_header(output_.get(), &rawOptions);
    options.reset(rawOptions);
    if (rc < 0) {
      error = spec.path + ": cannot start writing (" + why.reason(rc) + ")";
      return false;
    }
    packet_ = allocPacket();
    queue_ = std::make_unique<EncodeQueue>([this](const EncodeQueue::Job& job, std::string& why) {
      return encodeFrame(job.pixels.data(), job.pixels.rowBytes(), job.audio.data(), job.sampleFrames, why);
    });
    return true;
  }

  bool write(ArgbFrame& frame, const float* audio, int64_t sampleFrames, std::string& error) override {
    const int channels = audioStream_ != nullptr ? audio_.inputChannels() : 0;
    return queue_->push(frame, channels > 0 ? audio : nullptr, sampleFrames, channels, error);
  }

  bool finish(std::string& error) override {
    // The queue's thread is idle once drained; the rest runs here.
    if (!queue_->drain(error)) return false;
    if (audioStream_ != nullptr && !audio_.finish(sender(), error)) return false;
    if (!encode(video_.get(), nullptr, error)) return false;
    if (copier_ && !copier_->finish(error)) return false;
    int rc = av_write_trailer(output_.get());
    if (rc >= 0 && output_->pb != nullptr) rc = avio_closep(&output_->pb);
    if (rc < 0) {
      error = spec_.path + ": cannot finish the file (" + avErrorText(rc) + ")";
      return false;
    }
    return toStdout_ || temp_.commit(error);
  }

  std::string copied() const override { return copier_ ? copier_->summary() : std::string(); }

 private:
  bool variableRate() const { return !spec_.frameTimes.empty(); }

  // Converts, encodes and muxes one frame with its audio (queue thread).
  bool encodeFrame(const uint8_t* argb, int rowBytes, const float* audio, int64_t sampleFrames,
                   std::string& error) {
    if (av_frame_make_writable(picture_.get()) < 0) throw std::bad_alloc();
    AVFrame& picture = *picture_;
    const auto format = static_cast<AVPixelFormat>(picture.format);
    if (format == AV_PIX_FMT_PAL8)
      quantizeArgb(argb, rowBytes, spec_.width, spec_.height, reinterpret_cast<uint32_t*>(picture.data[1]),
                   picture.data[0], picture.linesize[0]);
    else if (!unpackArgb(argb, rowBytes, format, picture.data[0], picture.linesize[0], spec_.width, spec_.height) &&
             !converter_.fromArgb(argb, rowBytes, spec_.colours, picture, error))
      return false;
    const int64_t frame = framesWritten_++;
    picture.pts = variableRate() ? spec_.frameTimes[static_cast<size_t>(frame)] : frame;
    if (!encode(video_.get(), &picture, error)) return false;
    if (audioStream_ != nullptr && audio != nullptr && !audio_.push(audio, sampleFrames, sender(), error))
      return false;
    if (!copier_) return true;
    // The kept streams follow the video up to the end of this frame.
    const double end = variableRate() ? static_cast<double>(spec_.frameTimes[static_cast<size_t>(frame) + 1]) *
                                            av_q2d(spec_.timeBase)
                                      : static_cast<double>(frame + 1) / av_q2d(spec_.frameRate);
    return copier_->writeUntil(end, error);
  }

  bool openVideo(const AVCodec* codec, std::string& error) {
    std::string requested = spec_.encoders.pixFmt;
    if (requested.empty() && codec->id == AV_CODEC_ID_FFV1 && spec_.encoders.lossless)
      requested = spec_.alpha ? "bgra" : "bgr0";
    if (requested.empty() && codec->id == AV_CODEC_ID_GIF) requested = "pal8";
    const AVPixelFormat format = pickPixelFormat(codec, spec_.sourceFormat, spec_.alpha, requested, error);
    if (format == AV_PIX_FMT_NONE) return false;
    const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(format);
    if (spec_.width % (1 << desc->log2_chroma_w) != 0 || spec_.height % (1 << desc->log2_chroma_h) != 0) {
      error = spec_.path + ": " + desc->name + " pictures need an even " +
              (desc->log2_chroma_h ? "width and height" : "width") + ", not " + std::to_string(spec_.width) + "x" +
              std::to_string(spec_.height) + " (pick one with --size, or write --lossless .mkv or .png)";
      return false;
    }
    video_.reset(avcodec_alloc_context3(codec));
    picture_ = allocFrame();
    if (!video_) throw std::bad_alloc();
    videoStream_ = avformat_new_stream(output_.get(), nullptr);
    if (videoStream_ == nullptr) throw std::bad_alloc();
    AVCodecContext* enc = video_.get();
    enc->width = spec_.width;
    enc->height = spec_.height;
    enc->pix_fmt = format;
    enc->time_base = variableRate() ? spec_.timeBase : av_inv_q(spec_.frameRate);
    enc->framerate = spec_.frameRate;
    enc->sample_aspect_ratio = spec_.sampleAspect.num > 0 ? spec_.sampleAspect : AVRational{1, 1};
    if (format != AV_PIX_FMT_PAL8) {
      enc->color_primaries = spec_.primaries;
      enc->color_trc = spec_.transfer;
    }
    if (isYuv(format)) {
      enc->colorspace = spec_.colours.matrix;
      enc->color_range = spec_.colours.fullRange ? AVCOL_RANGE_JPEG : AVCOL_RANGE_MPEG;
      if (desc->log2_chroma_w == 1) enc->chroma_sample_location = AVCHROMA_LOC_LEFT;  // as the conversion sites it
    }
    enc->thread_count = 0;
    if (codec->id == AV_CODEC_ID_FFV1) enc->level = 3;  // FFV1 version 3: sliced, threaded
    if (output_->oformat->flags & AVFMT_GLOBALHEADER) enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    DictionaryPtr options;
    if (!videoOptions(codec, spec_.encoders, enc, options, error)) return false;
    const FFmpegErrors why;
    AVDictionary* rawOptions = options.release();
    int rc = avcodec_open2(enc, codec, &rawOptions);
    options.reset(rawOptions);
    if (rc >= 0) rc = avcodec_parameters_from_context(videoStream_->codecpar, enc);
    if (rc < 0) {
      error = std::string("cannot open the ") + codec->name + " encoder (" + why.reason(rc) + ")";
      return false;
    }
    videoStream_->time_base = enc->time_base;
    videoStream_->avg_frame_rate = spec_.frameRate;
    videoStream_->sample_aspect_ratio = enc->sample_aspect_ratio;
    picture_->format = format;
    picture_->width = spec_.width;
    picture_->height = spec_.height;
    if (av_frame_get_buffer(picture_.get(), 0) < 0) throw std::bad_alloc();
    return true;
  }

  bool openAudio(const AVCodec* codec, std::string& error) {
    if (!audio_.open(codec, spec_.sampleRate, *spec_.audioLayout, spec_.encoders.audioBitrate,
                     output_->oformat->flags & AVFMT_GLOBALHEADER, error))
      return false;
    audioStream_ = avformat_new_stream(output_.get(), nullptr);
    if (audioStream_ == nullptr) throw std::bad_alloc();
    if (avcodec_parameters_from_context(audioStream_->codecpar, audio_.context()) < 0) throw std::bad_alloc();
    audioStream_->time_base = audio_.context()->time_base;
    return true;
  }

  AudioEncoder::Send sender() {
    return [this](AVCodecContext*, const AVFrame* frame, std::string& error) {
      return encode(audio_.context(), frame, error);
    };
  }

  // Sends one frame (nullptr: flush) and writes the packets that come out.
  bool encode(AVCodecContext* enc, const AVFrame* frame, std::string& error) {
    AVStream* stream = enc == video_.get() ? videoStream_ : audioStream_;
    bool writing = false;
    const int rc = encodeInto(enc, frame, output_.get(), stream, packet_.get(), 0, writing, [&](AVPacket& packet) {
      // Each variable-rate frame lasts until the next, the last one as long
      // as in the source, rather than the average the encoder assumes.
      if (enc != video_.get() || !variableRate() || packet.pts == AV_NOPTS_VALUE) return;
      const auto& times = spec_.frameTimes;
      const auto next = std::upper_bound(times.begin(), times.end(), packet.pts);
      if (next != times.end()) packet.duration = *next - packet.pts;
    });
    if (rc >= 0) return true;
    error = writing ? spec_.path + ": cannot write (" + avErrorText(rc) + ")"
                    : std::string("the ") + enc->codec->name + " encoder failed (" + avErrorText(rc) + ")";
    return false;
  }

  OutputSpec spec_;
  bool toStdout_ = false;
  TempFile temp_;  // declared before output_, so the file is closed before it is removed
  OutputContextPtr output_;
  CodecContextPtr video_;
  AVStream* videoStream_ = nullptr;
  AVStream* audioStream_ = nullptr;
  AudioEncoder audio_;
  FramePtr picture_;
  PacketPtr packet_;
  PictureConverter converter_;
  std::unique_ptr<StreamCopier> copier_;
  int64_t framesWritten_ = 0;
  // Last, so its thread stops before anything it uses is freed.
  std::unique_ptr<EncodeQueue> queue_;
};

}  // namespace

std::unique_ptr<FrameSink> openMovieSink(const OutputSpec& spec, const AVOutputFormat* format, std::string& error) {
  auto sink = std::make_unique<MovieSink>();
  if (!sink->open(spec, format, error)) return nullptr;
  return sink;
}

}  // namespace vmhost
