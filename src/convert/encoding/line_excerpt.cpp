#include "convert/encoding/line_excerpt.h"

#include <cstdio>

namespace marvek {
namespace {

void AppendVisible(char32_t c, unsigned char byte, std::string& out) {
  if (c == 0 && byte != 0) c = kMalformedUtf8;
  if (c == kMalformedUtf8 || c < 0x20 || (c >= 0x7F && c < 0xA0)) {
    // Every character escaped here is below 0xA0, or a byte standing for none.
    const unsigned shown = (c == kMalformedUtf8 ? byte : static_cast<unsigned>(c)) & 0xFFu;
    char escaped[16];
    std::snprintf(escaped, sizeof escaped, "\\x%02X", shown);
    out.append(escaped);
    return;
  }
  char utf8[4];
  out.append(utf8, EncodeUtf8(c, utf8));
}

}  // namespace

std::string LineExcerpt(std::string_view line, TextEncoding encoding, std::size_t characters) {
  std::string out;
  auto p = reinterpret_cast<const unsigned char*>(line.data());
  const auto end = p + line.size();
  const bool utf8 = encoding == TextEncoding::Utf8 || IsUtf16(encoding);
  for (std::size_t n = 0; p != end; ++n) {
    if (n == characters) return out + "...";
    const unsigned char byte = *p;
    const char32_t c = utf8 ? DecodeUtf8(p, end) : SingleByteCharacter(encoding, *p++);
    AppendVisible(c, byte, out);
  }
  return out;
}

std::string QuotedField(std::string_view field) {
  constexpr std::size_t kShown = 24;
  std::string text = "\"";
  text.append(field.substr(0, kShown));
  if (field.size() > kShown) text.append("...");
  text.append("\"");
  return text;
}

}  // namespace marvek
