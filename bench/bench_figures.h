#pragma once

#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "cli/terminal_panel.h"
#include "measurements.h"
#if defined(MARVEK_BENCH_WINDOW)
#include "titles_dialog_timing.h"
#endif

namespace marvek::bench {

// The film of the upload rows: as many titles as a feature film has.
inline constexpr std::size_t kFilmTitles = 1'500;

struct BenchOptions {
  bool json = false;
  bool networkOnly = false;  // --network: only the rows of a display served over the network
  int runs = 9;
  std::string folder;  // where the title files are written and kept for the next run
};

// What the rows of the table are made from. Each measurement is taken once, when the first row
// that shows it asks, so that a row can be added or moved without measuring anything twice.
class Bench {
 public:
  explicit Bench(BenchOptions options);
  ~Bench();
  Bench(const Bench&) = delete;
  Bench& operator=(const Bench&) = delete;

  const BenchOptions& options() const { return options_; }
  std::string Runs() const { return std::to_string(options_.runs); }
  // Whether an upload left the display with another image than the one sent.
  bool damaged() const { return damaged_; }

  const ConversionFigures& Big();    // 100 MB
  const ConversionFigures& Small();  // 10 MB
  const Duel& Detection();
  const Duel& Repair();
  const UploadFigures& Upload();       // 20,000 blocks
  const UploadFigures& ShortUpload();  // 2,000 blocks
  const UploadFigures& TerminalUpload();
  const FilmUploadFigures& Film();      // best of three, no adapter latency
  const FilmUploadFigures& HeldFilm();  // behind a 16 ms adapter latency
  // The command line's panel, which waits in one poll() on the port and the end signals'
  // wake-up; its signals are not caught here, so that Ctrl-C still ends the benchmark.
  OperatorPanel& Terminal();
#if defined(MARVEK_BENCH_WINDOW)
  const Duel& WindowProgress();  // the window's panel against a quiet one
  const TitlesDialogFigures& Dialog();
#endif

 private:
  std::string File(std::size_t bytes);
  const UploadFigures& Keep(std::optional<UploadFigures>& slot, const UploadFigures& figures);

  BenchOptions options_;
  bool damaged_ = false;
  std::optional<ConversionFigures> big_, small_;
  std::optional<Duel> detection_, repair_;
  std::optional<UploadFigures> upload_, shortUpload_, terminalUpload_;
  std::optional<FilmUploadFigures> film_, heldFilm_;
  std::FILE* nowhere_ = nullptr;
  std::unique_ptr<cli::TerminalPanel> terminal_;
#if defined(MARVEK_BENCH_WINDOW)
  std::optional<Duel> windowProgress_;
  std::optional<TitlesDialogFigures> dialog_;
#endif
};

}  // namespace marvek::bench
