#include "bench_figures.h"

#include <chrono>
#include <utility>

#if defined(MARVEK_BENCH_WINDOW)
#include "window_measurements.h"
#endif

namespace marvek::bench {
namespace {

constexpr std::size_t kFullFile = 100'000'000;
constexpr std::size_t kProgressLines = 1'000'000;
constexpr std::size_t kFullUpload = 20'000;
constexpr int kFilmRuns = 3;
constexpr long kFilmLine = 115200;

}  // namespace

Bench::Bench(BenchOptions options) : options_(std::move(options)) {}

Bench::~Bench() {
  terminal_.reset();
  if (nowhere_ != nullptr) std::fclose(nowhere_);
}

std::string Bench::File(std::size_t bytes) {
  return TitleFileOfBytes(options_.folder, bytes);
}

const ConversionFigures& Bench::Big() {
  if (!big_) big_ = MeasureConversion(File(kFullFile), options_.runs);
  return *big_;
}

const ConversionFigures& Bench::Small() {
  if (!small_) small_ = MeasureConversion(File(kFullFile / 10), options_.runs);
  return *small_;
}

const Duel& Bench::Detection() {
  if (!detection_) detection_ = MeasureDetection(File(kFullFile), options_.runs);
  return *detection_;
}

const Duel& Bench::Repair() {
  if (!repair_) repair_ = MeasureRepair(File(kFullFile), options_.runs);
  return *repair_;
}

const UploadFigures& Bench::Keep(std::optional<UploadFigures>& slot, const UploadFigures& figures) {
  damaged_ = damaged_ || !figures.intact;
  slot = figures;
  return *slot;
}

const UploadFigures& Bench::Upload() {
  return upload_ ? *upload_ : Keep(upload_, MeasureUpload(kFullUpload));
}

const UploadFigures& Bench::ShortUpload() {
  return shortUpload_ ? *shortUpload_ : Keep(shortUpload_, MeasureUpload(kFullUpload / 10));
}

const UploadFigures& Bench::TerminalUpload() {
  return terminalUpload_ ? *terminalUpload_
                         : Keep(terminalUpload_, MeasureUpload(kFullUpload / 10, &Terminal()));
}

OperatorPanel& Bench::Terminal() {
  if (!terminal_) {
    nowhere_ = std::fopen("/dev/null", "w");
    terminal_ = std::make_unique<cli::TerminalPanel>(nowhere_, false, false);
  }
  return *terminal_;
}

const FilmUploadFigures& Bench::Film() {
  if (film_) return *film_;
  // The best of three: other programs on the machine only ever add to an upload's time.
  const std::string film = TitleFileOfLines(options_.folder, kFilmTitles);
  for (int run = 0; run < kFilmRuns; ++run) {
    const FilmUploadFigures f = MeasureFilmUpload(film, kFilmLine, std::chrono::milliseconds(0));
    if (!film_ || !f.intact || f.uploadMs < film_->uploadMs) film_ = f;
    if (!f.intact) break;
  }
  damaged_ = damaged_ || !film_->intact;
  return *film_;
}

const FilmUploadFigures& Bench::HeldFilm() {
  if (heldFilm_) return *heldFilm_;
  const std::string film = TitleFileOfLines(options_.folder, kFilmTitles);
  heldFilm_ = MeasureFilmUpload(film, kFilmLine, std::chrono::milliseconds(16));
  damaged_ = damaged_ || !heldFilm_->intact;
  return *heldFilm_;
}

#if defined(MARVEK_BENCH_WINDOW)
const Duel& Bench::WindowProgress() {
  if (!windowProgress_) {
    windowProgress_ = MeasureConversionWithWindow(TitleFileOfLines(options_.folder, kProgressLines),
                                                  options_.runs);
  }
  return *windowProgress_;
}

const TitlesDialogFigures& Bench::Dialog() {
  if (!dialog_) {
    dialog_ = MeasureTitlesDialog(TitleFileOfLines(options_.folder, kProgressLines), options_.runs);
  }
  return *dialog_;
}
#endif

}  // namespace marvek::bench
