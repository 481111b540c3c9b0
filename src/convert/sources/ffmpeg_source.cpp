#include "convert/sources/ffmpeg_source.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/avutil.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
}

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <vector>

#include "convert/sources/ass_text.h"
#include "convert/sources/webvtt_reader.h"

namespace marvek {
namespace {

// FFmpeg's own messages would reach the terminal past the faces; its errors come back as codes.
void QuietFfmpeg() {
  av_log_set_level(AV_LOG_QUIET);
}

std::string FfmpegReason(int code) {
  std::array<char, AV_ERROR_MAX_STRING_SIZE> text{};
  av_strerror(code, text.data(), text.size());
  return text.data();
}

// The bytes of a title file in memory, as FFmpeg reads a file.
struct MemoryInput {
  std::string_view bytes;
  std::size_t at = 0;

  static int Read(void* opaque, std::uint8_t* buffer, int size) {
    auto* self = static_cast<MemoryInput*>(opaque);
    const std::size_t n = std::min(static_cast<std::size_t>(size), self->bytes.size() - self->at);
    if (n == 0) return AVERROR_EOF;
    std::memcpy(buffer, self->bytes.data() + self->at, n);
    self->at += n;
    return static_cast<int>(n);
  }
  static std::int64_t Seek(void* opaque, std::int64_t offset, int whence) {
    auto* self = static_cast<MemoryInput*>(opaque);
    const auto size = static_cast<std::int64_t>(self->bytes.size());
    if ((whence & AVSEEK_SIZE) != 0) return size;
    const std::int64_t base = (whence & 3) == SEEK_CUR   ? static_cast<std::int64_t>(self->at)
                              : (whence & 3) == SEEK_END ? size
                                                         : 0;
    if (base + offset < 0 || base + offset > size) return AVERROR(EINVAL);
    self->at = static_cast<std::size_t>(base + offset);
    return base + offset;
  }
};

// An open container, closed with everything it holds on every way out.
class Container {
 public:
  Container() = default;
  Container(const Container&) = delete;
  Container& operator=(const Container&) = delete;
  ~Container() {
    avformat_close_input(&format_);
    if (io_ != nullptr) av_freep(&io_->buffer);
    avio_context_free(&io_);
  }

  int OpenPath(const std::string& path) {
    QuietFfmpeg();
    return Found(avformat_open_input(&format_, path.c_str(), nullptr, nullptr));
  }
  int OpenMemory(std::string_view bytes, const AVInputFormat* format) {
    QuietFfmpeg();
    input_.bytes = bytes;
    // A short text costs a buffer of about its own size, not of the largest.
    const int bufferSize = static_cast<int>(std::clamp<std::size_t>(bytes.size(), 4096, 65536));
    auto* buffer = static_cast<unsigned char*>(av_malloc(static_cast<std::size_t>(bufferSize)));
    io_ = avio_alloc_context(buffer, bufferSize, 0, &input_, &MemoryInput::Read, nullptr,
                             &MemoryInput::Seek);
    if (io_ == nullptr) {
      av_free(buffer);
      return AVERROR(ENOMEM);
    }
    format_ = avformat_alloc_context();
    if (format_ == nullptr) return AVERROR(ENOMEM);
    format_->pb = io_;
    format_->flags |= AVFMT_FLAG_CUSTOM_IO;
    return Found(avformat_open_input(&format_, nullptr, format, nullptr));
  }
  AVFormatContext* get() const { return format_; }
  // How far reading has come, 0 to 100.
  float Percent() const {
    const std::int64_t size = format_->pb != nullptr ? avio_size(format_->pb) : 0;
    if (size <= 0) return 0;
    return static_cast<float>(100.0 * static_cast<double>(avio_tell(format_->pb)) /
                              static_cast<double>(size));
  }

 private:
  int Found(int opened) {
    return opened < 0 ? opened : avformat_find_stream_info(format_, nullptr);
  }
  AVFormatContext* format_ = nullptr;
  AVIOContext* io_ = nullptr;
  MemoryInput input_;
};

std::string Tag(const AVStream* stream, const char* key) {
  const AVDictionaryEntry* entry = av_dict_get(stream->metadata, key, nullptr, 0);
  return entry != nullptr ? entry->value : "";
}

FilmTracks TracksOf(const AVFormatContext* format) {
  FilmTracks film;
  for (unsigned i = 0; i < format->nb_streams; ++i) {
    const AVStream* stream = format->streams[i];
    if (stream->codecpar->codec_type != AVMEDIA_TYPE_SUBTITLE) continue;
    const AVCodecDescriptor* codec = avcodec_descriptor_get(stream->codecpar->codec_id);
    film.tracks.push_back({.number = static_cast<int>(film.tracks.size()) + 1,
                           .stream = static_cast<int>(i),
                           .language = Tag(stream, "language"),
                           .title = Tag(stream, "title"),
                           .codec = avcodec_get_name(stream->codecpar->codec_id),
                           .isDefault = (stream->disposition & AV_DISPOSITION_DEFAULT) != 0,
                           .isText = codec != nullptr && (codec->props & AV_CODEC_PROP_TEXT_SUB)});
  }
  return film;
}

// The frame rate of the film's video as FFmpeg guesses it, exact; cover pictures are no video.
std::optional<FrameRate> VideoRate(AVFormatContext* format) {
  for (unsigned i = 0; i < format->nb_streams; ++i) {
    AVStream* stream = format->streams[i];
    if (stream->codecpar->codec_type != AVMEDIA_TYPE_VIDEO ||
        (stream->disposition & AV_DISPOSITION_ATTACHED_PIC) != 0) {
      continue;
    }
    const AVRational rate = av_guess_frame_rate(format, stream, nullptr);
    const FrameRate exact{rate.num, rate.den};
    if (rate.num > 0 && rate.den > 0 && IsUsableFrameRate(exact)) return exact;
  }
  return std::nullopt;
}

// The text of a decoded event: its ASS dialogue fields, the text being the ninth and last.
std::string_view DialogueText(const char* ass) {
  std::string_view fields = ass != nullptr ? ass : "";
  for (int comma = 0; comma < 8; ++comma) {
    const std::size_t at = fields.find(',');
    if (at == std::string_view::npos) return {};
    fields.remove_prefix(at + 1);
  }
  return fields;
}

struct Decoder {
  AVCodecContext* context = nullptr;
  ~Decoder() { avcodec_free_context(&context); }
};

int OpenDecoder(const AVStream* stream, Decoder& decoder) {
  const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
  if (codec == nullptr) return AVERROR_DECODER_NOT_FOUND;
  decoder.context = avcodec_alloc_context3(codec);
  if (decoder.context == nullptr) return AVERROR(ENOMEM);
  int error = avcodec_parameters_to_context(decoder.context, stream->codecpar);
  decoder.context->pkt_timebase = stream->time_base;
  return error < 0 ? error : avcodec_open2(decoder.context, codec, nullptr);
}

// Adds the events of one packet of the track: its time from the packet, its text from the decoder.
void AddEvents(const AVPacket& packet, const AVSubtitle& decoded, const AVStream& stream,
               TimedSource& source) {
  const AVRational base = stream.time_base;
  const bool references = stream.codecpar->codec_id == AV_CODEC_ID_SAMI;
  const std::int64_t pts = packet.pts != AV_NOPTS_VALUE ? packet.pts : packet.dts;
  if (pts == AV_NOPTS_VALUE) return;
  const SourceTime start{pts * base.num, base.den};
  SourceTime end{(pts + packet.duration) * base.num, base.den};
  if (packet.duration <= 0 && decoded.end_display_time != UINT32_MAX) {
    end = {start.count * 1000 / start.perSecond + decoded.end_display_time, 1000};
  }
  for (unsigned i = 0; i < decoded.num_rects; ++i) {
    const AVSubtitleRect* rect = decoded.rects[i];
    if (rect->type != SUBTITLE_ASS) {
      ++source.leftOut.pictures;
      continue;
    }
    AssTitleText text = AssEventText(DialogueText(rect->ass));
    if (text.draws) {
      ++source.leftOut.drawings;
      continue;
    }
    if (references) text.text = WithCharacterReferences(text.text);
    source.events.push_back({start, end, std::move(text.text), 0});
  }
}

FfmpegReading CannotOpen(int error) {
  FfmpegReading reading;
  reading.error = -1;
  reading.refusal = FfmpegReason(error);
  return reading;
}

// Reads every packet of `stream`, the container told to skip the packets of all others.
FfmpegReading ReadTrack(Container& container, int stream, OperatorPanel& panel) {
  AVFormatContext* format = container.get();
  for (unsigned i = 0; i < format->nb_streams; ++i) {
    format->streams[i]->discard = static_cast<int>(i) == stream ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
  }
  const AVStream* track = format->streams[stream];
  FfmpegReading reading;
  Decoder decoder;
  if (const int error = OpenDecoder(track, decoder); error < 0) {
    reading.refusal = "the film's title track cannot be decoded: " + FfmpegReason(error);
    return reading;
  }
  TimedSource source;
  std::unique_ptr<AVPacket, void (*)(AVPacket*)> packet(av_packet_alloc(),
                                                        [](AVPacket* p) { av_packet_free(&p); });
  int got = 0;
  int read = 0;
  for (; (read = av_read_frame(format, packet.get())) >= 0; av_packet_unref(packet.get())) {
    if (packet->stream_index != stream) continue;
    AVSubtitle decoded{};
    if (avcodec_decode_subtitle2(decoder.context, &decoded, &got, packet.get()) >= 0 && got) {
      AddEvents(*packet, decoded, *track, source);
      avsubtitle_free(&decoded);
    }
    panel.SetProgress(container.Percent());
    if (panel.StopRequested()) {
      reading.error = ECANCELED;
      return reading;
    }
  }
  // A film that breaks off gives no titles at all rather than the first part of them.
  if (read != AVERROR_EOF) return CannotOpen(read);
  reading.source = std::move(source);
  return reading;
}

// Reads the chosen track of an open container, with the film's frame rate.
FfmpegReading ReadChosen(Container& container, const std::string& choice, OperatorPanel& panel) {
  const FilmTracks film = TracksOf(container.get());
  FfmpegReading reading;
  const FilmTrack* track = ChooseFilmTrack(film.tracks, choice, reading.refusal);
  if (track == nullptr) return reading;
  reading = ReadTrack(container, track->stream, panel);
  if (reading.source) {
    reading.source->frameRate = VideoRate(container.get());
    reading.source->rateOrigin = "the film";
  }
  return reading;
}

// Matroska and WebM, MP4 and MOV, AVI and MPEG-TS: the containers a film is screened from.
bool IsFilmContainer(const AVInputFormat* format) {
  static constexpr std::array<std::string_view, 4> kFilms{
      "matroska,webm", "mov,mp4,m4a,3gp,3g2,mj2", "avi", "mpegts"};
  return std::find(kFilms.begin(), kFilms.end(), format->name) != kFilms.end();
}

// The formats our own readers read, with their strict reading and line numbers.
bool OurFormat(const AVInputFormat* format) {
  static constexpr std::array<std::string_view, 5> kOurs{"srt", "microdvd", "mpl2", "ass",
                                                         "webvtt"};
  return std::find(kOurs.begin(), kOurs.end(), format->name) != kOurs.end();
}

const AVInputFormat* ProbeFormat(std::string_view bytes, const std::string& fileName) {
  // The probe wants zeroed padding after the bytes it looks at.
  const std::size_t length = std::min<std::size_t>(bytes.size(), 1 << 20);
  std::vector<unsigned char> head(length + AVPROBE_PADDING_SIZE, 0);
  std::memcpy(head.data(), bytes.data(), length);
  AVProbeData probe{};
  probe.filename = fileName.c_str();
  probe.buf = head.data();
  probe.buf_size = static_cast<int>(length);
  int score = 0;
  const AVInputFormat* format = av_probe_input_format3(&probe, 1, &score);
  if (format == nullptr || score <= 0 || OurFormat(format)) return nullptr;
  // The lyrics probe takes any text with a "[" at a line's start for its own (a short MPL2 file,
  // a damaged brace file): lyrics are believed only of a file named so.
  if (std::string_view(format->name) == "lrc" && !fileName.ends_with(".lrc")) return nullptr;
  return format;
}

// What the status list calls a format: "SAMI", "SubViewer", "JACOsub" from FFmpeg's long names
// ("SAMI subtitle format", "PJS (Phoenix Japanimation Society) subtitles").
std::string FormatName(const AVInputFormat& format) {
  std::string_view name = format.long_name != nullptr ? format.long_name : format.name;
  name = name.substr(0, std::min(name.find(" subtitle"), name.find(" (")));
  return std::string(name.empty() ? format.name : name);
}

}  // namespace

bool FfmpegReadersBuiltIn() {
  return true;
}

std::optional<FilmTracks> ReadFilmTracks(const std::string& path, std::string& why) {
  Container container;
  if (const int error = container.OpenPath(path); error < 0) {
    why = FfmpegReason(error);
    return std::nullopt;
  }
  FilmTracks film = TracksOf(container.get());
  film.frameRate = VideoRate(container.get());
  return film;
}

FfmpegReading ReadFilmTitles(const std::string& path, const std::string& track,
                             OperatorPanel& panel) {
  Container container;
  if (const int error = container.OpenPath(path); error < 0) return CannotOpen(error);
  // A film comes in one of the containers films come in. A text file that merely holds a zero
  // byte (a damaged brace or SubRip file) may open as a subtitle format or even as sound; it is
  // left to the line readers, as the same bytes in memory are.
  if (!IsFilmContainer(container.get()->iformat)) {
    return FfmpegReading::Unclaimed();
  }
  FfmpegReading reading = ReadChosen(container, track, panel);
  if (reading.source) reading.source->formatName = "film";
  return reading;
}

namespace {

// The titles of `bytes`, which FFmpeg's probe takes for `format`; not claimed without a title
// track.
FfmpegReading ReadProbed(std::string_view bytes, const AVInputFormat* format,
                         const std::string& track, OperatorPanel& panel) {
  Container container;
  if (container.OpenMemory(bytes, format) < 0 || TracksOf(container.get()).tracks.empty()) {
    return FfmpegReading::Unclaimed();
  }
  const bool film = VideoRate(container.get()).has_value();
  FfmpegReading reading = ReadChosen(container, track, panel);
  if (reading.source) {
    reading.source->formatName = film ? "film" : FormatName(*format);
  }
  return reading;
}

}  // namespace

FfmpegReading ReadFfmpegBytes(std::string_view bytes, const std::string& fileName,
                              const std::string& track, OperatorPanel& panel) {
  const AVInputFormat* format = ProbeFormat(bytes, fileName);
  if (format == nullptr) {
    return FfmpegReading::Unclaimed();
  }
  return ReadProbed(bytes, format, track, panel);
}

FfmpegReading ReadFilmBytes(std::string_view bytes, const std::string& track,
                            OperatorPanel& panel) {
  // As a film file is: only in a film's container, and never opened otherwise.
  const AVInputFormat* format = ProbeFormat(bytes, "");
  if (format == nullptr || !IsFilmContainer(format)) {
    return FfmpegReading::Unclaimed();
  }
  return ReadProbed(bytes, format, track, panel);
}

}  // namespace marvek
