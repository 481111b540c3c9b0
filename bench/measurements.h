#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

#include "shared/operator_panel.h"
#include "shared/types.h"
#include "title_display_sim/title_display_sim.h"
#include "upload/display_link.h"

namespace marvek::bench {

// The middle of `values` (the upper one of an even count).
double Median(std::vector<double> values);

// A panel that does nothing: what the conversion costs by itself.
struct QuietPanel : OperatorPanel {
  void AddStatus(const std::string&) override {}
  void SetProgress(float) override {}
  void SetInputsEnabled(bool) override {}
  void Beep() override {}
  void ProcessEvents() override {}
};

// The title file of `bytes` bytes (or `lines` lines) in `folder`, written once and kept for the
// next run, since the generator gives the same file every time.
std::string TitleFileOfBytes(const std::string& folder, std::size_t bytes);
std::string TitleFileOfLines(const std::string& folder, std::size_t lines);

struct ConversionFigures {
  double convertMs = 0;  // ConvertTitleFile + PadTitleImage, median
  double wcMs = 0;       // wc -l on the same file, median
  std::size_t fileBytes = 0;
  std::size_t imageBytes = 0;
  double peakResidentMb = 0;  // of a process that converts the file once
};
ConversionFigures MeasureConversion(const std::string& path, int runs);

// Median milliseconds of converting `path` with `panel`.
double MeasureConversionWith(const std::string& path, OperatorPanel& panel, int runs);

struct DetectionFigures {
  double detectedMs = 0;  // ConvertTitleFile, which first decides the encoding, median
  double forcedMs =
      0;  // ConvertTitleFile forced to Windows-1250, which looks at nothing first, median
};
// The cost of deciding the encoding of `path`, the two conversions taken in turn.
DetectionFigures MeasureDetection(const std::string& path, int runs);

struct RepairFigures {
  double repairMs = 0;  // ConvertTitleFile with repair, median
  double strictMs = 0;  // ConvertTitleFile as it stands, median
};
// The cost of repair on `path`, a file with nothing to repair, the two conversions taken in turn.
RepairFigures MeasureRepair(const std::string& path, int runs);

struct UploadFigures {
  double medianUs = 0;  // per block, from one acknowledgement to the next
  double p99Us = 0;
  bool intact = false;  // the display received exactly the image
};
// Uploads `blocks` blocks to the simulated display answering at once, waiting for each answer
// in `waiter`'s WaitHandlingEvents (a QuietPanel's, the default, when null).
UploadFigures MeasureUpload(std::size_t blocks, OperatorPanel* waiter = nullptr);

struct FilmUploadFigures {
  std::size_t blocks = 0;
  double uploadMs = 0;       // from the first frame written to the last acknowledgement
  double wireMs = 0;         // what the line itself takes: 17 bytes out and 1 back per block
  double medianBlockUs = 0;  // from one acknowledgement to the next
  bool intact = false;
};
// The filled image of the title file; empty when it does not convert.
ByteString FilmImage(const std::string& titleFile);

// Uploads `image` over the open `link` to `display`, timing each block; the wire time is that of
// a line of `bitsPerSecond`.
FilmUploadFigures TimeFilmUpload(const ByteString& image, long bitsPerSecond, DisplayLink& link,
                                 const sim::TitleDisplaySim& display);

// Converts the title file and uploads it at `bitsPerSecond` to a display on a line paced at
// that speed, behind an adapter that holds each reply `adapterLatency`.
FilmUploadFigures MeasureFilmUpload(const std::string& titleFile, long bitsPerSecond,
                                    std::chrono::milliseconds adapterLatency);

// Processor seconds (user + system) that the upload's thread spends during one reply time-out
// of a display that never answers, waiting in `panel`.
double MeasureIdleWait(OperatorPanel& panel);

}  // namespace marvek::bench
