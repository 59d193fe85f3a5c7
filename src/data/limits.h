#pragma once
// Fixed limits of the data model. Storage grows on demand up to these limits;
// exceeding one ends the run with its own message.

#include <cstdint>

namespace tarnik {

inline constexpr std::int32_t MaxSeries = 22000;    // series in one file; also pith offsets
inline constexpr std::int32_t MaxYears = 2100;      // values per series; highest cambial age
// Calendar years as the decadal format counts them (0 is 1 BC, -1 is 2 BC).
inline constexpr std::int32_t MinCalendarYear = -9999;
inline constexpr std::int32_t MaxCalendarYear = 9999;
inline constexpr std::int32_t MaxValues = 4620000;  // values of all series together
inline constexpr std::int32_t mxnc = 50;            // age classes in one definition
inline constexpr std::int32_t CloudMax = 1500000;   // points per age-class cloud

}  // namespace tarnik
