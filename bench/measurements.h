#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

#include "convert/title_image.h"
#include "in_turn.h"
#include "shared/operator_panel.h"
#include "shared/quiet_panel.h"
#include "shared/types.h"
#include "title_display_sim/title_display_sim.h"
#include "upload/display_link.h"

namespace marvek::bench {

// The middle of `values` (the upper one of an even count).
double Median(std::vector<double> values);

// The title file of `bytes` bytes (or `lines` lines) in `folder`, written once and kept for the
// next run, since the generator gives the same file every time.
std::string TitleFileOfBytes(const std::string& folder, std::size_t bytes);
std::string TitleFileOfLines(const std::string& folder, std::size_t lines);

// One ConvertTitleFile + PadTitleImage of `path`, timed on this thread. The image is given
// back to the system after the clock has stopped.
Timed ConvertOnce(const std::string& path, OperatorPanel& panel,
                  const ConversionOptions& options = {});

// wc -l on `path` in a process of its own, output discarded: its processor time, and the
// clock's time from before its start to after its end.
Timed CountLines(const std::string& path);

struct ConversionFigures {
  Duel againstCount;  // the conversion, then wc -l on the same file, in turn
  std::size_t fileBytes = 0;
  std::size_t imageBytes = 0;
  double peakResidentMb = 0;  // of a process that converts the file once
};
ConversionFigures MeasureConversion(const std::string& path, int runs);

// The conversion of `path`, which first decides the encoding, against the same forced to
// Windows-1250, which looks at nothing first.
Duel MeasureDetection(const std::string& path, int runs);

// The conversion of `path`, a file with nothing to repair, with repair against without.
Duel MeasureRepair(const std::string& path, int runs);

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
