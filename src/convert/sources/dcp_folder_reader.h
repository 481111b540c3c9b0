#pragma once

#include <optional>
#include <string>

#include "convert/sources/dcp_subtitle_reader.h"
#include "convert/sources/timed_event.h"

namespace marvek {

// Reads the titles of the DCP in `folder`: its ASSETMAP (or ASSETMAP.xml) names its files, its
// composition playlist (CPL) its reels in order; the subtitles of each reel are moved by the
// length of the reels before it, in the CPL's edit units. The CPL's edit rate is the source's
// frame rate. SMPTE subtitles wrapped in an MXF track file refuse the DCP: their XML has to be
// given instead. `composition`, when not empty, is the CPL to read; otherwise the first CPL
// with subtitles that the ASSETMAP names. `chosenAssetMap`, when not empty, is the asset map the
// operator chose, whatever its name; otherwise the folder's ASSETMAP.
std::optional<DcpRefusal> ReadDcpFolder(const std::string& folder, bool repair, TimedSource& source,
                                        const std::string& composition = {},
                                        const std::string& chosenAssetMap = {});

}  // namespace marvek
