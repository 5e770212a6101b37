// The operating system as the unit tests see it, behind the platform seam:
// every path opens `fake_os::image` at descriptor 3, the date is 1 March,
// and the calls that make a change last are logged in their order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fake_os {

extern std::vector<std::uint8_t> image;
extern std::string log;
extern bool fail_folder_sync;

}  // namespace fake_os
