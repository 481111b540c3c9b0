#include "convert/encoding/utf16_reader.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "convert/encoding/text_encoding.h"

namespace marvek {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

}  // namespace

Utf16Reader::Utf16Reader(int fd, bool bigEndian)
    : fd_(fd), bigEndian_(bigEndian), owned_(std::make_unique_for_overwrite<char[]>(kBlock)) {
  data_ = reinterpret_cast<const unsigned char*>(owned_.get());
}

Utf16Reader::Utf16Reader(std::string_view bytes, bool bigEndian)
    : bigEndian_(bigEndian),
      data_(reinterpret_cast<const unsigned char*>(bytes.data())),
      end_(bytes.size()),
      eof_(true) {}

bool Utf16Reader::Refill() {
  // Keeps the bytes of a character cut by the end of the block, then reads after them.
  char* const buffer = owned_.get();
  const std::size_t kept = end_ - begin_;
  std::memmove(buffer, buffer + begin_, kept);
  begin_ = 0;
  end_ = kept;
  while (end_ < kBlock) {
    const ssize_t got = ::read(fd_, buffer + end_, kBlock - end_);
    if (got > 0) {
      end_ += static_cast<std::size_t>(got);
      if (end_ - begin_ >= 4) return true;
    } else if (got == 0) {
      eof_ = true;
      return true;
    } else if (errno != EINTR) {
      return false;
    }
  }
  return true;
}

// Takes the next character off the bytes at hand, which hold at least four unless the file ends.
char32_t Utf16Reader::NextCharacter() {
  const auto unit = [&](std::size_t at) -> char32_t {
    const unsigned char a = data_[at];
    const unsigned char b = data_[at + 1];
    return bigEndian_ ? (char32_t{a} << 8 | b) : (char32_t{b} << 8 | a);
  };
  const std::size_t left = end_ - begin_;
  if (left == 1) {
    begin_ = end_;
    return kReplacement;
  }
  const char32_t first = unit(begin_);
  begin_ += 2;
  if (first < 0xD800 || first > 0xDFFF) return first;
  if (first <= 0xDBFF && left >= 4) {
    const char32_t second = unit(begin_);
    if (second >= 0xDC00 && second <= 0xDFFF) {
      begin_ += 2;
      return 0x10000 + ((first - 0xD800) << 10) + (second - 0xDC00);
    }
  }
  return kReplacement;
}

ssize_t Utf16Reader::Read(char* to, std::size_t room) {
  std::size_t written = 0;
  while (written < room) {
    if (pendingBegin_ != pendingEnd_) {
      to[written++] = pending_[pendingBegin_++];
      continue;
    }
    if (end_ - begin_ < 4 && !eof_ && !Refill()) {
      if (written != 0) return static_cast<ssize_t>(written);  // the error comes with the next call
      return -1;
    }
    if (begin_ == end_) break;
    char utf8[4];
    const std::size_t length = EncodeUtf8(NextCharacter(), utf8);
    const std::size_t fits = length < room - written ? length : room - written;
    std::memcpy(to + written, utf8, fits);
    written += fits;
    std::memcpy(pending_, utf8 + fits, length - fits);
    pendingBegin_ = 0;
    pendingEnd_ = length - fits;
  }
  return static_cast<ssize_t>(written);
}

std::size_t Utf16Units(std::string_view utf8) {
  std::size_t units = 0;
  for (const char c : utf8) {
    const auto byte = static_cast<unsigned char>(c);
    // Every character starts with a byte that is no continuation byte; those above U+FFFF (a
    // four-byte lead) took two units.
    units += (byte & 0xC0) != 0x80;
    units += byte >= 0xF0;
  }
  return units;
}

}  // namespace marvek
