#include "convert/title_readers.h"

#include "convert/title_image.h"

namespace marvek {
namespace {

template <typename Reader>
LineLayoutReader ReadRated(const ReaderSettings& settings) {
  return LineLayoutReader(std::in_place_type<Reader>, *settings.displayRate);
}

LineLayoutReader ReadBraces(const ReaderSettings& settings) {
  return LineLayoutReader(std::in_place_type<BraceReader>, settings);
}

// The readers, asked in this order at each line. SubRip goes first: its title number is a line
// no other layout opens with, and MPL2 before braces, since an MPL2 text may hold "{y:i}".
constexpr TitleReader kReaders[] = {
    {TitleLayout::SubRip, LooksLikeSubRip, ReadRated<SubRipReader>, nullptr, kSubRipNeedsRate,
     LineFault::SubRipWithoutRate},
    {TitleLayout::Mpl2, LooksLikeMpl2, ReadRated<Mpl2Reader>, nullptr, kMpl2NeedsRate,
     LineFault::Mpl2WithoutRate},
    {TitleLayout::Braces, OpensWithBraceTitle, ReadBraces, nullptr, nullptr, LineFault::None},
};

// The brace layout is the one files were always read in.
constexpr const TitleReader& kBraces = kReaders[2];

}  // namespace

const TitleReader& ChooseReader(std::string_view head) {
  for (std::size_t at = 0; at < head.size();) {
    const std::size_t end = head.find_first_of("\r\n", at);
    // Blank lines open nothing: each probe looks at most at two lines from a line with text.
    if (head.substr(at, end - at).find_first_not_of(" \t") != std::string_view::npos) {
      for (const TitleReader& reader : kReaders) {
        if (reader.opensAt(head.substr(at))) return reader;
      }
    }
    if (end == std::string_view::npos) break;
    at = end + 1;
  }
  return kBraces;
}

}  // namespace marvek
