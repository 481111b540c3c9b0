#include "convert/title_image.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "convert/line_source.h"
#include "convert/sources/file_stamp.h"
#include "convert/sources/text_source.h"
#include "convert/title_readers.h"

namespace marvek {
namespace {

// Closes the title file on every way out of ConvertTitleFile.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// Opens the title file for ConvertTitleFile; an Unreadable result when it cannot be read.
ConversionResult OpenTitleFile(const std::string& path, int& fd, TitleInput& input) {
  // O_NONBLOCK keeps open() from waiting for a writer when a named pipe is chosen by mistake.
  fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return Unreadable(errno);
  struct stat info {};
  if (::fstat(fd, &info) != 0) return Unreadable(errno);
  if (S_ISDIR(info.st_mode)) return Unreadable(EISDIR);
  if (!S_ISREG(info.st_mode)) {
    // Devices and pipes may never end; only regular files are read.
    return UnreadableBecause("not a regular file");
  }
  input.length = static_cast<std::size_t>(info.st_size);
  input.stamp = FileStamp::Of(info);
  return {};
}

// The head of a byte order mark and kTitleHeadLength bytes after it: what TitleInput::text is
// made from.
constexpr std::size_t kHeadWithMark = kTitleHeadLength + 3;

// Asks the table of readers once and runs the reader it chooses. A reader of whole documents
// that finds the file is not its kind after all leaves it to the line layouts.
ConversionResult ReadChosen(const TitleInput& input, CharMode mode, OperatorPanel& panel,
                            const ConversionOptions& options) {
  const TitleReader& reader = ChooseReader(input);
  if (reader.readDocument == nullptr) {
    return ConvertTitleLines(input, reader, mode, panel, options);
  }
  if (auto result = reader.readDocument(input, mode, panel, options)) {
    // A refusal of the whole document (no title in it, no frame rate for its times) names its
    // first line, as the line layouts' refusals of a whole file do.
    if (result->outcome == ConversionOutcome::Incorrect && result->lineNumber == 0) {
      result->lineNumber = 1;
    }
    return std::move(*result);
  }
  return ConvertTitleLines(input, ChooseLineReader(input.text), mode, panel, options);
}

// Converts `input` with the reader the table chooses. What was read of a file that another
// program wrote or cut meanwhile is neither the old file nor the new one, and is dropped.
ConversionResult Convert(const TitleInput& input, CharMode mode, OperatorPanel& panel,
                         const ConversionOptions& options) {
  ConversionResult result = ReadChosen(input, mode, panel, options);
  if (input.fd >= 0 && result.outcome != ConversionOutcome::Cancelled &&
      ChangedSince(input.fd, input.stamp)) {
    return UnreadableBecause(kChangedWhileRead);
  }
  return result;
}

}  // namespace

ConversionResult ConvertTitleBytes(std::string_view bytes, CharMode mode, OperatorPanel& panel,
                                   const ConversionOptions& options) {
  TitleInput input;
  input.head = bytes.substr(0, kTitleHeadLength);
  input.text = LineText(bytes.substr(0, kHeadWithMark), options);
  input.length = bytes.size();
  input.bytes = bytes;
  return Convert(input, mode, panel, options);
}

ConversionResult ConvertTitleFile(const std::string& path, CharMode mode, OperatorPanel& panel,
                                  const ConversionOptions& options) {
  TitleInput input;
  input.path = path;
  struct stat info {};
  input.folder = ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
  if (input.folder) return Convert(input, mode, panel, options);
  int fd = -1;
  ConversionResult opened = OpenTitleFile(path, fd, input);
  const FileDescriptor file(fd);
  if (opened.outcome == ConversionOutcome::Unreadable) return opened;
  char head[kHeadWithMark];
  ssize_t got;
  do {
    got = ::pread(file.get(), head, sizeof head, 0);
  } while (got < 0 && errno == EINTR);
  if (got < 0) return Unreadable(errno);
  const std::string_view start(head, static_cast<std::size_t>(got));
  input.fd = file.get();
  input.head = start.substr(0, kTitleHeadLength);
  input.text = LineText(start, options);
  return Convert(input, mode, panel, options);
}

}  // namespace marvek
