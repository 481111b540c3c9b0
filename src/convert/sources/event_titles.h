#pragma once

#include "convert/sources/timed_event.h"
#include "convert/title_image.h"
#include "shared/operator_panel.h"

namespace marvek {

// The rules common to every timed source (ASS, WebVTT, a film's track, DCP subtitles): each line
// of a title loses the spaces and tabs at its ends and an empty line is dropped; an event left
// without text is left out; events go in order of start time, ties in file order; events with the
// same start and end become one title, their texts joined with "|". Times become frames at the
// display's frame rate, the nearest frame, halves up; the source's own rate stands in for the
// display's when the operator has set none. The titles then go through the record builder like
// every other title, in UTF-8. `result` already names the encoding the file was read in.
void ConvertTimedSource(TimedSource source, CharMode mode, const ConversionOptions& options,
                        OperatorPanel& panel, ConversionResult& result);

// The frame nearest to `time` at `rate`; a time half-way between two frames takes the later one.
std::int64_t FrameOf(const SourceTime& time, const FrameRate& rate);

// The titles of `source` as the rules above leave them, in the order they are shown.
std::vector<TimedEvent> TitleEvents(std::vector<TimedEvent> events);

// "no title in the file", naming what the reader left out ("3 drawings, 1 comment").
std::string NoTitleReason(const LeftOutEvents& leftOut);

}  // namespace marvek
