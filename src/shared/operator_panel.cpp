#include "shared/operator_panel.h"

#include <poll.h>

#include <algorithm>

namespace marvek {
namespace {

// The longest sleep of one call of the default wait: the face's events wait no longer.
constexpr std::chrono::milliseconds kDefaultWaitTurn{5};

}  // namespace

void OperatorPanel::WaitHandlingEvents(int descriptor, std::chrono::milliseconds limit) {
  ProcessEvents();
  const auto sleep = std::clamp(limit, std::chrono::milliseconds(0), kDefaultWaitTurn);
  // poll() skips an entry whose descriptor is below 0: it then only sleeps.
  pollfd port{descriptor, POLLIN, 0};
  ::poll(&port, 1, static_cast<int>(sleep.count()));
}

}  // namespace marvek
