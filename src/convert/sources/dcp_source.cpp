#include "convert/sources/dcp_source.h"

#include "convert/sources/dcp_folder_reader.h"
#include "convert/sources/dcp_subtitle_reader.h"
#include "convert/sources/event_titles.h"

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
                                  const ConversionOptions& options,
                                  const std::string& composition) {
  TimedSource source;
  if (auto refusal = ReadDcpFolder(folder, options.repair, source, composition)) {
    return Refused(*refusal);
  }
  return ConvertTimedSource(source, mode, panel, options);
}

}  // namespace marvek
