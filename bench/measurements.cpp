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

// Runs wc -l on `path` as a separate process, output discarded, and waits for it.
void CountLines(const std::string& path) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  std::string wc = "wc", flag = "-l", file = path;
  char* argv[] = {wc.data(), flag.data(), file.data(), nullptr};
  pid_t child = 0;
  if (posix_spawnp(&child, "wc", &actions, nullptr, argv, environ) == 0) {
    int status = 0;
    ::waitpid(child, &status, 0);
  }
  posix_spawn_file_actions_destroy(&actions);
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

// Milliseconds of one ConvertTitleFile + PadTitleImage. The image is given back to the system
// after the clock has stopped.
double ConvertOnce(const std::string& path, OperatorPanel& panel) {
  const auto start = Clock::now();
  ConversionResult result = ConvertTitleFile(path, CharMode::DeviceCodes, panel);
  PadTitleImage(result.image);
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double MeasureConversionWith(const std::string& path, OperatorPanel& panel, int runs) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) times.push_back(ConvertOnce(path, panel));
  return Median(times);
}

DetectionFigures MeasureDetection(const std::string& path, int runs) {
  QuietPanel quiet;
  std::vector<double> detected, forced;
  ConvertOnce(path, quiet);  // brings the file into the page cache for both
  for (int i = 0; i < runs; ++i) {
    detected.push_back(ConvertOnce(path, quiet));
    const auto start = Clock::now();
    ConversionResult result = ConvertTitleFile(path, CharMode::DeviceCodes, quiet,
                                               {.encoding = TextEncoding::Windows1250});
    PadTitleImage(result.image);
    forced.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  return {Median(detected), Median(forced)};
}

RepairFigures MeasureRepair(const std::string& path, int runs) {
  QuietPanel quiet;
  std::vector<double> repaired, strict;
  ConvertOnce(path, quiet);  // brings the file into the page cache for both
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    ConversionResult result =
        ConvertTitleFile(path, CharMode::DeviceCodes, quiet, {.repair = true});
    PadTitleImage(result.image);
    repaired.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    strict.push_back(ConvertOnce(path, quiet));
  }
  return {Median(repaired), Median(strict)};
}

ConversionFigures MeasureConversion(const std::string& path, int runs) {
  ConversionFigures figures;
  figures.fileBytes = std::filesystem::file_size(path);
  QuietPanel quiet;
  CountLines(path);  // brings the file into the page cache for both
  // Turn about, so that both meet the same conditions on a machine shared with others.
  std::vector<double> convert, count;
  for (int i = 0; i < runs; ++i) {
    convert.push_back(ConvertOnce(path, quiet));
    const auto start = Clock::now();
    CountLines(path);
    count.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  figures.convertMs = Median(convert);
  figures.wcMs = Median(count);

  // The peak memory of a process that only converts, measured from outside it.
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
  figures.peakResidentMb = static_cast<double>(usage.ru_maxrss) / 1024.0;
  QuietPanel panel;
  ConversionResult result = ConvertTitleFile(path, CharMode::DeviceCodes, panel);
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
