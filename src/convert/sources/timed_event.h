#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "convert/timing/frame_rate.h"

namespace marvek {

// A moment of a title source as its format counts it: `count` units of 1/`perSecond` of a second
// (ASS centiseconds, DCP ticks of 4 ms or edit units, a stream's time base). Kept exact, so that
// the display's frame is found by one rounding, the same way for every format.
struct SourceTime {
  std::int64_t count = 0;  // negative before the film's start
  std::int64_t perSecond = 1000;
};

// One event of a title source, as its reader found it: its times and its text in UTF-8, the
// lines of the title joined with "|". The text may still hold spaces at the ends of its lines
// and empty lines: the rules common to every source remove them.
struct TimedEvent {
  SourceTime start;
  SourceTime end;
  std::string text;
  std::size_t line = 0;  // the event's line in the file, where the format has lines; else 0
};

// What a source's reader left out, so that a source with no title left can say why.
struct LeftOutEvents {
  std::size_t drawings = 0;        // ASS events that draw (\p1 and up)
  std::size_t comments = 0;        // ASS "Comment:" events
  std::size_t unreadableCues = 0;  // WebVTT cues whose timing line cannot be read
  std::size_t pictures = 0;        // DCP titles made only of images
};

// Everything a source's reader hands on to the conversion.
struct TimedSource {
  std::vector<TimedEvent> events;  // in file order
  LeftOutEvents leftOut;
  // A rate the source states (a film's video stream, a DCP reel's EditRate): the display's frame
  // rate unless the operator sets one.
  std::optional<FrameRate> frameRate;
  std::string rateOrigin;  // where the rate comes from, for the status list: "the film"
  std::string formatName;  // "ASS", "WebVTT", "DCP subtitles (Interop)", ...
  std::size_t reels = 0;   // DCP: how many reels were read
};

}  // namespace marvek
