#include "host/media/sound_transcode.h"

namespace vmhost {

bool SoundTranscoder::open(const AVStream* in, AVFormatContext* output, AVStream* out, const AVCodec* codec,
                           int64_t bitrate, std::string& error) {
  in_ = in;
  output_ = output;
  out_ = out;
  decoder_ = openDecoder(in, error);
  if (!decoder_) return false;
  const AVCodecContext* dec = decoder_.get();
  if (dec->sample_rate <= 0 || dec->ch_layout.nb_channels <= 0) {
    error =
        std::string("cannot decode its ") + avcodec_get_name(in->codecpar->codec_id) + " sound (no rate or channels)";
    return false;
  }
  if (!encoder_.open(codec, dec->sample_rate, dec->ch_layout, bitrate, output->oformat->flags & AVFMT_GLOBALHEADER,
                     error))
    return false;
  if (avcodec_parameters_from_context(out->codecpar, encoder_.context()) < 0) throw std::bad_alloc();
  out->time_base = encoder_.context()->time_base;
  samples_.emplace(dec->ch_layout, dec->sample_rate);
  decoded_ = allocFrame();
  encoded_ = allocPacket();
  gapTolerance_ = lostSoundTolerance(in->time_base, dec->sample_rate);
  return true;
}

bool SoundTranscoder::write(const AVPacket* packet, std::string& error) {
  const int rc = avcodec_send_packet(decoder_.get(), packet);
  if (rc == AVERROR(ENOMEM)) throw std::bad_alloc();
  // Any other refusal is a damaged packet: what follows is still decoded.
  return encodeDecoded(error);
}

bool SoundTranscoder::finish(std::string& error) {
  avcodec_send_packet(decoder_.get(), nullptr);
  return encodeDecoded(error) && encoder_.finish(muxer(), error);
}

bool SoundTranscoder::encodeDecoded(std::string& error) {
  const AVCodecContext* dec = decoder_.get();
  const int channels = dec->ch_layout.nb_channels;
  const AudioEncoder::Send send = muxer();
  for (;;) {
    const int rc = avcodec_receive_frame(decoder_.get(), decoded_.get());
    if (rc == AVERROR(ENOMEM)) throw std::bad_alloc();
    if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return true;
    if (rc < 0) continue;  // a damaged packet the decoder reports late
    buffer_.clear();
    const int64_t ts = decoded_->best_effort_timestamp;
    if (ts != AV_NOPTS_VALUE) {
      const int64_t at = av_rescale_q(ts, in_->time_base, AVRational{1, dec->sample_rate});
      if (start_ == AV_NOPTS_VALUE) {
        start_ = av_rescale_q(ts, in_->time_base, encoder_.context()->time_base);
        next_ = at;
      } else if (at - next_ > kTimestampJumpSeconds * dec->sample_rate) {
        // Kept as a gap, as a copied stream keeps it.
        if (!encoder_.skip(at - next_, send, error)) return false;
        next_ = at;
      } else if (at - next_ > gapTolerance_) {
        buffer_.assign(static_cast<size_t>(at - next_) * channels, 0.0f);
      }
    }
    const bool converted = samples_->append(decoded_.get(), buffer_, error);
    av_frame_unref(decoded_.get());
    if (!converted) return false;
    const auto count = static_cast<int64_t>(buffer_.size()) / channels;
    next_ += count;
    if (!encoder_.push(buffer_.data(), count, send, error)) return false;
  }
}

AudioEncoder::Send SoundTranscoder::muxer() {
  return [this](AVCodecContext*, const AVFrame* frame, std::string& why) { return mux(frame, why); };
}

bool SoundTranscoder::mux(const AVFrame* frame, std::string& error) {
  AVCodecContext* enc = encoder_.context();
  // The encoder counts from 0; the sound starts where its first sample was.
  bool writing = false;
  const int rc = encodeInto(enc, frame, output_, out_, encoded_.get(), start_ != AV_NOPTS_VALUE ? start_ : 0, writing);
  if (rc >= 0) return true;
  error = writing ? "cannot write stream " + std::to_string(in_->index) + " (" + avErrorText(rc) + ")"
                  : "stream " + std::to_string(in_->index) + ": the " + enc->codec->name + " encoder failed (" +
                        avErrorText(rc) + ")";
  return false;
}

}  // namespace vmhost
