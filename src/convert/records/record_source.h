#pragma once

#include <cstdint>

namespace marvek {

// Where one record of the title image came from, and what happened to it on its way to the
// display's clock: for a view that lists the titles beside the file they came from. Eight bytes,
// so that the records of a million titles cost 8 MB.
struct RecordSource {
  // What happened to the title, as bits of `notes`.
  enum Note : std::uint8_t {
    kWaited = 1,      // it starts later than the file asks: the previous title still showed
    kShortened = 2,   // it shows for less time than the file asks: it waited, or the shift moved
                      // its start to frame 0
    kMended = 4,      // repair changed its line to make a title of it
    kBridge = 8,      // an empty record that bridges a gap longer than the display can count
    kContinued = 16,  // a further record of a title longer than the display can count
  };

  std::uint64_t line : 56 = 0;  // the line of the file, from 1; for SubRip the line of times
  std::uint64_t notes : 8 = 0;  // Note bits

  bool Has(Note note) const { return (notes & note) != 0; }
};
static_assert(sizeof(RecordSource) == 8);

}  // namespace marvek
