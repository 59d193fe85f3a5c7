#pragma once
// How the series stand side by side: by cambial age (each series from its first
// age counted from the pith) or by calendar year (cross-dated). The numbers are
// those of the main menu's two display choices, which the series display keeps.

#include <cstdint>

namespace tarnik {

enum class SeriesAlignment : std::int32_t {
    cambial_age = 1,    // age aligned
    calendar_year = 2,  // cross-dated
};

}  // namespace tarnik
