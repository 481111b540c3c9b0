#pragma once

#include <string>
#include <vector>

#include "report.h"

namespace marvek::bench {

// The rows of a display served over the network: the film of `titleFile` through ser2net on
// 127.0.0.1 to the display on a paced line of 115200 bit/s, with and without ser2net's
// chardelay, against the wire time; and the median round trip of one block on loopback.
// `intact` turns false when an image arrives damaged or ser2net cannot be started.
void AddNetworkRows(const std::string& titleFile, std::vector<Row>& rows, bool& intact);

}  // namespace marvek::bench
