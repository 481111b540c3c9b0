#include "display/image_decoder.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "shared/block_size.h"
#include "shared/letter_codes.h"
#include "shared/record_format.h"

namespace marvek {
namespace {

// The display's own codes for the ten letters it adds to ASCII.
constexpr struct {
  unsigned char code;
  const char* letter;
} kDeviceCodes[] = {
    {0xE0, "Č"}, {0xC0, "č"}, {0xEB, "Ć"}, {0xE2, "ć"}, {0xEC, "Ž"},
    {0xCC, "ž"}, {0xED, "Đ"}, {0xE9, "đ"}, {0xEE, "Š"}, {0xEA, "š"},
};

const char* DeviceLetter(unsigned char byte) {
  for (const auto& code : kDeviceCodes) {
    if (code.code == byte) return code.letter;
  }
  return nullptr;
}

void AppendUtf8(char32_t c, std::string& out) {
  char utf8[4];
  out.append(utf8, EncodeUtf8(c, utf8));
}

std::string Hex(unsigned char byte) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", byte);
  return text;
}

std::string Bytes(std::size_t n) {
  return std::to_string(n) + (n == 1 ? " byte" : " bytes");
}

unsigned Word(std::string_view bytes, std::size_t at) {
  return static_cast<unsigned>(static_cast<unsigned char>(bytes[at])) << 8 |
         static_cast<unsigned char>(bytes[at + 1]);
}

std::size_t Digits(std::int64_t value) {
  return std::to_string(value).size();
}

std::string PadLeft(const std::string& text, std::size_t width) {
  return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

// Checks the bytes after the last record: 1 to 16 bytes, all 0xFF.
void CheckFill(std::string_view fill, std::size_t offset, DecodedImage& result) {
  result.fillLength = fill.size();
  const auto other = std::find_if(fill.begin(), fill.end(), [](char c) { return c != kFillByte; });
  if (other != fill.end()) {
    result.fillIsAllFF = false;
    const std::size_t at = offset + static_cast<std::size_t>(other - fill.begin());
    result.problems.push_back("the " + Bytes(fill.size()) + " after the last record, from byte " +
                              std::to_string(offset) + ", should all be 0xFF fill, but byte " +
                              std::to_string(at) + " is " +
                              Hex(static_cast<unsigned char>(*other)));
  }
  if (fill.empty()) {
    result.problems.push_back(
        "no fill after the last record; 1 to 16 bytes of 0xFF must follow it");
  } else if (fill.size() > kBlockSize) {
    result.problems.push_back("the fill is " + Bytes(fill.size()) +
                              " long; it must be 1 to 16 bytes");
  }
}

}  // namespace

std::string DisplayText(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 2);
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (const char* letter = DeviceLetter(byte)) {
      out.append(letter);
    } else if (byte < 0x20 || byte == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      out.append(escaped);
    } else if (const char32_t unicode = Windows1250ToUnicode(byte); unicode != 0) {
      AppendUtf8(unicode, out);
    } else {
      out.push_back('?');
    }
  }
  return out;
}

DecodedImage DecodeTitleImage(std::string_view image) {
  DecodedImage result;
  result.imageLength = image.size();
  if (image.empty()) {
    result.problems.push_back("the image is empty");
    return result;
  }

  // A title to each terminator at most: the list is made once rather than grown title by title.
  result.titles.reserve(
      static_cast<std::size_t>(std::count(image.begin(), image.end(), kRecordTerminator)));
  std::size_t pos = 0;
  std::int64_t previousEnd = 0;
  bool recordsComplete = true;
  while (pos < image.size()) {
    const std::string_view rest = image.substr(pos);
    // Past the last record only the fill is left, and the fill holds no terminator.
    if (rest.find(kRecordTerminator) == std::string_view::npos) break;
    // A terminator among the header bytes is a frame count, not the end of the record.
    const std::size_t terminator = rest.find(kRecordTerminator, kRecordHeaderLength);
    if (terminator == std::string_view::npos) {
      result.problems.push_back("record " + std::to_string(result.titles.size() + 1) + " at byte " +
                                std::to_string(pos) + " has no terminator \"{\"; " + "its last " +
                                Bytes(rest.size()) + " cannot be read as a title");
      recordsComplete = false;
      break;
    }
    DecodedTitle title;
    title.start = previousEnd + Word(rest, 0);
    title.end = title.start + Word(rest, 2);
    title.text = ByteString(rest.substr(kRecordHeaderLength, terminator - kRecordHeaderLength));
    title.utf8 = DisplayText(title.text);
    previousEnd = title.end;
    result.titles.push_back(std::move(title));
    pos += terminator + 1;
  }

  if (recordsComplete) CheckFill(image.substr(pos), pos, result);
  if (image.size() % kBlockSize != 0) {
    result.problems.push_back("the image is " + Bytes(image.size()) +
                              ", not a whole number of 16-byte blocks");
  }
  return result;
}

std::string DescribeImage(const DecodedImage& image) {
  std::string out;
  if (image.titles.empty()) out.append("(no titles)\n");

  std::int64_t largestStart = 0;
  std::int64_t largestEnd = 0;
  for (const DecodedTitle& title : image.titles) {
    largestStart = std::max(largestStart, title.start);
    largestEnd = std::max(largestEnd, title.end);
  }
  const std::size_t numberWidth = std::max<std::size_t>(3, Digits(std::ssize(image.titles)));
  const std::size_t startWidth = Digits(largestStart);
  const std::size_t endWidth = Digits(largestEnd);
  std::size_t number = 0;
  for (const DecodedTitle& title : image.titles) {
    out.append(PadLeft(std::to_string(++number), numberWidth));
    out.append("  ");
    out.append(PadLeft(std::to_string(title.start), startWidth));
    out.append(" -> ");
    out.append(PadLeft(std::to_string(title.end), endWidth));
    if (!title.utf8.empty()) out.append("  ").append(title.utf8);
    out.push_back('\n');
  }

  out.append("fill: ");
  if (image.fillLength == 0) {
    out.append("none");
  } else {
    out.append(Bytes(image.fillLength));
    out.append(image.fillIsAllFF ? " of 0xFF" : ", not all 0xFF");
  }
  out.append(", image " + Bytes(image.imageLength) + ", ");
  if (image.ok()) {
    out.append("OK\n");
  } else {
    out.append("PROBLEMS:\n");
    for (const std::string& problem : image.problems) out.append("  - " + problem + "\n");
  }
  return out;
}

}  // namespace marvek
