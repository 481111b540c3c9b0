#include "convert/records/record_builder.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "convert/letters/char_mode_writer.h"
#include "convert/timing/title_timing.h"

namespace marvek {
namespace {

// The text with "{" and "}" written as "(" and ")", in `buffer` when it holds either.
std::string_view BracesToParentheses(std::string_view text, ByteString& buffer) {
  if (text.find('{') == std::string_view::npos && text.find('}') == std::string_view::npos) {
    return text;
  }
  buffer.assign(text);
  for (char& c : buffer) {
    if (c == '{') c = '(';
    if (c == '}') c = ')';
  }
  return buffer;
}

// Writes a record's header, its gap and its frames, at `to`; returns the end.
char* WriteHeader(char* to, std::int64_t gap, std::int64_t frames) {
  const auto g = EncodeFrameCount(static_cast<std::uint16_t>(gap));
  const auto d = EncodeFrameCount(static_cast<std::uint16_t>(frames));
  to[0] = g[0];
  to[1] = g[1];
  to[2] = d[0];
  to[3] = d[1];
  return to + 4;
}

// Records in a row that are the same bytes (a long title's copies, the empty records of a long
// gap) are written once and copied in runs that double, all in one room of the image: a title of
// two billion frames costs a few copies of memory and one growth of the image rather than thirty
// thousand records written one by one. Fills [record + recordBytes, record + total) with copies of
// the record at `record`.
void CopyRecord(char* record, std::size_t recordBytes, std::size_t total) {
  for (std::size_t done = recordBytes; done < total; done *= 2) {
    std::memcpy(record + done, record, std::min(done, total - done));
  }
}

}  // namespace

template <typename WriteRecord>
void RecordBuilder::WriteCopies(std::int64_t copies, std::size_t recordBytes,
                                const WriteRecord& write) {
  if (copies <= 0) return;
  const std::size_t bytes = static_cast<std::size_t>(copies) * recordBytes;
  char* const to = writer_.Room(bytes);
  write(to);
  CopyRecord(to, recordBytes, bytes);
  writer_.Advance(to + bytes);
}

void RecordBuilder::NoteBraces(std::string_view text) {
  if (text.find(kRecordTerminator) != std::string_view::npos) {
    // A "{" would end the record early on the display and garble every title after it.
    Note(RepairKind::BracesInText, LineFault::TerminatorInText, [] {
      return std::string("title text holds \"{\", which the display reads as the end of a title");
    });
  } else if (careful_ && text.find('}') != std::string_view::npos) {
    Note(RepairKind::BracesInText, LineFault::None,
         [] { return std::string("title text holds \"}\""); });
  }
}

void RecordBuilder::AppendText(std::int64_t start, std::int64_t end, std::string_view text) {
  if (Repairing()) text = BracesToParentheses(text, parentheses_);
  Append(start, end, text);
}

LineFault RecordBuilder::AddTitle(std::int64_t start, std::int64_t end, std::string_view text,
                                  std::size_t lineNumber, std::string& why) {
  BeginLine(lineNumber, why);
  if (start < 0 || end < 0) {
    Note(end <= 0 ? RepairKind::EndsAtOrBeforeZero : RepairKind::StartBeforeZero,
         LineFault::FrameBeforeZero, [&] {
           return std::string(start < 0 ? "the title starts" : "the title ends") +
                  " before 00:00:00,000";
         });
    if (end <= 0) return Outcome();
    start = std::max<std::int64_t>(start, 0);
  } else if (end == 0 && careful_) {
    Note(RepairKind::EndsAtOrBeforeZero, LineFault::None,
         [] { return std::string("the title ends at 00:00:00,000"); });
    if (Repairing()) return Outcome();
  }
  NoteBraces(text);
  AppendText(start, end, text);
  return Outcome();
}

LineFault RecordBuilder::Problem(std::size_t lineNumber, RepairKind kind, LineFault fault,
                                 const std::string& reason, std::string& why) {
  BeginLine(lineNumber, why);
  Note(kind, fault, [&] { return reason; });
  return Outcome();
}

void RecordBuilder::Append(std::int64_t start, std::int64_t end, std::string_view text) {
  ++titles_;
  std::uint8_t notes = line_.mended && Repairing() ? RecordSource::kMended : 0;
  if (timing_ != nullptr) {
    const TitleTiming::Outcome timed = timing_->Apply(start, end);
    if (timed == TitleTiming::Outcome::LeftOut) return;
    if (timed == TitleTiming::Outcome::StartMoved) notes |= RecordSource::kShortened;
  }
  DisplayClock::Placement placement = clock_.Plan(start, end);
  if (sources_ != nullptr) {
    // It waited when the previous title ended after its start, and lost time when it shows for
    // less than it asks.
    if (clock_.previousEnd() > start) notes |= RecordSource::kWaited;
    if (placement.duration < end - start) notes |= RecordSource::kShortened;
  }
  text = transcoder_.Transcode(text);
  // The usual title, shown in device codes as it stands and held in one record, is looked at
  // while its codes are written; any other is written as the display can show it first.
  const bool usual = mode_ == CharMode::DeviceCodes && placement.duration <= kLargestFrameCount;
  if (!usual) text = displayLetters_.Write(text);
  if (placement.duration > kLargestFrameCount) LimitCopies(placement, text.size());
  clock_.Advance(placement);
  const std::int64_t gap =
      placement.gap > kLargestFrameCount ? WriteBridges(placement.gap) : placement.gap;
  if (sources_ != nullptr) sources_->push_back({.line = line_.number, .notes = notes});
  const std::int64_t firstFrames = std::min(placement.duration, kLargestFrameCount);
  char* record = writer_.Room(4 + CharModeRoom(text.size(), mode_) + 1);
  char* to = usual ? WriteShownDeviceCodes(text, record + 4) : nullptr;
  if (to == nullptr) {
    if (usual) {
      text = displayLetters_.Write(text);
      record = writer_.Room(4 + CharModeRoom(text.size(), mode_) + 1);
    }
    to = WriteCharMode(text, mode_, record + 4);
  }
  WriteHeader(record, gap, firstFrames);
  *to++ = kRecordTerminator;
  writer_.Advance(to);
  if (placement.duration > firstFrames) {
    // The text is copied out first, since the first record may leave the writer's buffer before
    // the copies are written.
    const ByteString written(record + 4, static_cast<std::size_t>(to - record) - 5);
    RepeatRecord(written, placement.duration - firstFrames);
  }
}

void RecordBuilder::LimitCopies(DisplayClock::Placement& placement, std::size_t textLength) {
  // Records of at most 65535 frames each; a long title repeats its text.
  const std::int64_t copies = (placement.duration + kLargestFrameCount - 1) / kLargestFrameCount;
  const auto recordBytes = static_cast<std::int64_t>(4 + textLength + 1);
  constexpr auto kLargest = static_cast<std::int64_t>(kLargestRepeatedTitle);
  if (copies * recordBytes <= kLargest) return;
  const std::int64_t lasts = placement.duration;
  Note(RepairKind::TitleShortened, LineFault::TooManyCopies, [&] {
    return "title lasts " + std::to_string(lasts) + " frames; its " + std::to_string(copies) +
           " records of " + std::to_string(recordBytes) + " bytes would take more than " +
           std::to_string(kLargestRepeatedTitle / (1024 * 1024)) + " MB of the image";
  });
  const std::int64_t kept = std::max<std::int64_t>(1, kLargest / recordBytes);
  placement.duration = std::min(placement.duration, kept * kLargestFrameCount);
}

std::int64_t RecordBuilder::WriteBridges(std::int64_t gap) {
  // Empty records of no duration bridge the gap; the title follows with the rest of it.
  const std::int64_t bridges =
      (gap - kLargestFrameCount + kLargestBridgeGap - 1) / kLargestBridgeGap;
  WriteCopies(bridges, 5,
              [](char* to) { *WriteHeader(to, kLargestBridgeGap, 0) = kRecordTerminator; });
  if (sources_ != nullptr) {
    sources_->insert(sources_->end(), static_cast<std::size_t>(bridges),
                     {.line = line_.number, .notes = RecordSource::kBridge});
  }
  return gap - bridges * kLargestBridgeGap;
}

void RecordBuilder::RepeatRecord(std::string_view text, std::int64_t duration) {
  // The same text again, each record straight after the one before it: records of 65535 frames,
  // then one of the rest.
  const std::int64_t whole = duration / kLargestFrameCount;
  const std::int64_t rest = duration % kLargestFrameCount;
  const auto write = [&](std::int64_t frames) {
    return [&text, frames](char* to) {
      to = WriteHeader(to, 0, frames);
      std::memcpy(to, text.data(), text.size());
      to[text.size()] = kRecordTerminator;
    };
  };
  WriteCopies(whole, 4 + text.size() + 1, write(kLargestFrameCount));
  WriteCopies(rest > 0 ? 1 : 0, 4 + text.size() + 1, write(rest));
  if (sources_ != nullptr) {
    sources_->insert(sources_->end(), static_cast<std::size_t>(whole + (rest > 0 ? 1 : 0)),
                     {.line = line_.number, .notes = RecordSource::kContinued});
  }
}

}  // namespace marvek
