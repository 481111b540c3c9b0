#include "convert/sources/text_source.h"

#include "convert/encoding/encoding_detector.h"
#include "convert/encoding/utf16_reader.h"
#include "convert/sources/event_titles.h"
#include "convert/sources/whole_file.h"

namespace marvek {
namespace {

std::string_view WithoutMark(std::string_view bytes, TextEncoding encoding) {
  const std::string_view mark = ByteOrderMarkOf(encoding);
  return !mark.empty() && bytes.starts_with(mark) ? bytes.substr(mark.size()) : bytes;
}

}  // namespace

std::string Utf16AsUtf8(std::string_view bytes, TextEncoding encoding) {
  Utf16Reader decoder(bytes, encoding == TextEncoding::Utf16BigEndian);
  std::string text(2 * bytes.size() + 4, '\0');  // a code unit gives at most 3 bytes of UTF-8
  std::size_t filled = 0;
  for (ssize_t got; (got = decoder.Read(text.data() + filled, text.size() - filled)) > 0;) {
    filled += static_cast<std::size_t>(got);
  }
  text.resize(filled);
  return text;
}

std::string TextAsUtf8(std::string_view bytes, TextEncoding encoding) {
  bytes = WithoutMark(bytes, encoding);
  if (encoding == TextEncoding::Utf8) return std::string(bytes);
  if (IsUtf16(encoding)) return Utf16AsUtf8(bytes, encoding);
  char32_t (*table)(unsigned char) = encoding == TextEncoding::Iso8859_2     ? Iso8859_2ToUnicode
                                     : encoding == TextEncoding::Windows1251 ? Windows1251ToUnicode
                                     : encoding == TextEncoding::Windows1252 ? Windows1252ToUnicode
                                                                             : Windows1250ToUnicode;
  std::string text;
  text.reserve(bytes.size() + bytes.size() / 8);
  for (const char byte : bytes) {
    const auto b = static_cast<unsigned char>(byte);
    const char32_t c = b < 0x80 ? b : table(b);
    char utf8[4];
    text.append(utf8, EncodeUtf8(c == 0 ? U'?' : c, utf8));
  }
  return text;
}

TextEncoding EncodingOf(std::string_view bytes, const ConversionOptions& options) {
  if (options.encoding) return *options.encoding;
  const auto mark = FindByteOrderMark(bytes);
  return mark ? mark->encoding : DetectTextEncoding(bytes);
}

bool LooksLikeFilm(std::string_view head) {
  return head.find('\0') != std::string_view::npos && !FindByteOrderMark(head);
}

bool IsWholeText(const TitleInput& input) {
  return !input.folder && !LooksLikeFilm(input.head) &&
         (input.inMemory() || input.length <= kLargestTextSource);
}

std::optional<std::string_view> WholeInput(const TitleInput& input, std::size_t limit,
                                           std::string& storage, std::string& why) {
  if (input.inMemory()) return input.bytes;
  why = ReadWholeDescriptor(input.fd, input.length, limit, storage);
  if (!why.empty()) return std::nullopt;
  return storage;
}

ConversionResult UnreadableBecause(std::string why) {
  ConversionResult result;
  result.outcome = ConversionOutcome::Unreadable;
  result.reason = std::move(why);
  return result;
}

ConversionResult ConvertWholeText(const TitleInput& input, TimedSource (*read)(std::string_view),
                                  CharMode mode, OperatorPanel& panel,
                                  const ConversionOptions& options) {
  std::string storage;
  std::string why;
  const auto bytes = WholeInput(input, kLargestTextSource, storage, why);
  if (!bytes) return UnreadableBecause(why);
  const TextEncoding encoding = EncodingOf(*bytes, options);
  ConversionResult result =
      ConvertTimedSource(read(TextAsUtf8(*bytes, encoding)), mode, panel, options);
  result.encoding = encoding;
  return result;
}

}  // namespace marvek
