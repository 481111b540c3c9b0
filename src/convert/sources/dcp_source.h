#pragma once

#include <string>
#include <string_view>

#include "convert/records/conversion_result.h"
#include "shared/operator_panel.h"

namespace marvek {

// Converts a DCP subtitle document held in `xml` (Interop or SMPTE). A SMPTE document's EditRate
// is the display's frame rate unless `options` give one.
ConversionResult ConvertDcpSubtitles(std::string_view xml, CharMode mode, OperatorPanel& panel,
                                     const ConversionOptions& options);

// Converts the subtitles of the DCP in `folder`, reel after reel: those of the CPL
// `composition` when it is given. The CPL's edit rate is the display's frame rate unless
// `options` give one.
ConversionResult ConvertDcpFolder(const std::string& folder, CharMode mode, OperatorPanel& panel,
                                  const ConversionOptions& options,
                                  const std::string& composition = {});

}  // namespace marvek
