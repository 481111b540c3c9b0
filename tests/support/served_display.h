#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "port_server/port_server.h"
#include "title_display_sim/title_display_sim.h"

namespace marvek::testing {

// The simulated display behind ser2net on 127.0.0.1, as a display behind a serial device
// server in the booth.
struct ServedDisplay {
  explicit ServedDisplay(sim::SimOptions options = {}) : display(std::move(options)) {
    if (!sim::PortServer::Installed()) {
      ADD_FAILURE() << "ser2net is not installed; ./dev installs it";
      return;
    }
    if (const auto failed = display.Start()) {
      ADD_FAILURE() << *failed;
      return;
    }
    server.emplace(display.PortPath());
    if (const auto failed = server->Start()) ADD_FAILURE() << *failed;
  }
  std::string Port(bool comPortControl) const {
    return comPortControl ? server->ComPortControlAddress() : server->RawAddress();
  }

  sim::TitleDisplaySim display;
  std::optional<sim::PortServer> server;
};

}  // namespace marvek::testing
