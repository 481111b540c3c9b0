#include "convert/title_readers.h"

#include "convert/layouts/layout_probe.h"
#include "convert/sources/ass_reader.h"
#include "convert/sources/dcp_source.h"
#include "convert/sources/ffmpeg_titles.h"
#include "convert/sources/text_source.h"
#include "convert/sources/webvtt_reader.h"

namespace marvek {
namespace {

template <typename Reader>
LineLayoutReader ReadRated(const ReaderSettings& settings) {
  return LineLayoutReader(std::in_place_type<Reader>, *settings.displayRate);
}

LineLayoutReader ReadBraces(const ReaderSettings& settings) {
  return LineLayoutReader(std::in_place_type<BraceReader>, settings);
}

bool ClaimsEverything(const TitleInput&) {
  return true;
}

// A text format read whole by a reader of our own, told by its start.
template <bool (*looksLike)(std::string_view), TimedSource (*read)(std::string_view)>
constexpr TitleReader TextReader() {
  return {TitleLayout::Timed,
          [](const TitleInput& input) { return IsWholeText(input) && looksLike(input.text); },
          nullptr,
          [](const TitleInput& input, CharMode mode, OperatorPanel& panel,
             const ConversionOptions& options) -> std::optional<ConversionResult> {
            return ConvertWholeText(input, read, mode, panel, options);
          },
          nullptr,
          LineFault::None};
}

// The readers. The line layouts come first, each told by LayoutOpeningAt; then the readers of
// whole documents in the order they are asked. A new format is a reader of its own and a row.
constexpr TitleReader kReaders[] = {
    {TitleLayout::SubRip, nullptr, ReadRated<SubRipReader>, nullptr, kSubRipNeedsRate,
     LineFault::SubRipWithoutRate},
    {TitleLayout::Mpl2, nullptr, ReadRated<Mpl2Reader>, nullptr, kMpl2NeedsRate,
     LineFault::Mpl2WithoutRate},
    {TitleLayout::Braces, nullptr, ReadBraces, nullptr, nullptr, LineFault::None},
    {TitleLayout::Timed, ClaimsDcp, nullptr, ConvertDcpInput, nullptr, LineFault::None},
    TextReader<LooksLikeAss, ReadAss>(),
    TextReader<LooksLikeWebVtt, ReadWebVtt>(),
    // FFmpeg's own probe, on the whole file, tells whether it knows the format.
    {TitleLayout::Timed, ClaimsEverything, nullptr, ConvertThroughFfmpeg, nullptr, LineFault::None},
};

// The brace layout is the one files were always read in.
constexpr const TitleReader& kBraces = kReaders[2];

const TitleReader& LineReaderOf(TitleLayout layout) {
  for (const TitleReader& reader : kReaders) {
    if (reader.readLines != nullptr && reader.layout == layout) return reader;
  }
  return kBraces;
}

}  // namespace

const TitleReader& ChooseReader(const TitleInput& input) {
  if (!OpensAsLineLayout(input.text)) {
    for (const TitleReader& reader : kReaders) {
      if (reader.claims != nullptr && reader.claims(input)) return reader;
    }
  }
  return ChooseLineReader(input.text);
}

const TitleReader& ChooseLineReader(std::string_view text) {
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = text.find_first_of("\r\n", at);
    // Blank lines open nothing: each probe looks at most at two lines from a line with text.
    if (text.substr(at, end - at).find_first_not_of(" \t") != std::string_view::npos) {
      if (const auto layout = LayoutOpeningAt(text.substr(at))) return LineReaderOf(*layout);
    }
    if (end == std::string_view::npos) break;
    at = end + 1;
  }
  return kBraces;
}

}  // namespace marvek
