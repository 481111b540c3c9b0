#include "convert/sources/dcp_subtitle_reader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <utility>

#include "convert/sources/dcp_times.h"
#include "convert/sources/dcp_xml.h"

namespace marvek {
namespace {

// How the times of a document are written.
struct DocumentTiming {
  bool smpte = false;
  std::int64_t timeCodeRate = 0;  // SMPTE: units a second of a time's last field
  SourceTime startTime{0, 1};     // SMPTE: the reel's first moment, taken off every time
};

// The first of the attributes spelt `one` or `other` (Interop "VAlign", SMPTE "Valign").
pugi::xml_attribute AttributeOf(const pugi::xml_node& node, const char* one, const char* other) {
  const pugi::xml_attribute found = node.attribute(one);
  return found ? found : node.attribute(other);
}

// How far down the screen a <Text> line stands, in hundredths of its height: with "top" its
// VPosition counts from the top, with "bottom" from the bottom, and otherwise from the middle
// downward. A VPosition that is missing or no number is 0.
double HeightOf(const pugi::xml_node& text) {
  const std::string_view align = AttributeOf(text, "VAlign", "Valign").value();
  const std::string_view written = AttributeOf(text, "VPosition", "Vposition").value();
  double position = 0;
  if (std::from_chars(written.data(), written.data() + written.size(), position).ec !=
          std::errc() ||
      !std::isfinite(position)) {
    position = 0;
  }
  if (align == "top") return position;
  if (align == "bottom") return 100 - position;
  return 50 + position;
}

// The words of a <Text> line: its text and that of its <Font> runs; a <Space> is a space and a
// ruby keeps its base text. Line breaks and tabs of the XML are spaces.
std::string LineOf(const pugi::xml_node& text) {
  std::string line;
  WalkBelow(text, [&](const pugi::xml_node& node) {
    if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) {
      for (const char* c = node.value(); *c != '\0'; ++c) {
        line.push_back(*c == '\n' || *c == '\r' || *c == '\t' ? ' ' : *c);
      }
      return false;
    }
    if (node.type() != pugi::node_element) return false;
    const std::string_view name = LocalName(node);
    if (name == "Space") line.push_back(' ');
    return name != "Space" && name != "Rt";
  });
  return line;
}

// The text of a <Subtitle>, its lines from the top of the screen down joined with "|"; nullopt
// when it shows only pictures.
std::optional<std::string> TextOf(const pugi::xml_node& subtitle) {
  std::vector<std::pair<double, std::string>> lines;
  bool picture = false;
  WalkBelow(subtitle, [&](const pugi::xml_node& node) {
    if (node.type() != pugi::node_element) return false;
    const std::string_view name = LocalName(node);
    if (name == "Text") lines.emplace_back(HeightOf(node), LineOf(node));
    if (name == "Image") picture = true;
    return name != "Text" && name != "Image";
  });
  if (lines.empty() && picture) return std::nullopt;
  std::stable_sort(lines.begin(), lines.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::string text;
  for (const auto& [height, line] : lines) {
    if (!text.empty()) text.push_back('|');
    text += line;
  }
  return text;
}

std::optional<SourceTime> TimeOf(std::string_view written, const DocumentTiming& timing) {
  const std::optional<SourceTime> time =
      timing.smpte ? ParseSmpteTime(written, timing.timeCodeRate) : ParseInteropTime(written);
  if (!time) return std::nullopt;
  return SubtractTimes(*time, timing.startTime);
}

// Why the times of a <Subtitle> cannot be read; empty when they can, and `event` has them.
std::string ReadTimes(const pugi::xml_node& subtitle, const DocumentTiming& timing,
                      TimedEvent& event) {
  for (const char* name : {"TimeIn", "TimeOut"}) {
    const std::string_view written = subtitle.attribute(name).value();
    const std::optional<SourceTime> time = TimeOf(written, timing);
    if (!time) {
      return std::string(name) + " \"" + std::string(written) + "\" is not a time such as " +
             (timing.smpte ? "00:01:02:12" : "00:01:02:125");
    }
    (std::string_view(name) == "TimeIn" ? event.start : event.end) = *time;
  }
  return {};
}

// The rates and the start of a SMPTE <SubtitleReel>; a reason when they cannot be read.
std::string ReadSmpteTiming(const pugi::xml_node& reel, DocumentTiming& timing,
                            DcpSubtitles& subtitles) {
  timing.smpte = true;
  subtitles.smpte = true;
  if (const pugi::xml_node rate = ChildNamed(reel, "EditRate")) {
    subtitles.editRate = ParseEditRate(rate.child_value());
    if (!subtitles.editRate) {
      return "EditRate \"" + std::string(rate.child_value()) + "\" is not a rate such as 24 1";
    }
  }
  const std::optional<std::int64_t> timeCode = ParseCount(ChildText(reel, "TimeCodeRate"));
  if (timeCode && *timeCode > 0 && *timeCode <= 1000) {
    timing.timeCodeRate = *timeCode;
  } else if (subtitles.editRate) {
    // Without it the time code counts frames of the edit rate, as 24000/1001 counts 24.
    const FrameRate& rate = *subtitles.editRate;
    timing.timeCodeRate = (rate.numerator + rate.denominator / 2) / rate.denominator;
  } else {
    return "the file gives no TimeCodeRate that its times could be read in";
  }
  const std::string_view start = ChildText(reel, "StartTime");
  if (start.find_first_not_of(" \t\r\n") == std::string_view::npos) return {};
  const std::optional<SourceTime> time = ParseSmpteTime(start, timing.timeCodeRate);
  if (!time) return "StartTime \"" + std::string(start) + "\" is not a time such as 00:00:00:00";
  timing.startTime = *time;
  return {};
}

}  // namespace

DcpXmlKind DcpXmlKindOf(std::string_view head) {
  // No element without a "<", in any encoding the parser knows: most files asked here are text
  // of another kind, and a parse costs them a copy of their head.
  if (head.find('<') == std::string_view::npos) return DcpXmlKind::None;
  pugi::xml_document document;
  // The head is cut off anywhere; the elements read up to the cut stay in the tree. As a
  // fragment, text before the first element stays too, so that a title file quoting XML in its
  // text is not taken for XML.
  document.load_buffer(head.data(), head.size(), pugi::parse_minimal | pugi::parse_fragment);
  const pugi::xml_node first = document.first_child();
  if (first.type() != pugi::node_element) return DcpXmlKind::None;
  const std::string_view name = LocalName(first);
  if (name == "DCSubtitle" || name == "SubtitleReel") return DcpXmlKind::Subtitles;
  if (name == "AssetMap") return DcpXmlKind::AssetMap;
  if (name == "CompositionPlaylist") return DcpXmlKind::Composition;
  return DcpXmlKind::None;
}

bool LooksLikeDcpSubtitles(std::string_view head) {
  return DcpXmlKindOf(head) == DcpXmlKind::Subtitles;
}

std::optional<DcpRefusal> ReadDcpSubtitles(std::string_view xml, bool repair,
                                           DcpSubtitles& subtitles) {
  XmlDocument document;
  std::string why;
  if (!document.Load(xml, why)) return DcpRefusal{.line = document.errorLine(), .reason = why};
  const pugi::xml_node root = document.root();
  DocumentTiming timing;
  if (LocalName(root) == "SubtitleReel") {
    why = ReadSmpteTiming(root, timing, subtitles);
    if (!why.empty()) return DcpRefusal{.line = document.LineOf(root), .reason = why};
  } else if (LocalName(root) != "DCSubtitle") {
    // Appended rather than added up: GCC 12 at -O3 takes "<" + name + "..." for an overlapping
    // copy and stops the Release build.
    std::string reason = "<";
    reason.append(root.name())
        .append("> is no DCP subtitle document (<DCSubtitle> or <SubtitleReel>)");
    return DcpRefusal{.line = document.LineOf(root), .reason = std::move(reason)};
  }
  std::optional<DcpRefusal> refusal;
  WalkBelow(root, [&](const pugi::xml_node& node) {
    if (node.type() != pugi::node_element) return false;
    if (LocalName(node) != "Subtitle") return true;
    if (refusal) return false;
    TimedEvent event;
    event.line = document.LineOf(node);
    if (const std::string problem = ReadTimes(node, timing, event); !problem.empty()) {
      if (!repair) refusal = DcpRefusal{.line = event.line, .reason = problem};
      ++subtitles.leftOut.unreadableCues;
      return false;
    }
    if (std::optional<std::string> text = TextOf(node)) {
      event.text = std::move(*text);
      subtitles.events.push_back(std::move(event));
    } else {
      ++subtitles.leftOut.pictures;
    }
    return false;
  });
  return refusal;
}

}  // namespace marvek
