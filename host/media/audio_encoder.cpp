#include "host/media/audio_encoder.h"

#include <algorithm>

namespace vmhost {

namespace {

AVSampleFormat pickSampleFormat(const AVCodec* codec) {
  if (codec->sample_fmts == nullptr) return AV_SAMPLE_FMT_FLTP;
  for (AVSampleFormat wanted : {AV_SAMPLE_FMT_FLTP, AV_SAMPLE_FMT_FLT})
    for (const AVSampleFormat* f = codec->sample_fmts; *f != AV_SAMPLE_FMT_NONE; ++f)
      if (*f == wanted) return wanted;
  return codec->sample_fmts[0];
}

// The input's rate if the encoder takes it, else the next higher it takes.
int pickSampleRate(const AVCodec* codec, int rate) {
  if (codec->supported_samplerates == nullptr) return rate;
  int higher = 0, largest = 0;
  for (const int* r = codec->supported_samplerates; *r != 0; ++r) {
    if (*r == rate) return rate;
    if (*r > rate && (higher == 0 || *r < higher)) higher = *r;
    largest = std::max(largest, *r);
  }
  return higher != 0 ? higher : largest;
}

ChannelLayout pickLayout(const AVCodec* codec, const AVChannelLayout& layout) {
  if (codec->ch_layouts == nullptr) return ChannelLayout(layout);
  const AVChannelLayout* sameCount = nullptr;
  for (const AVChannelLayout* l = codec->ch_layouts; l->nb_channels != 0; ++l) {
    if (av_channel_layout_compare(l, &layout) == 0) return ChannelLayout(layout);
    if (sameCount == nullptr && l->nb_channels == layout.nb_channels) sameCount = l;
  }
  return ChannelLayout(sameCount != nullptr ? *sameCount : codec->ch_layouts[0]);
}

}  // namespace

bool AudioEncoder::open(const AVCodec* codec, int sampleRate, const AVChannelLayout& layout, int64_t bitrate,
                        bool globalHeader, std::string& error) {
  input_.assign(layout);
  inputRate_ = sampleRate;
  encoder_.reset(avcodec_alloc_context3(codec));
  if (!encoder_) throw std::bad_alloc();
  AVCodecContext* enc = encoder_.get();
  enc->sample_fmt = pickSampleFormat(codec);
  enc->sample_rate = pickSampleRate(codec, sampleRate);
  const ChannelLayout output = pickLayout(codec, input_.get());
  if (av_channel_layout_copy(&enc->ch_layout, &output.get()) < 0) throw std::bad_alloc();
  enc->time_base = AVRational{1, enc->sample_rate};
  const bool lossless = codec->id == AV_CODEC_ID_FLAC;
  if (!lossless) enc->bit_rate = bitrate > 0 ? bitrate : 64000 * std::min(output.channels(), 2) + 64000;
  if (globalHeader) enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  const FFmpegErrors why;
  const int rc = avcodec_open2(enc, codec, nullptr);
  if (rc < 0) {
    error = std::string("cannot open the ") + codec->name + " encoder (" + why.reason(rc) + ")";
    return false;
  }
  chunk_ = enc->frame_size > 0 ? enc->frame_size : 1024;
  SwrContext* resampler = nullptr;
  const int set = swr_alloc_set_opts2(&resampler, &enc->ch_layout, enc->sample_fmt, enc->sample_rate,
                                      input_.forReading(), AV_SAMPLE_FMT_FLT, sampleRate, 0, nullptr);
  resampler_.reset(resampler);
  fifo_.reset(av_audio_fifo_alloc(enc->sample_fmt, enc->ch_layout.nb_channels, chunk_ * 4));
  converted_ = allocFrame();
  if (set < 0 || !fifo_ || swr_init(resampler_.get()) < 0) {
    error = std::string("cannot convert sound for the ") + codec->name + " encoder";
    return false;
  }
  return true;
}

bool AudioEncoder::convert(const float* samples, int count, std::string& error) {
  const AVCodecContext* enc = encoder_.get();
  const int capacity = swr_get_out_samples(resampler_.get(), count);
  if (capacity <= 0) return true;
  if (converted_->nb_samples < capacity) {
    av_frame_unref(converted_.get());
    converted_->nb_samples = capacity;
    converted_->format = enc->sample_fmt;
    if (av_channel_layout_copy(&converted_->ch_layout, &enc->ch_layout) < 0 ||
        av_frame_get_buffer(converted_.get(), 0) < 0)
      throw std::bad_alloc();
  }
  const uint8_t* in[1] = {reinterpret_cast<const uint8_t*>(samples)};
  const int got = swr_convert(resampler_.get(), converted_->extended_data, capacity, samples ? in : nullptr, count);
  if (got < 0) {
    error = "cannot convert sound for the encoder (" + avErrorText(got) + ")";
    return false;
  }
  if (av_audio_fifo_write(fifo_.get(), reinterpret_cast<void**>(converted_->extended_data), got) < got)
    throw std::bad_alloc();
  return true;
}

bool AudioEncoder::sendFrames(bool all, const Send& send, std::string& error) {
  AVCodecContext* enc = encoder_.get();
  while (av_audio_fifo_size(fifo_.get()) >= chunk_ || (all && av_audio_fifo_size(fifo_.get()) > 0)) {
    const int count = std::min(chunk_, av_audio_fifo_size(fifo_.get()));
    FramePtr frame = blankFrame(count);
    av_audio_fifo_read(fifo_.get(), reinterpret_cast<void**>(frame->extended_data), count);
    frame->pts = written_;
    written_ += count;
    if (!send(enc, frame.get(), error)) return false;
  }
  return true;
}

FramePtr AudioEncoder::blankFrame(int count) const {
  const AVCodecContext* enc = encoder_.get();
  FramePtr frame = allocFrame();
  frame->nb_samples = count;
  frame->format = enc->sample_fmt;
  frame->sample_rate = enc->sample_rate;
  if (av_channel_layout_copy(&frame->ch_layout, &enc->ch_layout) < 0 || av_frame_get_buffer(frame.get(), 0) < 0)
    throw std::bad_alloc();
  return frame;
}

bool AudioEncoder::skip(int64_t count, const Send& send, std::string& error) {
  const int pending = av_audio_fifo_size(fifo_.get());
  const int padding = pending > 0 ? chunk_ - pending : 0;
  if (padding > 0) {
    FramePtr silence = blankFrame(padding);
    av_samples_set_silence(silence->extended_data, 0, padding, silence->ch_layout.nb_channels,
                           static_cast<AVSampleFormat>(silence->format));
    if (av_audio_fifo_write(fifo_.get(), reinterpret_cast<void**>(silence->extended_data), padding) < padding)
      throw std::bad_alloc();
    if (!sendFrames(false, send, error)) return false;
  }
  written_ += av_rescale(count, encoder_->sample_rate, inputRate_) - padding;
  return true;
}

bool AudioEncoder::push(const float* samples, int64_t count, const Send& send, std::string& error) {
  return count <= 0 || (convert(samples, static_cast<int>(count), error) && sendFrames(false, send, error));
}

bool AudioEncoder::finish(const Send& send, std::string& error) {
  // The resampler's own delay comes out when it is given nothing.
  return convert(nullptr, 0, error) && sendFrames(true, send, error) && send(encoder_.get(), nullptr, error);
}

}  // namespace vmhost
