#pragma once
// The bandwidth request jdt that the spline menus read: below 0 a percentage of
// the number of values, 0 the bandwidth of minimum GCV, above 1 years.

#include <cstdint>

#include "console/console.h"

namespace tarnik::spline {

// The five lines that explain jdt in every spline menu (indented 13).
void print_jdt_rules(Console& con);

// The bandwidth handed to the equally spaced spline for n values: jdt < 0 gives
// (-jdt/100)*n in single precision rounded to the nearest year, jdt > 0 jdt
// itself, jdt == 0 -1 (the spline then chooses and reports the bandwidth). A
// bandwidth below 2 from jdt != 0 becomes 2 and sets `raised`.
struct BandwidthRequest {
    std::int32_t bandwidth = 0;
    bool raised = false;
};
BandwidthRequest bandwidth_request(std::int32_t jdt, std::int32_t n);

}  // namespace tarnik::spline
