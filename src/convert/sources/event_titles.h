#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "convert/sources/timed_event.h"
#include "convert/timing/frame_rate.h"
#include "convert/title_image.h"
#include "shared/operator_panel.h"

namespace marvek {

// The frame nearest to `time` at `rate`, a time half-way between two frames taking the later
// one, as SubRip times become frames. A time before 0 stays before frame 0, however it rounds.
std::int64_t FrameOf(const SourceTime& time, const FrameRate& rate);

// One title as the events of a timed source make it, before its times become frames.
struct EventTitle {
  SourceTime start;
  SourceTime end;
  std::string text;      // UTF-8, its lines joined with "|"
  std::size_t line = 0;  // the line of its first event
};

// The titles that `events`, in file order, make by the rules every timed source shares: each
// line of a text loses the spaces and tabs at its ends and is dropped when nothing is left; an
// event left with no text is left out; the rest go in order of start, ties in file order, and
// events with the same start and the same end become one title, their texts joined with "|" in
// file order.
std::vector<EventTitle> TitlesOfEvents(const std::vector<TimedEvent>& events);

// Why a source whose times need the display's frame rate is refused without one: "this is a DCP
// subtitle file, whose times need the display's frame rate".
std::string NeedsRateReason(std::string_view formatName);

// Why a source with no title left is refused: "no title in the file", and what was left out.
std::string NoTitleReason(const LeftOutEvents& leftOut);

// Converts the events of `source` into the records of an image, at the display's frame rate of
// `options` or, when the operator gave none, the rate the source states. The text is UTF-8 and
// goes through the same rules as every title; refusals, repair, the shift and the record sources
// are those of a SubRip file. `result.encoding` is UTF-8; the caller may name another.
ConversionResult ConvertTimedSource(const TimedSource& source, CharMode mode, OperatorPanel& panel,
                                    const ConversionOptions& options);

}  // namespace marvek
