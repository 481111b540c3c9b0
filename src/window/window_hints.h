#pragma once

#include "command/convert_upload.h"

// Lines the window adds after a conversion's own reason, to say which of its choices would help.
// The core's reasons name no program and no menu; the window knows its own menus.
namespace marvek::window_hint {

// After a refused line that repair would leave out or mend.
inline constexpr const char* kRepairMends =
    "Options > Repair title files leaves out or mends such lines.";
// After a timed file (SubRip, MPL2) refused for want of a frame rate, following "; ".
inline constexpr const char* kSetDisplayRate =
    "set the display's frame rate in Options > Timing...";

// The hints as the command takes them.
inline MendingHints WindowHints() {
  return {
      .portNamesNoPort = "choose Com1 or Com2, or type a device path such as /dev/ttyUSB0",
      .needsFrameRate = kSetDisplayRate,
      .repairMends = kRepairMends,
  };
}

}  // namespace marvek::window_hint
