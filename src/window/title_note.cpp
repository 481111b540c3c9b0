#include "window/title_note.h"

namespace marvek {

std::string TitleNoteWords(TitleNote notes) {
  static constexpr struct {
    TitleNote note;
    const char* words;
  } kWords[] = {
      {TitleNote::WaitedForOverlap, "waited for an overlap"},
      {TitleNote::Shortened, "shortened"},
      {TitleNote::Mended, "mended"},
      {TitleNote::SplitOverGap, "split over a long gap"},
      {TitleNote::Continued, "continues a long title"},
  };
  std::string text;
  for (const auto& word : kWords) {
    if (!Has(notes, word.note)) continue;
    if (!text.empty()) text += ", ";
    text += word.words;
  }
  return text;
}

}  // namespace marvek
