#include "convert/sources/ass_reader.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "convert/sources/ass_text.h"

namespace marvek {
namespace {

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

bool StartsWithNoCase(std::string_view text, std::string_view start) {
  return text.size() >= start.size() &&
         std::equal(start.begin(), start.end(), text.begin(), [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(a)) ==
                  std::tolower(static_cast<unsigned char>(b));
         });
}

// Where the fields an event needs stand among its comma-separated fields.
struct EventFormat {
  std::size_t start = 1;
  std::size_t end = 2;
  std::size_t fields = 10;  // the text is the last field and may hold commas
};

EventFormat ReadFormat(std::string_view list) {
  EventFormat format{0, 0, 0};
  bool startSeen = false, endSeen = false;
  for (std::size_t from = 0; from <= list.size(); ++format.fields) {
    std::size_t comma = list.find(',', from);
    if (comma == std::string_view::npos) comma = list.size();
    const std::string_view name = Trimmed(list.substr(from, comma - from));
    if (StartsWithNoCase(name, "start") && name.size() == 5) {
      format.start = format.fields;
      startSeen = true;
    } else if (StartsWithNoCase(name, "end") && name.size() == 3) {
      format.end = format.fields;
      endSeen = true;
    }
    from = comma + 1;
  }
  // A line that names neither leaves the layout every ASS and SSA script has.
  return startSeen && endSeen && format.fields > 2 ? format : EventFormat{};
}

// Splits an event's fields: the last takes the rest of the line, commas and all.
std::vector<std::string_view> Fields(std::string_view line, std::size_t count) {
  std::vector<std::string_view> fields;
  std::size_t from = 0;
  while (fields.size() + 1 < count) {
    const std::size_t comma = line.find(',', from);
    if (comma == std::string_view::npos) break;
    fields.push_back(line.substr(from, comma - from));
    from = comma + 1;
  }
  fields.push_back(line.substr(std::min(from, line.size())));
  return fields;
}

class AssEvents {
 public:
  AssEvents() { source_.formatName = "ASS"; }
  void Line(std::string_view line) {
    ++number_;
    line = Trimmed(line);
    if (StartsWithNoCase(line, "scripttype:") && line.find('+') == std::string_view::npos) {
      source_.formatName = "SSA";  // v4.00, where ASS is v4.00+
    } else if (line.starts_with('[')) {
      inEvents_ = StartsWithNoCase(line, "[events]");
    } else if (inEvents_ && StartsWithNoCase(line, "format:")) {
      format_ = ReadFormat(line.substr(7));
    } else if (inEvents_ && StartsWithNoCase(line, "comment:")) {
      ++source_.leftOut.comments;
    } else if (inEvents_ && StartsWithNoCase(line, "dialogue:")) {
      Dialogue(line.substr(9));
    }
  }
  TimedSource Take() { return std::move(source_); }

 private:
  void Dialogue(std::string_view line) {
    const std::vector<std::string_view> fields = Fields(line, format_.fields);
    const std::optional<SourceTime> start =
        format_.start < fields.size() ? ParseAssTime(fields[format_.start]) : std::nullopt;
    const std::optional<SourceTime> end =
        format_.end < fields.size() ? ParseAssTime(fields[format_.end]) : std::nullopt;
    if (!start || !end || fields.size() != format_.fields) {
      ++source_.leftOut.unreadableCues;
      return;
    }
    AssTitleText text = AssEventText(fields.back());
    if (text.draws) {
      ++source_.leftOut.drawings;
      return;
    }
    source_.events.push_back({*start, *end, std::move(text.text), number_});
  }

  TimedSource source_;
  EventFormat format_;
  bool inEvents_ = false;
  std::size_t number_ = 0;
};

}  // namespace

bool LooksLikeAss(std::string_view head) {
  std::size_t first = head.find_first_not_of(" \t\r\n");
  return first != std::string_view::npos && StartsWithNoCase(head.substr(first), "[script info]");
}

TimedSource ReadAss(std::string_view text) {
  AssEvents events;
  ForEachTextLine(text, [&](std::string_view line) { events.Line(line); });
  return events.Take();
}

}  // namespace marvek
