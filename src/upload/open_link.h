#pragma once

#include <memory>

#include "shared/operator_panel.h"
#include "upload/display_link.h"
#include "upload/serial_link.h"

namespace marvek {

// A link to the display, open, or why there is none (status).
struct OpenedLink {
  std::unique_ptr<DisplayLink> link;  // null when the status is a failure
  LinkStatus status;
};

// Opens the link the operator chose: a serial port of this machine, or a port served over the
// network. The caller never needs to know which.
OpenedLink OpenDisplayLink(const LinkSettings& settings, OperatorPanel& panel);

}  // namespace marvek
