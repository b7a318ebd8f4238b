#include "host/media/stream_copy.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "host/media/sound_transcode.h"

namespace vmhost {

namespace {

const char* kindName(AVMediaType type) {
  switch (type) {
    case AVMEDIA_TYPE_VIDEO: return "video";
    case AVMEDIA_TYPE_AUDIO: return "audio";
    case AVMEDIA_TYPE_SUBTITLE: return "subtitle";
    case AVMEDIA_TYPE_ATTACHMENT: return "attachment";
    default: return "data";
  }
}

// A stream's codec for messages; for one FFmpeg has no codec for, the
// container's tag ("tmcd").
std::string codecName(const AVCodecParameters* par) {
  if (par->codec_id != AV_CODEC_ID_NONE || par->codec_tag == 0) return avcodec_get_name(par->codec_id);
  char tag[AV_FOURCC_MAX_STRING_SIZE];
  return av_fourcc_make_string(tag, par->codec_tag);
}

// A QuickTime timecode track whose timecode the output keeps all the same:
// it rides on the video stream's tags (or the file's), from which the
// QuickTime and MP4 muxers write a timecode track of their own and Matroska
// and WebM a tag.
bool timecodeKeptElsewhere(const AVStream* st, const AVFormatContext* in, int videoStream,
                           const AVOutputFormat* format) {
  if (st->codecpar->codec_tag != MKTAG('t', 'm', 'c', 'd') || videoStream < 0) return false;
  if (av_dict_get(in->streams[videoStream]->metadata, "timecode", nullptr, 0) == nullptr &&
      av_dict_get(in->metadata, "timecode", nullptr, 0) == nullptr)
    return false;
  for (const char* name : {"mov", "mp4", "matroska", "webm"})
    if (std::strcmp(format->name, name) == 0) return true;
  return false;
}

bool isTextSubtitle(AVCodecID id) {
  const AVCodecDescriptor* d = avcodec_descriptor_get(id);
  return d != nullptr && d->type == AVMEDIA_TYPE_SUBTITLE && (d->props & AV_CODEC_PROP_TEXT_SUB);
}

// Tags and dispositions of `from` on `to`; the encoder's name only where the
// stream is copied, not encoded anew.
void copyTags(const AVStream* from, AVStream* to, bool encoded) {
  av_dict_copy(&to->metadata, from->metadata, 0);
  if (encoded) av_dict_set(&to->metadata, "encoder", nullptr, 0);
  to->disposition = from->disposition;
}

// Whether a container that does not list what it holds takes another
// stream of this kind: audio and video where it has an encoder of that kind
// at all; GIF holds its one picture stream and nothing else.
bool takesUnlisted(const AVOutputFormat* format, AVMediaType type) {
  if (std::strcmp(format->name, "gif") == 0) return false;
  if (type == AVMEDIA_TYPE_AUDIO) return format->audio_codec != AV_CODEC_ID_NONE;
  return type == AVMEDIA_TYPE_VIDEO && format->video_codec != AV_CODEC_ID_NONE;
}

struct ChapterDeleter {
  void operator()(AVChapter* c) const {
    av_dict_free(&c->metadata);
    av_free(c);
  }
};

}  // namespace

struct StreamCopier::Kept {
  AVStream* in = nullptr;
  AVStream* out = nullptr;
  // Set for text subtitles converted to the kind the container takes.
  CodecContextPtr decoder;
  CodecContextPtr encoder;
  // Set for sound encoded anew.
  std::unique_ptr<SoundTranscoder> sound;
};

StreamCopier::StreamCopier() = default;
StreamCopier::~StreamCopier() = default;

bool StreamCopier::open(const CopySpec& spec, AVFormatContext* output, AVStream* video, AVStream* audio,
                        std::vector<std::string>& dropped, std::string& error) {
  spec_ = spec;
  output_ = output;
  input_ = openInput(spec.input, error);
  if (!input_) return false;
  AVFormatContext* in = input_.get();
  av_dict_copy(&output->metadata, in->metadata, 0);
  const AVOutputFormat* format = output->oformat;
  kept_.resize(in->nb_streams);
  for (unsigned i = 0; i < in->nb_streams; ++i) {
    AVStream* st = in->streams[i];
    // Streams the demuxer itself hides (a QuickTime chapter track) come
    // across as chapters, if at all.
    const bool hidden = st->discard == AVDISCARD_ALL;
    st->discard = AVDISCARD_ALL;
    const int index = static_cast<int>(i);
    if (index == spec.videoStream || index == spec.audioStream) {
      AVStream* rendered = index == spec.videoStream ? video : audio;
      if (rendered != nullptr) copyTags(st, rendered, true);
      continue;
    }
    if (hidden) continue;
    const AVCodecParameters* par = st->codecpar;
    // A container with no codec of a kind "holds" the codec none, and a GIF
    // then refuses to start: a stream FFmpeg cannot name is kept only in
    // MPEG-TS, which carries any data stream as private data.
    int holds = avformat_query_codec(format, par->codec_id, FF_COMPLIANCE_NORMAL);
    if (par->codec_id == AV_CODEC_ID_NONE) holds = std::strcmp(format->name, "mpegts") == 0;
    bool copy = false, convert = false, encode = false;
    if (par->codec_type == AVMEDIA_TYPE_ATTACHMENT)
      copy = std::strcmp(format->name, "matroska") == 0;
    else
      copy = holds == 1 || (holds < 0 && takesUnlisted(format, par->codec_type));
    if (!copy && par->codec_type == AVMEDIA_TYPE_SUBTITLE && isTextSubtitle(par->codec_id) &&
        format->subtitle_codec != AV_CODEC_ID_NONE)
      convert =
          avcodec_find_encoder(format->subtitle_codec) != nullptr && avcodec_find_decoder(par->codec_id) != nullptr;
    encode = !copy && par->codec_type == AVMEDIA_TYPE_AUDIO && spec.soundEncoder != nullptr;
    if (!copy && !convert && !encode) {
      if (!timecodeKeptElsewhere(st, in, spec.videoStream, format))
        dropped.push_back("stream " + std::to_string(i) + " (" + codecName(par) + " " + kindName(par->codec_type) +
                          ") dropped: the " + format->name + " container cannot hold it");
      continue;
    }
    auto kept = std::make_unique<Kept>();
    kept->in = st;
    kept->out = avformat_new_stream(output, nullptr);
    if (kept->out == nullptr) throw std::bad_alloc();
    if (encode) {
      kept->sound = std::make_unique<SoundTranscoder>();
      std::string why;
      if (!kept->sound->open(st, output, kept->out, spec.soundEncoder, spec.soundBitrate, why)) {
        error = "stream " + std::to_string(i) + ": " + why;
        return false;
      }
    } else if (convert) {
      const AVCodec* decoder = avcodec_find_decoder(par->codec_id);
      const AVCodec* encoder = avcodec_find_encoder(format->subtitle_codec);
      kept->decoder.reset(avcodec_alloc_context3(decoder));
      kept->encoder.reset(avcodec_alloc_context3(encoder));
      if (!kept->decoder || !kept->encoder) throw std::bad_alloc();
      AVCodecContext* dec = kept->decoder.get();
      AVCodecContext* enc = kept->encoder.get();
      int rc = avcodec_parameters_to_context(dec, par);
      dec->pkt_timebase = st->time_base;
      if (rc >= 0) rc = avcodec_open2(dec, decoder, nullptr);
      enc->time_base = AVRational{1, 1000};
      if (rc >= 0 && dec->subtitle_header != nullptr) {
        // The encoder frees its header with its context.
        enc->subtitle_header = static_cast<uint8_t*>(av_mallocz(dec->subtitle_header_size + 1));
        if (enc->subtitle_header == nullptr) throw std::bad_alloc();
        std::memcpy(enc->subtitle_header, dec->subtitle_header, dec->subtitle_header_size);
        enc->subtitle_header_size = dec->subtitle_header_size;
      }
      if (format->flags & AVFMT_GLOBALHEADER) enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
      if (rc >= 0) rc = avcodec_open2(enc, encoder, nullptr);
      if (rc >= 0) rc = avcodec_parameters_from_context(kept->out->codecpar, enc);
      if (rc < 0) {
        error = "stream " + std::to_string(i) + ": cannot convert " + avcodec_get_name(par->codec_id) + " to " +
                encoder->name + " subtitles (" + avErrorText(rc) + ")";
        return false;
      }
    } else {
      if (avcodec_parameters_copy(kept->out->codecpar, par) < 0) throw std::bad_alloc();
      // The input's codec tag only where this container reads it the same.
      const unsigned tag = par->codec_tag;
      if (format->codec_tag == nullptr || av_codec_get_id(format->codec_tag, tag) != par->codec_id)
        kept->out->codecpar->codec_tag = 0;
    }
    if (!encode) kept->out->time_base = st->time_base;
    kept->out->sample_aspect_ratio = st->sample_aspect_ratio;
    kept->out->avg_frame_rate = st->avg_frame_rate;
    copyTags(st, kept->out, encode);
    st->discard = AVDISCARD_DEFAULT;
    kept_[i] = std::move(kept);
  }
  // Chapters that meet the rendered span, moved as the streams are.
  for (unsigned i = 0; i < in->nb_chapters; ++i) {
    const AVChapter* c = in->chapters[i];
    const double tb = av_q2d(c->time_base);
    if (c->end * tb <= spec.from || c->start * tb >= spec.to) continue;
    std::unique_ptr<AVChapter, ChapterDeleter> chapter(static_cast<AVChapter*>(av_mallocz(sizeof(AVChapter))));
    if (!chapter) throw std::bad_alloc();
    const int64_t shift = std::llround(spec.offset / tb);
    const int64_t end = std::isinf(spec.to) ? c->end : std::min<int64_t>(c->end, std::llround(spec.to / tb));
    chapter->id = c->id;
    chapter->time_base = c->time_base;
    chapter->start = std::max<int64_t>(c->start - shift, 0);
    chapter->end = end - shift;
    if (av_dict_copy(&chapter->metadata, c->metadata, 0) < 0) throw std::bad_alloc();
    auto** grown = static_cast<AVChapter**>(
        av_realloc_array(output->chapters, output->nb_chapters + 1, sizeof(AVChapter*)));
    if (grown == nullptr) throw std::bad_alloc();
    output->chapters = grown;
    output->chapters[output->nb_chapters++] = chapter.release();
  }
  pending_ = allocPacket();
  return true;
}

bool StreamCopier::writeUntil(double seconds, std::string& error) {
  // Nothing kept: the input need not be read at all.
  if (std::none_of(kept_.begin(), kept_.end(), [](const auto& kept) { return kept != nullptr; })) return true;
  for (;;) {
    if (!havePending_) {
      // The end of the file, or damage at its end: what came is kept.
      if (ended_ || av_read_frame(input_.get(), pending_.get()) < 0) {
        ended_ = true;
        return true;
      }
      const auto index = static_cast<size_t>(pending_->stream_index);
      if (index >= kept_.size() || !kept_[index]) {
        av_packet_unref(pending_.get());
        continue;
      }
      havePending_ = true;
    }
    const Kept& kept = *kept_[static_cast<size_t>(pending_->stream_index)];
    const int64_t ts = pending_->dts != AV_NOPTS_VALUE ? pending_->dts : pending_->pts;
    if (ts != AV_NOPTS_VALUE && static_cast<double>(ts) * av_q2d(kept.in->time_base) - spec_.offset > seconds)
      return true;
    havePending_ = false;
    if (!writePacket(pending_.get(), error)) return false;
  }
}

bool StreamCopier::finish(std::string& error) {
  if (!writeUntil(std::numeric_limits<double>::infinity(), error)) return false;
  for (const auto& kept : kept_)
    if (kept && kept->sound && !kept->sound->finish(error)) return false;
  return true;
}

bool StreamCopier::writePacket(AVPacket* packet, std::string& error) {
  const Kept& kept = *kept_[static_cast<size_t>(packet->stream_index)];
  const AVRational tb = kept.in->time_base;
  if (packet->pts != AV_NOPTS_VALUE) {
    const double start = static_cast<double>(packet->pts) * av_q2d(tb);
    const double end = start + static_cast<double>(std::max<int64_t>(packet->duration, 0)) * av_q2d(tb);
    if (end < spec_.from || (end == start && start < spec_.from) || start >= spec_.to) {
      av_packet_unref(packet);
      return true;
    }
  }
  const int64_t shift = std::llround(spec_.offset / av_q2d(tb));
  if (packet->pts != AV_NOPTS_VALUE) packet->pts -= shift;
  if (packet->dts != AV_NOPTS_VALUE) packet->dts -= shift;
  if (kept.sound) {
    const bool written = kept.sound->write(packet, error);
    av_packet_unref(packet);
    return written;
  }
  PacketPtr converted;
  if (kept.decoder) {
    SubtitlePtr subtitle(new AVSubtitle{});
    int got = 0;
    const int rc = avcodec_decode_subtitle2(kept.decoder.get(), subtitle.get(), &got, packet);
    std::vector<uint8_t> text(1 << 16);
    const int size = rc >= 0 && got ? avcodec_encode_subtitle(kept.encoder.get(), text.data(),
                                                                 static_cast<int>(text.size()), subtitle.get())
                                    : -1;
    if (size <= 0) {  // nothing to show, or a damaged cue: skipped
      av_packet_unref(packet);
      return true;
    }
    converted = allocPacket();
    if (av_new_packet(converted.get(), size) < 0) throw std::bad_alloc();
    std::memcpy(converted->data, text.data(), static_cast<size_t>(size));
    converted->pts = converted->dts = packet->pts;
    converted->duration = packet->duration;
    converted->flags = AV_PKT_FLAG_KEY;
    av_packet_unref(packet);
    packet = converted.get();
  }
  packet->stream_index = kept.out->index;
  packet->pos = -1;
  av_packet_rescale_ts(packet, tb, kept.out->time_base);
  const int rc = av_interleaved_write_frame(output_, packet);
  if (rc < 0) {
    error = "cannot write stream " + std::to_string(kept.in->index) + " (" + avErrorText(rc) + ")";
    return false;
  }
  return true;
}

std::string StreamCopier::summary() const {
  const AVMediaType order[] = {AVMEDIA_TYPE_VIDEO, AVMEDIA_TYPE_AUDIO, AVMEDIA_TYPE_SUBTITLE,
                               AVMEDIA_TYPE_ATTACHMENT, AVMEDIA_TYPE_DATA};
  std::string text;
  int last = 0;
  for (AVMediaType type : order) {
    int count = 0;
    for (const auto& kept : kept_)
      if (kept && (kept->in->codecpar->codec_type == type ||
                   (type == AVMEDIA_TYPE_DATA && kept->in->codecpar->codec_type == AVMEDIA_TYPE_UNKNOWN)))
        ++count;
    if (count == 0) continue;
    text += (text.empty() ? "" : ", ") + std::to_string(count) + " " + kindName(type);
    last = count;
  }
  return text.empty() ? text : text + (last == 1 ? " stream copied" : " streams copied");
}

}  // namespace vmhost
