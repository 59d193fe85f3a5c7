#pragma once
// Start-up dialogs of the driver.

#include <cstdint>
#include <string>
#include <vector>

#include "console/console.h"

namespace tarnik {

// Asks whether there is a pith offset file and, if so, for its name and the
// method to read it, then reads the offsets (offset of series i at [i - 1]).
// Without a file the offsets are emptied (every series then has offset 0).
// Returns the offset file's name (empty without one).
std::string pith_offset_dialog(Console& con, const std::string& input_name, std::vector<std::int32_t>& offsets);

}  // namespace tarnik
