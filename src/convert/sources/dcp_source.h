#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "convert/records/conversion_result.h"
#include "convert/sources/title_input.h"
#include "shared/operator_panel.h"

namespace marvek {

// Converts a DCP subtitle document held in `xml` (Interop or SMPTE). A SMPTE document's EditRate
// is the display's frame rate unless `options` give one.
ConversionResult ConvertDcpSubtitles(std::string_view xml, CharMode mode, OperatorPanel& panel,
                                     const ConversionOptions& options);

// Converts the subtitles of the DCP in `folder`, reel after reel: those of the CPL
// `composition` when it is given, through the asset map `assetMap` when it is given. The CPL's
// edit rate is the display's frame rate unless `options` give one.
ConversionResult ConvertDcpFolder(const std::string& folder, CharMode mode, OperatorPanel& panel,
                                  const ConversionOptions& options,
                                  const std::string& composition = {},
                                  const std::string& assetMap = {});

// Whether `input` is a DCP's: a folder, DCP subtitle XML, or the ASSETMAP or a CPL of a DCP
// folder, which stand for their folder (contents in memory have none).
bool ClaimsDcp(const TitleInput& input);

// Converts the DCP that `input` is, as ClaimsDcp tells it; never nullopt.
std::optional<ConversionResult> ConvertDcpInput(const TitleInput& input, CharMode mode,
                                                OperatorPanel& panel,
                                                const ConversionOptions& options);

}  // namespace marvek
