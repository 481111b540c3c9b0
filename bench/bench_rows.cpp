#include "bench_rows.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string>

#include "upload/block_upload.h"
#if defined(MARVEK_BENCH_WINDOW)
#include "window_measurements.h"
#endif

namespace marvek::bench {
namespace {

constexpr double kMb = 1e6;

std::string Tenths(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

// How a comparison was taken: its two sides' best processor times, and their best wall times.
std::string InTurn(const Duel& duel, const std::string& what, const std::string& runs) {
  return what + "processor time, best of " + runs +
         " each in turn: " + Tenths(duel.first.processorMs) + " ms / " +
         Tenths(duel.second.processorMs) + " ms (wall " + Tenths(duel.first.wallMs) + " / " +
         Tenths(duel.second.wallMs) + " ms)";
}

double MbPerSecond(std::size_t bytes, double ms) {
  return static_cast<double>(bytes) / kMb / (ms / 1000);
}

std::string Intact(bool intact) {
  return intact ? "intact" : "DAMAGED";
}

Row ConversionRate(Bench& b) {
  return {"Conversion of 100 MB",
          MbPerSecond(b.Big().fileBytes, b.Big().againstCount.first.wallMs),
          "MB/s",
          0,
          true,
          "ConvertTitleFile + PadTitleImage, best wall time of " + b.Runs()};
}

Row CountRate(Bench& b) {
  return {"wc -l on the same file",
          MbPerSecond(b.Big().fileBytes, b.Big().againstCount.second.wallMs),
          "MB/s",
          0,
          true,
          "best wall time of " + b.Runs() + ", process start included"};
}

Row ConversionOverCount(Bench& b) {
  const Duel& duel = b.Big().againstCount;
  return {"Conversion time / wc -l time", duel.Ratio(), "x", 5, true, InTurn(duel, "", b.Runs())};
}

Row DetectionOverForced(Bench& b) {
  return {"Encoding detected / forced Windows-1250",
          b.Detection().Ratio(),
          "x",
          1.05,
          true,
          InTurn(b.Detection(), "100 MB in Windows-1250, ", b.Runs())};
}

Row RepairOverStrict(Bench& b) {
  return {"Repair / strict reading",
          b.Repair().Ratio(),
          "x",
          1.1,
          true,
          InTurn(b.Repair(), "100 MB with nothing to repair, ", b.Runs())};
}

Row PeakMemory(Bench& b) {
  const double limit =
      static_cast<double>(b.Big().fileBytes + b.Big().imageBytes) / (1024.0 * 1024.0) + 32;
  return {"Peak memory converting 100 MB",
          b.Big().peakResidentMb,
          "MiB",
          limit,
          true,
          "max RSS of a process converting once; limit file + image + 32 MiB"};
}

#if defined(MARVEK_BENCH_WINDOW)
Row WindowProgressCost(Bench& b) {
  return {"Progress cost: window panel / quiet panel",
          b.WindowProgress().Ratio(),
          "x",
          1.2,
          true,
          InTurn(b.WindowProgress(), "1,000,000 lines, ", b.Runs())};
}

Row DialogFirstRows(Bench& b) {
  return {"Titles dialog of 1,000,000 titles: first rows",
          b.Dialog().firstRowsMs,
          "ms",
          1000,
          true,
          "conversion, index and first paint, offscreen, median of " + b.Runs() + "; " +
              std::to_string(b.Dialog().titles) + " titles"};
}

Row DialogSearch(Bench& b) {
  return {"Titles dialog: search of every title",
          b.Dialog().searchMs,
          "ms",
          0,
          true,
          "\"gospo\", " + std::to_string(b.Dialog().found) + " rows kept, median of " + b.Runs()};
}
#endif

Row UploadMedian(Bench& b) {
  return {
      "Upload of 20,000 blocks: median per block",          b.Upload().medianUs, "us", 100, true,
      "beyond the wire; image " + Intact(b.Upload().intact)};
}

Row UploadTail(Bench& b) {
  return {"Upload of 20,000 blocks: 99th percentile",
          b.Upload().p99Us,
          "us",
          0,
          true,
          "beyond the wire; the simulator's thread shares the two cores"};
}

Row UploadOverWire(Bench& b) {
  const double wireUs = LineSeconds(1, 115200) * 1e6;
  return {"Upload time over what the line allows",
          b.Upload().medianUs / wireUs * 100,
          "%",
          7,
          true,
          "median overhead / " + Tenths(wireUs) + " us of wire time per block"};
}

Row TerminalUploadMedian(Bench& b) {
  return {"Upload of 2,000 blocks, CLI panel: median",
          b.TerminalUpload().medianUs,
          "us",
          100,
          true,
          "beyond the wire; image " + Intact(b.TerminalUpload().intact)};
}

Row FilmRow(const FilmUploadFigures& f, const std::string& name, double limit,
            const std::string& how) {
  return {name,
          f.uploadMs / f.wireMs,
          "x",
          limit,
          true,
          std::to_string(f.blocks) + " blocks, " + Tenths(f.uploadMs) + " ms / " +
              Tenths(f.wireMs) + " ms wire" + how + "; image " + Intact(f.intact)};
}

Row FilmOverWire(Bench& b) {
  return FilmRow(b.Film(), "Film of 1,500 titles at 115200: upload / wire", 1.05, ", best of 3");
}

Row FilmBlockOverWire(Bench& b) {
  const FilmUploadFigures& f = b.Film();
  const double wireBlockUs =
      f.wireMs * 1000 / static_cast<double>(std::max<std::size_t>(f.blocks, 1));
  return {"Film at 115200: median block / its wire time",
          f.medianBlockUs / wireBlockUs,
          "x",
          0,
          true,
          Tenths(f.medianBlockUs) + " us per block, same run"};
}

Row HeldFilmOverWire(Bench& b) {
  return FilmRow(b.HeldFilm(), "The same behind a 16 ms adapter latency", 0, ", one run");
}

// Processor time as a share of the wait: user + system of the thread that waits.
Row WaitRow(const std::string& name, double seconds, double limit) {
  return {name, seconds / 3 * 100,
          "%",  limit,
          true, Tenths(seconds * 1000) + " ms of processor time in 3 s, user + system"};
}

Row TerminalWait(Bench& b) {
  return WaitRow("3 s reply wait, command line: processor time", MeasureIdleWait(b.Terminal()),
                 0.1);
}

#if defined(MARVEK_BENCH_WINDOW)
Row WindowWait(Bench&) {
  return WaitRow("3 s reply wait, window: processor time", MeasureIdleWaitInWindow(), 0.1);
}
#endif

Row EventsOnlyWait(Bench&) {
  QuietPanel eventsOnly;
  return WaitRow("3 s reply wait, panel with ProcessEvents only", MeasureIdleWait(eventsOnly), 0);
}

Row SmallConversionRate(Bench& b) {
  return {"Scale: conversion of 10 MB",
          MbPerSecond(b.Small().fileBytes, b.Small().againstCount.first.wallMs),
          "MB/s",
          0,
          true,
          "best wall time of " + b.Runs()};
}

Row ConversionScale(Bench& b) {
  const auto perMb = [](const ConversionFigures& f) {
    return f.againstCount.first.processorMs / static_cast<double>(f.fileBytes);
  };
  return {"Scale: cost per MB, 100 MB / 10 MB",
          perMb(b.Big()) / perMb(b.Small()),
          "x",
          1.25,
          true,
          "processor time, best of " + b.Runs() + " each; 1.0 is linear"};
}

Row ShortUploadMedian(Bench& b) {
  return {"Scale: upload of 2,000 blocks, median",  b.ShortUpload().medianUs, "us", 0, true,
          "image " + Intact(b.ShortUpload().intact)};
}

Row UploadScale(Bench& b) {
  return {"Scale: cost per block, 20,000 / 2,000",
          b.Upload().medianUs / b.ShortUpload().medianUs,
          "x",
          1.25,
          true,
          "1.0 is linear"};
}

const RowMaker kRows[] = {
    {"Converting (the title files are written once and kept)...", ConversionRate},
    {nullptr, CountRate},
    {nullptr, ConversionOverCount},
    {nullptr, DetectionOverForced},
    {nullptr, RepairOverStrict},
    {nullptr, PeakMemory},
#if defined(MARVEK_BENCH_WINDOW)
    {"Converting with the window's progress bar...", WindowProgressCost},
    {"Opening the titles dialog...", DialogFirstRows},
    {nullptr, DialogSearch},
#endif
    {"Uploading to the simulated display...", UploadMedian},
    {nullptr, UploadTail},
    {nullptr, UploadOverWire},
    {nullptr, TerminalUploadMedian},
    {"Uploading a feature film over a paced 115200 bit/s line...", FilmOverWire, true},
    {nullptr, FilmBlockOverWire},
    {nullptr, HeldFilmOverWire},
    {"Waiting for a display that never answers...", TerminalWait},
#if defined(MARVEK_BENCH_WINDOW)
    {nullptr, WindowWait},
#endif
    {nullptr, EventsOnlyWait},
    {nullptr, SmallConversionRate},
    {nullptr, ConversionScale},
    {nullptr, ShortUploadMedian},
    {nullptr, UploadScale},
};

}  // namespace

const std::span<const RowMaker> kRowMakers(std::begin(kRows), std::end(kRows));

}  // namespace marvek::bench
