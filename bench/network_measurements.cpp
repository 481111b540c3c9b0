#include "network_measurements.h"

#include <cstdio>

#include "measurements.h"
#include "port_server/port_server.h"
#include "upload/block_upload.h"
#include "upload/open_link.h"

namespace marvek::bench {
namespace {

constexpr long kFilmSpeed = 115200;
constexpr int kRuns = 3;
// Enough blocks for a steady median, few enough to stay quick behind an unpaced display.
constexpr std::size_t kRoundTripBlocks = 2'000;

std::string Tenths(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

// Uploads `image` through ser2net to a display on a line of `bitsPerSecond` (unpaced when 0),
// over RFC 2217; figures of nothing when ser2net or the connection cannot be had.
FilmUploadFigures ServedUpload(const ByteString& image, long bitsPerSecond, bool chardelay) {
  sim::SimOptions line;
  line.lineSpeed = bitsPerSecond;
  sim::TitleDisplaySim display(line);
  if (display.Start()) return {};
  sim::PortServer server(display.PortPath(), chardelay);
  if (const auto failed = server.Start()) {
    std::fprintf(stderr, "ser2net: %s\n", failed->c_str());
    return {};
  }
  QuietPanel panel;
  const long speed = bitsPerSecond > 0 ? bitsPerSecond : kFilmSpeed;
  OpenedLink opened = OpenDisplayLink(
      FromOperatorChoice(server.ComPortControlAddress(), std::to_string(speed)), panel);
  if (!opened.link) return {};
  return TimeFilmUpload(image, speed, *opened.link, display);
}

// The best of kRuns: other programs on the machine only ever add to an upload's time.
FilmUploadFigures BestServedUpload(const ByteString& image, bool chardelay) {
  FilmUploadFigures best;
  for (int run = 0; run < kRuns; ++run) {
    const FilmUploadFigures f = ServedUpload(image, kFilmSpeed, chardelay);
    if (run == 0 || !f.intact || f.uploadMs < best.uploadMs) best = f;
    if (!f.intact) break;
  }
  return best;
}

}  // namespace

void AddNetworkRows(const std::string& titleFile, std::vector<Row>& rows, bool& intact) {
  const ByteString film = FilmImage(titleFile);
  const auto filmRow = [&](const FilmUploadFigures& f, const std::string& name, double limit) {
    intact = intact && f.intact;
    rows.push_back({name, f.wireMs > 0 ? f.uploadMs / f.wireMs : 0, "x", limit, true,
                    Tenths(f.uploadMs) + " ms / " + Tenths(f.wireMs) + " ms wire, " +
                        Tenths(f.medianBlockUs) + " us per block, best of " +
                        std::to_string(kRuns) + "; image " + (f.intact ? "intact" : "DAMAGED")});
  };
  filmRow(BestServedUpload(film, false), "Film at 115200 via ser2net (RFC 2217): upload / wire",
          1.10);
  filmRow(BestServedUpload(film, true), "The same with ser2net's chardelay on", 0);

  const ByteString blocks(kRoundTripBlocks * kBlockSize, 'x');
  const FilmUploadFigures trip = ServedUpload(blocks, 0, false);
  intact = intact && trip.intact;
  rows.push_back({"Loopback round trip via ser2net: median per block", trip.medianBlockUs, "us", 0,
                  true,
                  std::to_string(kRoundTripBlocks) + " blocks, display answering at once; image " +
                      (trip.intact ? "intact" : "DAMAGED")});
}

}  // namespace marvek::bench
