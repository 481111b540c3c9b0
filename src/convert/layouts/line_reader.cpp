#include "convert/layouts/line_reader.h"

#include "convert/encoding/utf16_reader.h"
#include "convert/layouts/byte_search.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

namespace marvek {
LineReader::LineReader(int fd, std::size_t block)
    : fd_(fd), capacity_(std::max<std::size_t>(block, 1)) {
  owned_ = std::make_unique_for_overwrite<char[]>(capacity_);
  data_ = owned_.get();
}

LineReader::LineReader(Utf16Reader& source, std::size_t block) : LineReader(-1, block) {
  utf16_ = &source;
}

LineReader::LineReader(std::string_view bytes)
    : data_(bytes.data()), capacity_(bytes.size()), filled_(bytes.size()), eof_(true) {}

bool LineReader::Fill() {
  char* buffer = owned_.get();
  const std::size_t unread = filled_ - begin_;
  if (unread == capacity_) {
    // One line fills the whole buffer: make room for more of it.
    auto larger = std::make_unique_for_overwrite<char[]>(capacity_ * 2);
    std::memcpy(larger.get(), buffer + begin_, unread);
    owned_ = std::move(larger);
    buffer = owned_.get();
    capacity_ *= 2;
  } else if (begin_ != 0) {
    std::memmove(buffer, buffer + begin_, unread);
  }
  data_ = buffer;
  begin_ = 0;
  filled_ = unread;
  for (;;) {
    const ssize_t got = utf16_ != nullptr ? utf16_->Read(buffer + filled_, capacity_ - filled_)
                                          : ::read(fd_, buffer + filled_, capacity_ - filled_);
    if (got > 0) {
      filled_ += static_cast<std::size_t>(got);
      return true;
    }
    if (got == 0) {
      eof_ = true;
      return true;
    }
    if (errno != EINTR) {
      error_ = errno;
      return false;
    }
  }
}

bool LineReader::Next(FileLine& line) {
  for (;;) {
    if (begin_ == filled_ && eof_) return false;
    const char* const begin = data_ + begin_;
    const char* const end = data_ + filled_;
    std::size_t braces = braces_;
    bool slash = slash_;
    const char* const at = FindLineEnd(begin + scanned_, end, braces, slash);
    // Before the line can be handed out, the byte after its end must be known: it tells a CR LF
    // from a lone CR, and whether this line is the last. Until then the search goes on from
    // where it stopped.
    const auto readOn = [&](const char* from) {
      scanned_ = static_cast<std::size_t>(from - begin);
      braces_ = braces;
      slash_ = slash;
      return Fill();
    };
    if (at == end) {
      if (eof_) {  // the last line, without a line end
        line = {std::string_view(begin, static_cast<std::size_t>(end - begin)), 0, true, braces,
                slash};
        begin_ = filled_;
        scanned_ = 0;
        braces_ = 0;
        slash_ = false;
        return true;
      }
      if (!readOn(end)) return false;
      continue;
    }
    if (at + 1 == end && !eof_) {
      if (!readOn(at)) return false;
      continue;
    }
    const std::size_t endLength = (*at == '\r' && at + 1 != end && at[1] == '\n') ? 2 : 1;
    const char* const next = at + endLength;
    if (next == end && !eof_) {
      if (!readOn(at)) return false;
      continue;
    }
    line = {std::string_view(begin, static_cast<std::size_t>(at - begin)), endLength, next == end,
            braces, slash};
    begin_ = static_cast<std::size_t>(next - data_);
    scanned_ = 0;
    braces_ = 0;
    slash_ = false;
    return true;
  }
}

}  // namespace marvek
