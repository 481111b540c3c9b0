// Measures the conversion and the upload against their targets and prints one table.
//   marvek_bench [--json] [--runs N] [--folder DIR]
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "cli/terminal_panel.h"
#include "film_track_bench.h"
#include "measurements.h"
#include "report.h"
#include "upload/block_upload.h"
#if defined(MARVEK_BENCH_WINDOW)
#include "titles_dialog_timing.h"
#include "window_measurements.h"
#endif

namespace {

using marvek::bench::Row;

constexpr std::size_t kFullFile = 100'000'000;
constexpr std::size_t kProgressLines = 1'000'000;
constexpr std::size_t kFullUpload = 20'000;
constexpr std::size_t kFilmTitles = 1'500;  // a feature film
constexpr int kFilmRuns = 3;
constexpr double kMb = 1e6;

struct Options {
  bool json = false;
  int runs = 9;
  std::string folder = (std::filesystem::temp_directory_path() / "marvek-bench").string();
};

// Reads a whole decimal number: "--runs x" is refused, not taken as 0.
bool ReadCount(std::string_view text, int& count) {
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, count);
  return error == std::errc{} && stop == end;
}

Options Parse(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    int runs = 0;
    if (arg == "--json") {
      options.json = true;
    } else if (arg == "--runs" && i + 1 < argc && ReadCount(argv[i + 1], runs)) {
      options.runs = std::max(5, runs);
      ++i;
    } else if (arg == "--folder" && i + 1 < argc) {
      options.folder = argv[++i];
    } else {
      std::fprintf(stderr,
                   "usage: marvek_bench [--json] [--runs N (5 or more, 9 unless given)] "
                   "[--folder DIR]\n");
      std::exit(2);
    }
  }
  return options;
}

std::string Tenths(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

void Say(const Options& options, const char* what) {
  if (!options.json) std::fprintf(stderr, "%s\n", what);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace marvek::bench;
  const Options options = Parse(argc, argv);
  std::vector<Row> rows;
  const auto runs = std::to_string(options.runs);

  Say(options, "Writing the title files (kept for the next run)...");
  const std::string full = TitleFileOfBytes(options.folder, kFullFile);
  const std::string tenth = TitleFileOfBytes(options.folder, kFullFile / 10);
  const std::string million = TitleFileOfLines(options.folder, kProgressLines);

  Say(options, "Converting...");
  const ConversionFigures big = MeasureConversion(full, options.runs);
  const ConversionFigures small = MeasureConversion(tenth, options.runs);
  const double bigRate = static_cast<double>(big.fileBytes) / kMb / (big.convertMs / 1000);
  const double smallRate = static_cast<double>(small.fileBytes) / kMb / (small.convertMs / 1000);
  rows.push_back({"Conversion of 100 MB", bigRate, "MB/s", 0, true,
                  "ConvertTitleFile + PadTitleImage, median of " + runs});
  rows.push_back(
      {"wc -l on the same file", static_cast<double>(big.fileBytes) / kMb / (big.wcMs / 1000),
       "MB/s", 0, true,
       "median of " + runs + " taken in turn with the conversion, process start included"});
  rows.push_back({"Conversion time / wc -l time", big.convertMs / big.wcMs, "x", 10, true,
                  std::to_string(big.convertMs).substr(0, 6) + " ms / " +
                      std::to_string(big.wcMs).substr(0, 5) + " ms"});
  const double memoryLimit =
      static_cast<double>(big.fileBytes + big.imageBytes) / (1024.0 * 1024.0) + 32;
  const DetectionFigures detection = MeasureDetection(full, options.runs);
  rows.push_back({"Encoding detected / forced Windows-1250",
                  detection.detectedMs / detection.forcedMs, "x", 1.1, true,
                  "100 MB in Windows-1250, " + std::to_string(detection.detectedMs).substr(0, 6) +
                      " ms / " + std::to_string(detection.forcedMs).substr(0, 6) + " ms"});
  const RepairFigures repair = MeasureRepair(full, options.runs);
  rows.push_back({"Repair / strict reading", repair.repairMs / repair.strictMs, "x", 1.1, true,
                  "100 MB with nothing to repair, " + std::to_string(repair.repairMs).substr(0, 6) +
                      " ms / " + std::to_string(repair.strictMs).substr(0, 6) + " ms"});
  rows.push_back({"Peak memory converting 100 MB", big.peakResidentMb, "MiB", memoryLimit, true,
                  "max RSS of a process converting once; limit file + image + 32 MiB"});

#if defined(MARVEK_BENCH_WINDOW)
  Say(options, "Converting with the window's progress bar...");
  const std::string titles = million;
  QuietPanel quiet;
  const double quietMs = MeasureConversionWith(titles, quiet, options.runs);
  const double windowMs = MeasureConversionWithWindow(titles, options.runs);
  rows.push_back({"Progress cost: window panel / quiet panel", windowMs / quietMs, "x", 1.2, true,
                  "1,000,000 lines, " + std::to_string(windowMs).substr(0, 6) + " ms / " +
                      std::to_string(quietMs).substr(0, 6) + " ms"});

  Say(options, "Opening the titles dialog...");
  const TitlesDialogFigures dialog = MeasureTitlesDialog(titles, options.runs);
  rows.push_back({"Titles dialog of 1,000,000 titles: first rows", dialog.firstRowsMs, "ms", 1000,
                  true,
                  "conversion, index and first paint, offscreen, median of " + runs + "; " +
                      std::to_string(dialog.titles) + " titles"});
  rows.push_back({"Titles dialog: search of every title", dialog.searchMs, "ms", 0, true,
                  "\"gospo\", " + std::to_string(dialog.found) + " rows kept, median of " + runs});
#else
  (void)million;
#endif

  Say(options, "Reading a film's title track (the film is made once and kept)...");
  for (Row& row : FilmTrackRows(options.folder, options.runs)) rows.push_back(std::move(row));

  Say(options, "Uploading to the simulated display...");
  const UploadFigures upload = MeasureUpload(kFullUpload);
  const UploadFigures shortUpload = MeasureUpload(kFullUpload / 10);
  rows.push_back({"Upload of 20,000 blocks: median per block", upload.medianUs, "us", 100, true,
                  std::string("beyond the wire; image ") + (upload.intact ? "intact" : "DAMAGED")});
  rows.push_back({"Upload of 20,000 blocks: 99th percentile", upload.p99Us, "us", 0, true,
                  "beyond the wire; the simulator's thread shares the two cores"});
  const double wireUs = marvek::LineSeconds(1, 115200) * 1e6;
  rows.push_back({"Upload time over what the line allows", upload.medianUs / wireUs * 100, "%", 7,
                  true, "median overhead / " + Tenths(wireUs) + " us of wire time per block"});
  // The command line's panel waits in one poll() on the port and the end signals' wake-up; its
  // signals are not caught here, so that Ctrl-C still ends the benchmark.
  std::FILE* nowhere = std::fopen("/dev/null", "w");
  marvek::cli::TerminalPanel terminal(nowhere, false, false);
  const UploadFigures terminalUpload = MeasureUpload(kFullUpload / 10, &terminal);
  rows.push_back(
      {"Upload of 2,000 blocks, CLI panel: median", terminalUpload.medianUs, "us", 100, true,
       std::string("beyond the wire; image ") + (terminalUpload.intact ? "intact" : "DAMAGED")});

  Say(options, "Uploading a feature film over a paced 115200 bit/s line...");
  const std::string film = TitleFileOfLines(options.folder, kFilmTitles);
  const auto filmRow = [&](const FilmUploadFigures& f, const std::string& name, double limit,
                           const std::string& how) {
    rows.push_back({name, f.uploadMs / f.wireMs, "x", limit, true,
                    std::to_string(f.blocks) + " blocks, " + Tenths(f.uploadMs) + " ms / " +
                        Tenths(f.wireMs) + " ms wire" + how + "; image " +
                        (f.intact ? "intact" : "DAMAGED")});
  };
  // The best of three: other programs on the machine only ever add to an upload's time.
  FilmUploadFigures direct;
  for (int run = 0; run < kFilmRuns; ++run) {
    const FilmUploadFigures f = MeasureFilmUpload(film, 115200, std::chrono::milliseconds(0));
    if (run == 0 || !f.intact || f.uploadMs < direct.uploadMs) direct = f;
    if (!f.intact) break;
  }
  const FilmUploadFigures held = MeasureFilmUpload(film, 115200, std::chrono::milliseconds(16));
  filmRow(direct, "Film of 1,500 titles at 115200: upload / wire", 1.05,
          ", best of " + std::to_string(kFilmRuns));
  const double wireBlockUs =
      direct.wireMs * 1000 / static_cast<double>(std::max<std::size_t>(direct.blocks, 1));
  rows.push_back({"Film at 115200: median block / its wire time",
                  direct.medianBlockUs / wireBlockUs, "x", 0, true,
                  Tenths(direct.medianBlockUs) + " us per block, same run"});
  filmRow(held, "The same behind a 16 ms adapter latency", 0, ", one run");

  Say(options, "Waiting for a display that never answers...");
  // Processor time as a share of the wait: user + system of the thread that waits.
  const auto waitRow = [&](const std::string& name, double seconds, double limit) {
    const double share = seconds / 3 * 100;
    rows.push_back({name, share, "%", limit, true,
                    Tenths(seconds * 1000) + " ms of processor time in 3 s, user + system"});
  };
  waitRow("3 s reply wait, command line: processor time", MeasureIdleWait(terminal), 0.1);
#if defined(MARVEK_BENCH_WINDOW)
  waitRow("3 s reply wait, window: processor time", MeasureIdleWaitInWindow(), 0.1);
#endif
  QuietPanel eventsOnly;
  waitRow("3 s reply wait, panel with ProcessEvents only", MeasureIdleWait(eventsOnly), 0);
  std::fclose(nowhere);

  rows.push_back({"Scale: conversion of 10 MB", smallRate, "MB/s", 0, true, "median of " + runs});
  rows.push_back({"Scale: cost per MB, 100 MB / 10 MB", smallRate / bigRate, "x", 1.25, true,
                  "1.0 is linear"});
  rows.push_back({"Scale: upload of 2,000 blocks, median", shortUpload.medianUs, "us", 0, true,
                  std::string("image ") + (shortUpload.intact ? "intact" : "DAMAGED")});
  rows.push_back({"Scale: cost per block, 20,000 / 2,000", upload.medianUs / shortUpload.medianUs,
                  "x", 1.25, true, "1.0 is linear"});

  const std::string machine = DescribeMachine();
  if (options.json) {
    PrintJson(rows, machine);
  } else {
    PrintTable(rows, machine);
  }
  bool met =
      upload.intact && shortUpload.intact && terminalUpload.intact && direct.intact && held.intact;
  for (const Row& row : rows) met = met && row.Met();
  return met ? 0 : 1;
}
