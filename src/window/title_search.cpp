#include "window/title_search.h"

#include <algorithm>
#include <string>

#include "display/image_decoder.h"

namespace marvek {
namespace {

// Each byte's letter as the display shows it, in small letters; 0 for a byte shown as more than
// one character (the \xNN of a control byte), which no search finds. Made from DisplayText, so
// that the search finds what the table shows.
std::array<char16_t, 256> MakeSmallLetters() {
  std::array<char16_t, 256> letters{};
  for (int byte = 0; byte < 256; ++byte) {
    const std::string one(1, static_cast<char>(byte));
    const QString shown = QString::fromStdString(DisplayText(one)).toLower();
    letters[static_cast<std::size_t>(byte)] = shown.size() == 1 ? shown.at(0).unicode() : 0;
  }
  return letters;
}

const std::array<char16_t, 256>& SmallLetters() {
  static const std::array<char16_t, 256> letters = MakeSmallLetters();
  return letters;
}

}  // namespace

TitleSearch::TitleSearch(const QString& text) {
  const QString small = text.toLower();
  const auto& letters = SmallLetters();
  for (const QChar c : small) {
    needle_.push_back(c.unicode());
    if (std::find(letters.begin(), letters.end(), c.unicode()) == letters.end() ||
        c.unicode() == 0) {
      impossible_ = true;
    }
  }
}

bool TitleSearch::Matches(std::string_view bytes) const {
  if (needle_.empty()) return true;
  if (impossible_ || bytes.size() < needle_.size()) return false;
  const auto& letters = SmallLetters();
  const char16_t first = needle_.front();
  const std::size_t last = bytes.size() - needle_.size();
  for (std::size_t at = 0; at <= last; ++at) {
    if (letters[static_cast<unsigned char>(bytes[at])] != first) continue;
    std::size_t i = 1;
    while (i < needle_.size() && letters[static_cast<unsigned char>(bytes[at + i])] == needle_[i]) {
      ++i;
    }
    if (i == needle_.size()) return true;
  }
  return false;
}

}  // namespace marvek
