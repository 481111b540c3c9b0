#pragma once

#include <QString>
#include <array>
#include <string_view>
#include <vector>

namespace marvek {

// Finds a piece of text, whatever its letters' case, in the records of a title image, as the
// display would show them. It reads the record's bytes straight, one display letter a byte, so a
// million titles are searched in a blink rather than turned into text first.
class TitleSearch {
 public:
  explicit TitleSearch(const QString& text);

  bool empty() const { return needle_.empty(); }
  // Whether the record text `bytes` shows the searched text; always true for an empty search.
  bool Matches(std::string_view bytes) const;

 private:
  std::vector<char16_t> needle_;  // in small letters
  bool impossible_ = false;       // a letter no byte of a record shows
};

}  // namespace marvek
