#include "display/image_records.h"

#include <cstring>

#include "shared/record_format.h"

namespace marvek {
namespace {

unsigned Word(const char* bytes) {
  return static_cast<unsigned>(static_cast<unsigned char>(bytes[0])) << 8 |
         static_cast<unsigned char>(bytes[1]);
}

}  // namespace

std::vector<ImageRecord> IndexTitleImage(std::string_view image) {
  std::vector<ImageRecord> records;
  std::int64_t previousEnd = 0;
  std::size_t pos = 0;
  while (pos + kRecordHeaderLength < image.size()) {
    // The header's two frame counts may hold the terminator's byte; the text starts after them.
    const char* text = image.data() + pos + kRecordHeaderLength;
    const auto* terminator = static_cast<const char*>(
        std::memchr(text, kRecordTerminator, image.size() - pos - kRecordHeaderLength));
    // None: past the last record only the fill is left, and the fill holds no terminator.
    if (terminator == nullptr) break;
    ImageRecord record;
    record.start = previousEnd + Word(image.data() + pos);
    record.end = record.start + Word(image.data() + pos + 2);
    record.textOffset = pos + kRecordHeaderLength;
    record.textLength = static_cast<std::size_t>(terminator - text);
    previousEnd = record.end;
    records.push_back(record);
    pos = static_cast<std::size_t>(terminator - image.data()) + 1;
  }
  return records;
}

}  // namespace marvek
