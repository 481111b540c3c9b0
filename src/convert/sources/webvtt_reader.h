#pragma once

#include <string>
#include <string_view>

#include "convert/sources/timed_event.h"

namespace marvek {

// Whether the start of a file, in UTF-8 without its byte order mark, is WebVTT: "WEBVTT" alone
// or followed by a space, a tab or the line's end.
bool LooksLikeWebVtt(std::string_view head);

// The cues of a WebVTT file as the standard's parser reads them: a cue whose timing line holds a
// timestamp other than [hh:]mm:ss.ttt is dropped and counted; a cue's text ends at the first
// empty line or at a line that holds "-->". Cue settings are ignored. Read here rather than by
// FFmpeg, whose reader takes timestamps the standard drops.
TimedSource ReadWebVtt(std::string_view text);

// A cue's text as a title's text: every tag removed ("<v Name>" names no one on the display),
// character references replaced by their characters, "&lrm;" and "&rlm;" removed.
std::string WebVttCueText(std::string_view text);

// The text with its character references ("&amp;", "&#39;") replaced by their characters and
// "&lrm;" and "&rlm;" removed; tags are kept. For SAMI, whose references FFmpeg leaves in place.
std::string WithCharacterReferences(std::string_view text);

}  // namespace marvek
