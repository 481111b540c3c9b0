#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "convert/records/conversion_result.h"
#include "convert/sources/timed_event.h"
#include "convert/timing/frame_rate.h"
#include "shared/operator_panel.h"

namespace marvek {

// What one DCP subtitle document (one reel) holds.
struct DcpSubtitles {
  std::vector<TimedEvent> events;  // counted from the reel's start: a SMPTE StartTime is taken off
  LeftOutEvents leftOut;
  std::optional<FrameRate> editRate;  // a SMPTE reel's EditRate
  bool smpte = false;
};

// Why a DCP cannot be converted: Incorrect at a line of its XML, or Unreadable.
struct DcpRefusal {
  ConversionOutcome outcome = ConversionOutcome::Incorrect;
  std::size_t line = 0;
  std::string reason;
};

// What a file of a DCP is, told from `head`, its start: the first element, before any text.
enum class DcpXmlKind {
  None,
  Subtitles,    // an Interop <DCSubtitle> or a SMPTE <SubtitleReel>
  AssetMap,     // the DCP's ASSETMAP: the folder is meant
  Composition,  // a composition playlist (CPL): the folder is meant, with this composition
};
DcpXmlKind DcpXmlKindOf(std::string_view head);

// True when `head` is the start of a DCP subtitle document.
bool LooksLikeDcpSubtitles(std::string_view head);

// Reads the DCP subtitle document `xml` into `subtitles`. Each <Subtitle> is an event, its
// <Text> elements its lines from the top of the screen down; a title of pictures only is left
// out. A title whose times cannot be read refuses the document, or with `repair` is left out.
std::optional<DcpRefusal> ReadDcpSubtitles(std::string_view xml, bool repair,
                                           DcpSubtitles& subtitles);

}  // namespace marvek
