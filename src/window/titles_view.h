#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "convert/records/record_source.h"
#include "convert/timing/frame_rate.h"
#include "convert/timing/timing_report.h"
#include "convert/title_image.h"
#include "display/image_records.h"
#include "shared/operator_panel.h"
#include "shared/types.h"
#include "window/conversion_choices.h"

namespace marvek {

// A title file converted for a look, not for sending: what File > Show titles... shows.
struct TitlesView {
  std::string path;  // as chosen, in the local 8-bit encoding
  ConversionOutcome outcome = ConversionOutcome::Converted;
  // Why nothing can be shown, one line a sentence, when the file was refused or cannot be read.
  std::vector<std::string> refusal;

  ByteString image;  // filled, as it would be sent
  // The titles as the display reads them from the image. Their texts stay in the image until a
  // row is shown or searched: a million of them made into strings at once would take seconds.
  std::vector<ImageRecord> titles;
  // Per title, the line of the file it came from and what became of it. Empty when the
  // conversion does not tell; otherwise as long as titles.
  std::vector<RecordSource> sources;

  std::optional<FrameRate> displayRate;  // turns frames into times, when chosen
  TimingReport timing;                   // what was done with the times
  // The command's lines after "File successfull converted.": how the file was read, what was
  // done to its letters, what repair did.
  std::vector<std::string> reading;

  bool shown() const { return outcome == ConversionOutcome::Converted; }
  std::size_t blocks() const { return image.size() / kBlockSize; }
  // The text of title `title` as the display shows it (see DisplayText).
  std::string DisplayedText(std::size_t title) const;
  // The line title `title` came from (0: not known), and its RecordSource::Note bits.
  std::size_t SourceLine(std::size_t title) const {
    return title < sources.size() ? sources[title].line : 0;
  }
  std::uint8_t Notes(std::size_t title) const {
    return title < sources.size() ? static_cast<std::uint8_t>(sources[title].notes) : 0;
  }
};

// A view with no titles that says why, one line a sentence.
TitlesView NothingToShow(std::vector<std::string> why);

// A panel that reports nothing: the titles view leaves the status list and progress bar alone.
struct SilentPanel : OperatorPanel {
  void AddStatus(const std::string&) override {}
  void SetProgress(float) override {}
  void SetInputsEnabled(bool) override {}
  void Beep() override {}
  void ProcessEvents() override {}
};

// Converts the file at `path` with the window's choices and reads the image back as the display
// would. Nothing is sent and nothing is added to the status list; `panel` sees the progress.
TitlesView ViewTitles(const std::string& path, CharMode mode, const ConversionChoices& choices,
                      OperatorPanel& panel);

// The lines that say why `result` was refused, as the status list says them, with the window's
// hint where one of its choices would help.
std::vector<std::string> RefusalLines(const std::string& path, const ConversionResult& result);

}  // namespace marvek
