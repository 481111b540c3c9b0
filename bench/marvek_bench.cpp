// Measures the conversion and the upload against their targets and prints one table.
//   marvek_bench [--json] [--network] [--runs N] [--folder DIR]
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "bench_rows.h"
#include "film_track_bench.h"
#include "measurements.h"
#include "network_measurements.h"
#include "report.h"

namespace {

using marvek::bench::BenchOptions;

// Reads a whole decimal number: "--runs x" is refused, not taken as 0.
bool ReadCount(std::string_view text, int& count) {
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, count);
  return error == std::errc{} && stop == end;
}

BenchOptions Parse(int argc, char** argv) {
  BenchOptions options;
  options.folder = (std::filesystem::temp_directory_path() / "marvek-bench").string();
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    int runs = 0;
    if (arg == "--json") {
      options.json = true;
    } else if (arg == "--network") {
      options.networkOnly = true;
    } else if (arg == "--runs" && i + 1 < argc && ReadCount(argv[i + 1], runs)) {
      options.runs = std::max(5, runs);
      ++i;
    } else if (arg == "--folder" && i + 1 < argc) {
      options.folder = argv[++i];
    } else {
      std::fprintf(
          stderr,
          "usage: marvek_bench [--json] [--network] [--runs N (5 or more, 9 unless given)] "
          "[--folder DIR]\n");
      std::exit(2);
    }
  }
  return options;
}

}  // namespace

// The rows of a display served over the network come last; --network asks for them alone, with
// the film straight to the pseudo-terminal beside them as the yardstick of the same moment.
int main(int argc, char** argv) {
  using namespace marvek::bench;
  Bench bench(Parse(argc, argv));
  const bool all = !bench.options().networkOnly;
  std::vector<Row> rows;
  for (const RowMaker& maker : kRowMakers) {
    if (!all && !maker.network) continue;
    if (maker.announce != nullptr && !bench.options().json) {
      std::fprintf(stderr, "%s\n", maker.announce);
    }
    rows.push_back(maker.make(bench));
  }
  if (all) {
    if (!bench.options().json) {
      std::fprintf(stderr, "Reading a film's title track (the film is made once and kept)...\n");
    }
    for (Row& row : FilmTrackRows(bench.options().folder, bench.options().runs)) {
      rows.push_back(std::move(row));
    }
  }
  bool met = true;
  AddNetworkRows(TitleFileOfLines(bench.options().folder, kFilmTitles), rows, met);
  const std::string machine = DescribeMachine();
  if (bench.options().json) {
    PrintJson(rows, machine);
  } else {
    PrintTable(rows, machine);
  }
  met = met && !bench.damaged();
  for (const Row& row : rows) met = met && row.Met();
  return met ? 0 : 1;
}
