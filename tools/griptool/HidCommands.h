#pragma once

#include <ostream>

class THidBackend;

namespace THidCommands {
// One line per HID interface: I VID:PID "Vendor" "Product" in=N out=M PATH. An interface
// that cannot be queried is listed with zero IDs, empty strings and lengths.
void List(THidBackend& backend, std::ostream& out);
} // namespace THidCommands
