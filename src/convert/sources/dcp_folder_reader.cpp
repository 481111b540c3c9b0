#include "convert/sources/dcp_folder_reader.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <filesystem>
#include <string_view>
#include <utility>
#include <vector>

#include "convert/sources/dcp_times.h"
#include "convert/sources/dcp_xml.h"
#include "convert/sources/whole_file.h"
#include "shared/system_reason.h"

namespace marvek {
namespace {

// The XML files of a DCP are small; its MXF track files, never read here, are not.
constexpr std::size_t kLargestXml = 64 * 1024 * 1024;
// The first bytes of every MXF file: the start of a SMPTE universal label.
constexpr std::string_view kMxfKey("\x06\x0E\x2B\x34", 4);

DcpRefusal Unreadable(std::string reason) {
  return {.outcome = ConversionOutcome::Unreadable, .line = 0, .reason = std::move(reason)};
}

std::string Lowered(std::string_view text) {
  std::string lowered(text);
  for (char& c : lowered) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lowered;
}

// An asset's id as the ASSETMAP and the CPL both write it: "urn:uuid:" and case do not count.
std::string IdOf(std::string_view written) {
  std::string id = Lowered(written);
  id.erase(std::remove_if(id.begin(), id.end(), [](char c) { return std::isspace(c) != 0; }),
           id.end());
  return id.starts_with("urn:uuid:") ? id.substr(9) : id;
}

// The DCP's files by asset id, in the ASSETMAP's order.
using AssetFiles = std::vector<std::pair<std::string, std::filesystem::path>>;

// The files an ASSETMAP names, as paths inside `folder`. A path that leads out of the folder is
// left out: a DCP names only its own files.
AssetFiles FilesOf(const pugi::xml_node& assetMap, const std::filesystem::path& folder) {
  AssetFiles files;
  for (const pugi::xml_node& asset : ChildNamed(assetMap, "AssetList").children()) {
    if (LocalName(asset) != "Asset") continue;
    const std::filesystem::path inside =
        std::filesystem::path(
            ChildText(ChildNamed(ChildNamed(asset, "ChunkList"), "Chunk"), "Path"))
            .lexically_normal();
    if (inside.empty() || inside.is_absolute() || *inside.begin() == "..") continue;
    files.emplace_back(IdOf(ChildText(asset, "Id")), folder / inside);
  }
  return files;
}

// Reads and parses one XML file of the DCP; a refusal naming the file when it cannot.
std::optional<DcpRefusal> LoadXml(const std::filesystem::path& path, std::string& bytes,
                                  XmlDocument& document) {
  const std::string name = path.filename().string();
  if (std::string why = ReadWholeFile(path.string(), kLargestXml, bytes); !why.empty()) {
    return Unreadable(name + ": " + why);
  }
  if (std::string why; !document.Load(bytes, why)) {
    return DcpRefusal{.line = document.errorLine(), .reason = name + ": " + why};
  }
  return std::nullopt;
}

// One reel of the composition, as the CPL gives it.
struct Reel {
  std::int64_t duration = 0;  // in edit units of `rate`
  FrameRate rate;
  pugi::xml_node subtitle;  // its MainSubtitle, empty when it has none
};

std::optional<std::int64_t> DurationOf(const pugi::xml_node& asset) {
  if (const auto duration = ParseCount(ChildText(asset, "Duration"))) return duration;
  const auto intrinsic = ParseCount(ChildText(asset, "IntrinsicDuration"));
  if (!intrinsic) return std::nullopt;
  return std::max<std::int64_t>(
      0, *intrinsic - ParseCount(ChildText(asset, "EntryPoint")).value_or(0));
}

// The reels of a CPL in order, timed by their picture (else their subtitles, else their sound);
// nullopt with `why` when a reel's length cannot be read.
std::optional<std::vector<Reel>> ReelsOf(const pugi::xml_node& cpl, std::string& why) {
  std::vector<Reel> reels;
  for (const pugi::xml_node& node : ChildNamed(cpl, "ReelList").children()) {
    if (LocalName(node) != "Reel") continue;
    const pugi::xml_node assets = ChildNamed(node, "AssetList");
    Reel reel;
    reel.subtitle = ChildNamed(assets, "MainSubtitle");
    std::optional<std::int64_t> duration;
    std::optional<FrameRate> rate;
    for (const char* kind :
         {"MainPicture", "MainStereoscopicPicture", "MainSubtitle", "MainSound"}) {
      const pugi::xml_node asset = ChildNamed(assets, kind);
      duration = DurationOf(asset);
      rate = ParseEditRate(ChildText(asset, "EditRate"));
      if (duration && rate) break;
    }
    if (!duration || !rate) {
      why = "reel " + std::to_string(reels.size() + 1) +
            " of the CPL gives no Duration and EditRate to place the reels after it";
      return std::nullopt;
    }
    reel.duration = *duration;
    reel.rate = *rate;
    reels.push_back(reel);
  }
  return reels;
}

bool HasSubtitles(const pugi::xml_node& cpl) {
  for (const pugi::xml_node& reel : ChildNamed(cpl, "ReelList").children()) {
    if (ChildNamed(ChildNamed(reel, "AssetList"), "MainSubtitle")) return true;
  }
  return false;
}

// The composition among the DCP's XML files, in the ASSETMAP's order: the first CPL with
// subtitles, else the first CPL; empty when there is none.
std::filesystem::path FindComposition(const AssetFiles& files) {
  std::filesystem::path first;
  for (const auto& [id, path] : files) {
    if (Lowered(path.extension().string()) != ".xml") continue;
    std::string bytes;
    XmlDocument document;
    if (LoadXml(path, bytes, document)) continue;  // a file that cannot be read is no CPL
    if (LocalName(document.root()) != "CompositionPlaylist") continue;
    if (HasSubtitles(document.root())) return path;
    if (first.empty()) first = path;
  }
  return first;
}

// Reads the subtitles of one reel, numbered from 1, into `source`, their times moved by `offset`.
std::optional<DcpRefusal> ReadReel(const Reel& reel, std::size_t number, const SourceTime& offset,
                                   const AssetFiles& files, bool repair, TimedSource& source) {
  const std::string named = "reel " + std::to_string(number);
  const std::string id = IdOf(ChildText(reel.subtitle, "Id"));
  const auto file = std::find_if(files.begin(), files.end(),
                                 [&](const auto& entry) { return entry.first == id; });
  if (file == files.end()) {
    return Unreadable(named + "'s subtitles are not among the files of the ASSETMAP");
  }
  const std::filesystem::path& path = file->second;
  std::string bytes;
  const bool mxfName = Lowered(path.extension().string()) == ".mxf";
  std::string why = mxfName ? std::string() : ReadWholeFile(path.string(), kLargestXml, bytes);
  if (mxfName || bytes.starts_with(kMxfKey)) {
    return Unreadable(named + "'s subtitles are SMPTE subtitles wrapped in an MXF track file (" +
                      path.filename().string() +
                      "), which cannot be read here: give the subtitle XML itself");
  }
  if (!why.empty()) return Unreadable(named + " (" + path.filename().string() + "): " + why);
  DcpSubtitles subtitles;
  if (auto refusal = ReadDcpSubtitles(bytes, repair, subtitles)) {
    refusal->reason = named + " (" + path.filename().string() + "): " + refusal->reason;
    return refusal;
  }
  // A subtitle track that starts later than its own beginning drops what comes before.
  const auto entry = ParseCount(ChildText(reel.subtitle, "EntryPoint")).value_or(0);
  const FrameRate rate = ParseEditRate(ChildText(reel.subtitle, "EditRate")).value_or(reel.rate);
  const SourceTime moved = SubtractTimes(offset, EditUnits(entry, rate));
  for (TimedEvent& event : subtitles.events) {
    event.start = AddTimes(event.start, moved);
    event.end = AddTimes(event.end, moved);
    source.events.push_back(std::move(event));
  }
  source.leftOut.unreadableCues += subtitles.leftOut.unreadableCues;
  source.leftOut.pictures += subtitles.leftOut.pictures;
  return std::nullopt;
}

// The folder's ASSETMAP (or ASSETMAP.xml); empty when it has none.
std::filesystem::path AssetMapIn(const std::filesystem::path& root) {
  for (const char* name : {"ASSETMAP.xml", "ASSETMAP"}) {
    std::error_code error;
    if (std::filesystem::exists(root / name, error)) return root / name;
  }
  return {};
}

}  // namespace

std::optional<DcpRefusal> ReadDcpFolder(const std::string& folder, bool repair, TimedSource& source,
                                        const std::string& composition,
                                        const std::string& chosenAssetMap) {
  const std::filesystem::path root(folder);
  const std::filesystem::path assetMapPath =
      chosenAssetMap.empty() ? AssetMapIn(root) : std::filesystem::path(chosenAssetMap);
  // Any other folder is no title file, as it always was.
  if (assetMapPath.empty()) return Unreadable(SystemReason(EISDIR));
  std::string bytes;
  XmlDocument assetMap;
  if (auto refusal = LoadXml(assetMapPath, bytes, assetMap)) return refusal;
  const AssetFiles files = FilesOf(assetMap.root(), root);
  const std::filesystem::path cplPath =
      composition.empty() ? FindComposition(files) : std::filesystem::path(composition);
  if (cplPath.empty()) return Unreadable("the DCP's ASSETMAP names no composition playlist (CPL)");
  XmlDocument cpl;
  if (auto refusal = LoadXml(cplPath, bytes, cpl)) return refusal;
  std::string why;
  const std::optional<std::vector<Reel>> reels = ReelsOf(cpl.root(), why);
  if (!reels) return DcpRefusal{.line = 0, .reason = why};
  source.formatName = "DCP subtitle";
  source.rateOrigin = "the DCP";
  if (!reels->empty()) source.frameRate = reels->front().rate;
  SourceTime offset{0, 1};
  for (std::size_t i = 0; i < reels->size(); ++i) {
    const Reel& reel = (*reels)[i];
    if (reel.subtitle) {
      if (auto refusal = ReadReel(reel, i + 1, offset, files, repair, source)) return refusal;
      ++source.reels;
    }
    offset = AddTimes(offset, EditUnits(reel.duration, reel.rate));
  }
  if (source.reels == 0)
    return DcpRefusal{.line = 0, .reason = "the DCP's composition has no subtitles"};
  return std::nullopt;
}

}  // namespace marvek
