#include "measurements.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <vector>

#include "convert/title_image.h"
#include "title_display_sim/title_display_sim.h"
#include "title_file_generator.h"
#include "upload/block_upload.h"
#include "upload/serial_link.h"

extern char** environ;

namespace marvek::bench {
namespace {

using Clock = std::chrono::steady_clock;

double Percentile(std::vector<double> values, double fraction) {
  std::sort(values.begin(), values.end());
  return values[static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1))];
}

std::string Cached(const std::string& folder, const std::string& name, auto write) {
  std::filesystem::create_directories(folder);
  const std::string path = folder + "/" + name;
  if (!std::filesystem::exists(path)) {
    const std::string partial = path + ".partial";
    write(partial);
    std::filesystem::rename(partial, path);
  }
  return path;
}

}  // namespace

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

std::string TitleFileOfBytes(const std::string& folder, std::size_t bytes) {
  return Cached(folder, "titles-" + std::to_string(bytes) + "-bytes.sub",
                [bytes](const std::string& path) { WriteTitleFile(path, bytes); });
}

std::string TitleFileOfLines(const std::string& folder, std::size_t lines) {
  return Cached(folder, "titles-" + std::to_string(lines) + "-lines.sub",
                [lines](const std::string& path) { WriteTitleLines(path, lines); });
}

Timed ConvertOnce(const std::string& path, OperatorPanel& panel, const ConversionOptions& options) {
  ConversionResult result;
  return TimeOnThisThread([&] {
    result = ConvertTitleFile(path, CharMode::DeviceCodes, panel, options);
    PadTitleImage(result.image);
  });
}

Timed CountLines(const std::string& path) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  std::string wc = "wc", flag = "-l", file = path;
  char* argv[] = {wc.data(), flag.data(), file.data(), nullptr};
  const auto start = Clock::now();
  pid_t child = 0;
  rusage usage{};
  if (posix_spawnp(&child, "wc", &actions, nullptr, argv, environ) == 0) {
    int status = 0;
    ::wait4(child, &status, 0, &usage);
  }
  const double wallMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  posix_spawn_file_actions_destroy(&actions);
  const auto ms = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3;
  };
  return {ms(usage.ru_utime) + ms(usage.ru_stime), wallMs};
}

Duel MeasureDetection(const std::string& path, int runs) {
  QuietPanel quiet;
  return BestInTurn(
      runs, [&] { return ConvertOnce(path, quiet); },
      [&] { return ConvertOnce(path, quiet, {.encoding = TextEncoding::Windows1250}); });
}

Duel MeasureRepair(const std::string& path, int runs) {
  QuietPanel quiet;
  return BestInTurn(
      runs, [&] { return ConvertOnce(path, quiet, {.repair = true}); },
      [&] { return ConvertOnce(path, quiet); });
}

namespace {

// The peak memory of a process that only converts `path` once, measured from outside it.
double PeakResidentMbConverting(const std::string& path) {
  const pid_t child = ::fork();
  if (child == 0) {
    QuietPanel panel;
    ConversionResult result = ConvertTitleFile(path, CharMode::DeviceCodes, panel);
    PadTitleImage(result.image);
    ::_exit(result.outcome == ConversionOutcome::Converted ? 0 : 1);
  }
  int status = 0;
  rusage usage{};
  ::wait4(child, &status, 0, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

}  // namespace

ConversionFigures MeasureConversion(const std::string& path, int runs) {
  ConversionFigures figures;
  figures.fileBytes = std::filesystem::file_size(path);
  QuietPanel quiet;
  figures.againstCount = BestInTurn(
      runs, [&] { return ConvertOnce(path, quiet); }, [&] { return CountLines(path); });
  figures.peakResidentMb = PeakResidentMbConverting(path);
  ConversionResult result = ConvertTitleFile(path, CharMode::DeviceCodes, quiet);
  PadTitleImage(result.image);
  figures.imageBytes = result.image.size();
  return figures;
}

namespace {

// Notes the time of every acknowledged block; waits as `waiter` does, when there is one.
struct StopwatchPanel : QuietPanel {
  void SetProgress(float) override { acknowledged.push_back(Clock::now()); }
  void WaitHandlingEvents(int descriptor, std::chrono::milliseconds limit) override {
    if (waiter != nullptr) {
      waiter->WaitHandlingEvents(descriptor, limit);
    } else {
      QuietPanel::WaitHandlingEvents(descriptor, limit);
    }
  }
  std::vector<Clock::time_point> acknowledged;
  OperatorPanel* waiter = nullptr;
};

}  // namespace

UploadFigures MeasureUpload(std::size_t blocks, OperatorPanel* waiter) {
  UploadFigures figures;
  sim::TitleDisplaySim display;
  if (display.Start()) return figures;
  SerialLink link;
  if (!link.Open(FromOperatorChoice(display.PortPath(), "115200"))) return figures;
  ByteString image;
  image.reserve(blocks * kBlockSize);
  for (std::size_t i = 0; i < blocks * kBlockSize; ++i) image += static_cast<char>(i * 31 + 7);

  StopwatchPanel panel;
  panel.waiter = waiter;
  panel.acknowledged.reserve(blocks);
  const auto start = Clock::now();
  const UploadResult result = UploadTitleImage(image, link, panel);
  std::vector<double> perBlock;
  auto previous = start;
  for (const auto at : panel.acknowledged) {
    perBlock.push_back(std::chrono::duration<double, std::micro>(at - previous).count());
    previous = at;
  }
  if (perBlock.empty()) return figures;
  figures.medianUs = Median(perBlock);
  figures.p99Us = Percentile(perBlock, 0.99);
  figures.intact = result.outcome == UploadOutcome::Uploaded && display.Image() == image;
  return figures;
}

ByteString FilmImage(const std::string& titleFile) {
  QuietPanel panel;
  ConversionResult converted = ConvertTitleFile(titleFile, CharMode::DeviceCodes, panel);
  if (converted.outcome != ConversionOutcome::Converted) return {};
  ByteString image = std::move(converted.image);
  PadTitleImage(image);
  return image;
}

FilmUploadFigures TimeFilmUpload(const ByteString& image, long bitsPerSecond, DisplayLink& link,
                                 const sim::TitleDisplaySim& display) {
  FilmUploadFigures figures;
  figures.blocks = image.size() / kBlockSize;
  figures.wireMs = LineSeconds(figures.blocks, bitsPerSecond) * 1000;
  StopwatchPanel stopwatch;
  stopwatch.acknowledged.reserve(figures.blocks);
  const auto start = Clock::now();
  const UploadResult result = UploadTitleImage(image, link, stopwatch);
  figures.uploadMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  figures.intact = result.outcome == UploadOutcome::Uploaded && display.Image() == image;
  std::vector<double> perBlock;
  auto previous = start;
  for (const auto at : stopwatch.acknowledged) {
    perBlock.push_back(std::chrono::duration<double, std::micro>(at - previous).count());
    previous = at;
  }
  if (!perBlock.empty()) figures.medianBlockUs = Median(perBlock);
  return figures;
}

FilmUploadFigures MeasureFilmUpload(const std::string& titleFile, long bitsPerSecond,
                                    std::chrono::milliseconds adapterLatency) {
  const ByteString image = FilmImage(titleFile);
  if (image.empty()) return {};
  sim::SimOptions line;
  line.lineSpeed = bitsPerSecond;
  line.adapterLatency = adapterLatency;
  sim::TitleDisplaySim display(line);
  if (display.Start()) return {};
  SerialLink link;
  if (!link.Open(FromOperatorChoice(display.PortPath(), std::to_string(bitsPerSecond)))) {
    return {};
  }
  return TimeFilmUpload(image, bitsPerSecond, link, display);
}

double MeasureIdleWait(OperatorPanel& panel) {
  sim::SimOptions silent;
  silent.silent = true;
  sim::TitleDisplaySim display(silent);
  if (display.Start()) return -1;
  SerialLink link;
  if (!link.Open(FromOperatorChoice(display.PortPath(), "115200"))) return -1;
  const auto cpuSeconds = [] {
    rusage usage{};
    ::getrusage(RUSAGE_THREAD, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  };
  const double before = cpuSeconds();
  UploadImage(ByteString(kBlockSize, 'x'), link, panel);
  return cpuSeconds() - before;
}

}  // namespace marvek::bench
