#include "convert/sources/dcp_source.h"

#include <filesystem>

#include "convert/sources/dcp_folder_reader.h"
#include "convert/sources/dcp_subtitle_reader.h"
#include "convert/sources/event_titles.h"
#include "convert/sources/text_source.h"

namespace marvek {
namespace {

ConversionResult Refused(const DcpRefusal& refusal) {
  ConversionResult result;
  result.outcome = refusal.outcome;
  result.encoding = TextEncoding::Utf8;
  result.sourceFormat = "DCP subtitle";
  result.lineNumber = refusal.line;
  result.reason = refusal.reason;
  if (refusal.outcome == ConversionOutcome::Incorrect) result.fault = LineFault::SourceLayout;
  return result;
}

// A DCP subtitle document is XML and far smaller than this; a larger file is not read whole.
constexpr std::size_t kLargestDcpDocument = 64 * 1024 * 1024;

}  // namespace

ConversionResult ConvertDcpSubtitles(std::string_view xml, CharMode mode, OperatorPanel& panel,
                                     const ConversionOptions& options) {
  DcpSubtitles subtitles;
  if (auto refusal = ReadDcpSubtitles(xml, options.repair, subtitles)) return Refused(*refusal);
  TimedSource source;
  source.events = std::move(subtitles.events);
  source.leftOut = subtitles.leftOut;
  source.frameRate = subtitles.editRate;
  source.rateOrigin = "the DCP subtitles";
  source.formatName = "DCP subtitle";
  return ConvertTimedSource(source, mode, panel, options);
}

ConversionResult ConvertDcpFolder(const std::string& folder, CharMode mode, OperatorPanel& panel,
                                  const ConversionOptions& options, const std::string& composition,
                                  const std::string& assetMap) {
  TimedSource source;
  if (auto refusal = ReadDcpFolder(folder, options.repair, source, composition, assetMap)) {
    return Refused(*refusal);
  }
  return ConvertTimedSource(source, mode, panel, options);
}

bool ClaimsDcp(const TitleInput& input) {
  if (input.folder) return true;
  const DcpXmlKind kind = DcpXmlKindOf(input.head);
  return input.inMemory() ? kind == DcpXmlKind::Subtitles : kind != DcpXmlKind::None;
}

std::optional<ConversionResult> ConvertDcpInput(const TitleInput& input, CharMode mode,
                                                OperatorPanel& panel,
                                                const ConversionOptions& options) {
  if (input.folder) return ConvertDcpFolder(input.path, mode, panel, options);
  if (!input.inMemory()) {
    // The ASSETMAP or a CPL chosen in a file dialog stands for its folder; an asset map is read
    // as the one chosen, under whatever name it was saved.
    const DcpXmlKind kind = DcpXmlKindOf(input.head);
    const std::string folder = std::filesystem::path(input.path).parent_path().string();
    if (kind == DcpXmlKind::AssetMap) {
      return ConvertDcpFolder(folder, mode, panel, options, {}, input.path);
    }
    if (kind == DcpXmlKind::Composition) {
      return ConvertDcpFolder(folder, mode, panel, options, input.path);
    }
  }
  std::string storage;
  std::string why;
  const auto xml = WholeInput(input, kLargestDcpDocument, storage, why);
  if (!xml) return UnreadableBecause(why);
  return ConvertDcpSubtitles(*xml, mode, panel, options);
}

}  // namespace marvek
