// Movie output: H.264 (yuv420p) with AAC, or FFV1 with FLAC when lossless,
// muxed into the container the output's extension names.
#include <algorithm>
#include <vector>

extern "C" {
#include <libavutil/opt.h>
}

#include "host/media/encode_queue.h"
#include "host/media/ffmpeg_util.h"
#include "host/media/frame_sink.h"
#include "host/media/pixel_pack.h"
#include "host/media/temp_file.h"

namespace vmhost {

namespace {

class MovieSink final : public FrameSink {
 public:
  ~MovieSink() override { queue_.reset(); }  // its thread uses everything below

  bool open(const OutputSpec& spec, std::string& error) {
    spec_ = spec;
    if (!temp_.create(spec.path, error)) return false;
    const AVOutputFormat* format = av_guess_format(nullptr, spec.path.c_str(), nullptr);
    AVFormatContext* raw = nullptr;
    int rc = avformat_alloc_output_context2(&raw, format, nullptr, temp_.path().c_str());
    if (rc < 0 || raw == nullptr) {
      error = spec.path + ": cannot set up the container (" + avErrorText(rc) + ")";
      return false;
    }
    output_.reset(raw);
    if (!openVideo(error) || (spec.audioLayout != nullptr && !openAudio(error))) return false;
    rc = avio_open(&output_->pb, temp_.path().c_str(), AVIO_FLAG_WRITE);
    if (rc >= 0) rc = avformat_write_header(output_.get(), nullptr);
    if (rc < 0) {
      error = spec.path + ": cannot start writing (" + avErrorText(rc) + ")";
      return false;
    }
    packet_.reset(av_packet_alloc());
    if (!packet_) return false;
    queue_ = std::make_unique<EncodeQueue>(
        [this](const EncodeQueue::Job& job, std::string& why) {
          return encodeFrame(job.pixels.data(), job.rowBytes, job.audio.data(), job.sampleFrames, why);
        },
        kQueueDepth);
    return true;
  }

  bool write(const uint8_t* argb, int rowBytes, const float* audio, int64_t sampleFrames,
             std::string& error) override {
    const int channels = audioEncoder_ ? audioEncoder_->ch_layout.nb_channels : 0;
    return queue_->push(argb, rowBytes, spec_.height, audioEncoder_ ? audio : nullptr, sampleFrames, channels, error);
  }

  bool finish(std::string& error) override {
    // The queue's thread is idle once drained; the rest runs here.
    if (!queue_->drain(error)) return false;
    if (audioEncoder_ && !drainAudio(true, error)) return false;
    if (!encode(video_.get(), videoStream_, nullptr, error)) return false;
    if (audioEncoder_ && !encode(audioEncoder_.get(), audioStream_, nullptr, error)) return false;
    int rc = av_write_trailer(output_.get());
    if (rc >= 0) rc = avio_closep(&output_->pb);
    if (rc < 0) {
      error = spec_.path + ": cannot finish the file (" + avErrorText(rc) + ")";
      return false;
    }
    return temp_.commit(error);
  }

 private:
  // Frames in flight between the render loop and the encoder.
  static constexpr size_t kQueueDepth = 2;

  // Converts, encodes and muxes one frame with its audio (queue thread).
  bool encodeFrame(const uint8_t* argb, int rowBytes, const float* audio, int64_t sampleFrames,
                   std::string& error) {
    if (av_frame_make_writable(picture_.get()) < 0) {
      error = "out of memory";
      return false;
    }
    if (!unpackArgb(argb, rowBytes, static_cast<AVPixelFormat>(picture_->format), picture_->data[0],
                    picture_->linesize[0], spec_.width, spec_.height)) {
      const uint8_t* planes[4] = {argb, nullptr, nullptr, nullptr};
      const int strides[4] = {rowBytes, 0, 0, 0};
      sws_scale(scaler_.get(), planes, strides, 0, spec_.height, picture_->data, picture_->linesize);
    }
    picture_->pts = framesWritten_++;
    if (!encode(video_.get(), videoStream_, picture_.get(), error)) return false;
    if (audioEncoder_ && audio != nullptr && sampleFrames > 0) {
      const float* data = audio;
      if (av_audio_fifo_write(fifo_.get(), reinterpret_cast<void**>(const_cast<float**>(&data)),
                              static_cast<int>(sampleFrames)) < sampleFrames) {
        error = "out of memory";
        return false;
      }
      return drainAudio(false, error);
    }
    return true;
  }

  bool openVideo(std::string& error) {
    const AVCodec* codec = avcodec_find_encoder_by_name(spec_.lossless ? "ffv1" : "libx264");
    if (codec == nullptr) {
      error = std::string("this FFmpeg has no ") + (spec_.lossless ? "FFV1" : "libx264") + " encoder";
      return false;
    }
    const AVPixelFormat format =
        spec_.lossless ? (spec_.alpha ? AV_PIX_FMT_BGRA : AV_PIX_FMT_BGR0) : AV_PIX_FMT_YUV420P;
    if (format == AV_PIX_FMT_YUV420P && (spec_.width % 2 != 0 || spec_.height % 2 != 0)) {
      error = spec_.path + ": H.264 needs an even width and height, not " + std::to_string(spec_.width) + "x" +
              std::to_string(spec_.height) + " (pick one with --size, or write --lossless .mkv or .png)";
      return false;
    }
    video_.reset(avcodec_alloc_context3(codec));
    videoStream_ = avformat_new_stream(output_.get(), nullptr);
    picture_.reset(av_frame_alloc());
    if (!video_ || videoStream_ == nullptr || !picture_) {
      error = "out of memory";
      return false;
    }
    AVCodecContext* enc = video_.get();
    enc->width = spec_.width;
    enc->height = spec_.height;
    enc->pix_fmt = format;
    enc->time_base = av_inv_q(spec_.frameRate);
    enc->framerate = spec_.frameRate;
    enc->sample_aspect_ratio = AVRational{1, 1};
    enc->thread_count = 0;
    if (spec_.lossless) enc->level = 3;  // FFV1 version 3: sliced, threaded
    if (output_->oformat->flags & AVFMT_GLOBALHEADER) enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    int rc = avcodec_open2(enc, codec, nullptr);
    if (rc >= 0) rc = avcodec_parameters_from_context(videoStream_->codecpar, enc);
    if (rc < 0) {
      error = std::string("cannot open the ") + codec->name + " encoder (" + avErrorText(rc) + ")";
      return false;
    }
    videoStream_->time_base = enc->time_base;
    videoStream_->avg_frame_rate = spec_.frameRate;
    picture_->format = format;
    picture_->width = spec_.width;
    picture_->height = spec_.height;
    if (av_frame_get_buffer(picture_.get(), 0) < 0) {
      error = "out of memory";
      return false;
    }
    if (format == AV_PIX_FMT_YUV420P) {
      scaler_.reset(sws_getContext(spec_.width, spec_.height, AV_PIX_FMT_ARGB, spec_.width, spec_.height, format,
                                   SWS_BICUBIC, nullptr, nullptr, nullptr));
      if (!scaler_) {
        error = "cannot convert 32-bit pixels for the encoder";
        return false;
      }
    }
    return true;
  }

  bool openAudio(std::string& error) {
    const AVCodec* codec = avcodec_find_encoder(spec_.lossless ? AV_CODEC_ID_FLAC : AV_CODEC_ID_AAC);
    if (codec == nullptr) {
      error = std::string("this FFmpeg has no ") + (spec_.lossless ? "FLAC" : "AAC") + " encoder";
      return false;
    }
    audioEncoder_.reset(avcodec_alloc_context3(codec));
    audioStream_ = avformat_new_stream(output_.get(), nullptr);
    if (!audioEncoder_ || audioStream_ == nullptr) {
      error = "out of memory";
      return false;
    }
    AVCodecContext* enc = audioEncoder_.get();
    enc->sample_fmt = spec_.lossless ? AV_SAMPLE_FMT_S16 : AV_SAMPLE_FMT_FLTP;
    enc->sample_rate = spec_.sampleRate;
    av_channel_layout_copy(&enc->ch_layout, spec_.audioLayout);
    enc->time_base = AVRational{1, spec_.sampleRate};
    if (!spec_.lossless) enc->bit_rate = 64000 * std::min(enc->ch_layout.nb_channels, 2) + 64000;
    if (output_->oformat->flags & AVFMT_GLOBALHEADER) enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    int rc = avcodec_open2(enc, codec, nullptr);
    if (rc >= 0) rc = avcodec_parameters_from_context(audioStream_->codecpar, enc);
    if (rc < 0) {
      error = std::string("cannot open the ") + codec->name + " encoder (" + avErrorText(rc) + ")";
      return false;
    }
    audioStream_->time_base = enc->time_base;
    chunk_ = enc->frame_size > 0 ? enc->frame_size : 1024;
    fifo_.reset(av_audio_fifo_alloc(AV_SAMPLE_FMT_FLT, enc->ch_layout.nb_channels, chunk_ * 4));
    SwrContext* resampler = nullptr;
    rc = swr_alloc_set_opts2(&resampler, &enc->ch_layout, enc->sample_fmt, enc->sample_rate, &enc->ch_layout,
                             AV_SAMPLE_FMT_FLT, enc->sample_rate, 0, nullptr);
    resampler_.reset(resampler);
    if (rc < 0 || !fifo_ || swr_init(resampler_.get()) < 0) {
      error = "cannot convert audio for the encoder";
      return false;
    }
    return true;
  }

  // Encodes whole encoder frames from the FIFO; at the end also the rest.
  bool drainAudio(bool atEnd, std::string& error) {
    AVCodecContext* enc = audioEncoder_.get();
    while (av_audio_fifo_size(fifo_.get()) >= chunk_ || (atEnd && av_audio_fifo_size(fifo_.get()) > 0)) {
      const int count = std::min(chunk_, av_audio_fifo_size(fifo_.get()));
      std::vector<float> interleaved(static_cast<size_t>(count) * enc->ch_layout.nb_channels);
      void* planes[1] = {interleaved.data()};
      av_audio_fifo_read(fifo_.get(), planes, count);
      FramePtr frame(av_frame_alloc());
      if (!frame) {
        error = "out of memory";
        return false;
      }
      frame->nb_samples = count;
      frame->format = enc->sample_fmt;
      frame->sample_rate = enc->sample_rate;
      av_channel_layout_copy(&frame->ch_layout, &enc->ch_layout);
      if (av_frame_get_buffer(frame.get(), 0) < 0) {
        error = "out of memory";
        return false;
      }
      const uint8_t* in[1] = {reinterpret_cast<const uint8_t*>(interleaved.data())};
      if (swr_convert(resampler_.get(), frame->data, count, in, count) < 0) {
        error = "cannot convert audio for the encoder";
        return false;
      }
      frame->pts = samplesWritten_;
      samplesWritten_ += count;
      if (!encode(enc, audioStream_, frame.get(), error)) return false;
    }
    return true;
  }

  // Sends one frame (nullptr: flush) and writes the packets that come out.
  bool encode(AVCodecContext* enc, AVStream* stream, const AVFrame* frame, std::string& error) {
    int rc = avcodec_send_frame(enc, frame);
    while (rc >= 0) {
      rc = avcodec_receive_packet(enc, packet_.get());
      if (rc < 0) break;
      av_packet_rescale_ts(packet_.get(), enc->time_base, stream->time_base);
      packet_->stream_index = stream->index;
      rc = av_interleaved_write_frame(output_.get(), packet_.get());
      if (rc < 0) {
        error = spec_.path + ": cannot write (" + avErrorText(rc) + ")";
        return false;
      }
    }
    if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return true;
    error = std::string("the ") + enc->codec->name + " encoder failed (" + avErrorText(rc) + ")";
    return false;
  }

  OutputSpec spec_;
  TempFile temp_;  // declared before output_, so the file is closed before it is removed
  OutputContextPtr output_;
  CodecContextPtr video_;
  CodecContextPtr audioEncoder_;
  AVStream* videoStream_ = nullptr;
  AVStream* audioStream_ = nullptr;
  FramePtr picture_;
  PacketPtr packet_;
  SwsPtr scaler_;
  SwrPtr resampler_;
  FifoPtr fifo_;
  int chunk_ = 1024;
  int64_t framesWritten_ = 0;
  int64_t samplesWritten_ = 0;
  // Last, so its thread stops before anything it uses is freed.
  std::unique_ptr<EncodeQueue> queue_;
};

}  // namespace

std::unique_ptr<FrameSink> openMovieSink(const OutputSpec& spec, std::string& error) {
  auto sink = std::make_unique<MovieSink>();
  if (!sink->open(spec, error)) return nullptr;
  return sink;
}

}  // namespace vmhost
