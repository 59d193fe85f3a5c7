#pragma once
// The spline trend variable: every series of the value store replaced by its
// smoothing spline. From 64 series on, the series are fitted in parallel, on up
// to 8 of the machine's cores.

#include <cstdint>
#include <span>

#include "data/stores.h"

namespace tarnik {

// On entry the value store holds the integer widths as read; on return each
// series holds its spline curve times its scale, truncated toward zero.
// bandwidths[i - 1] is the bandwidth handed to the spline for series i (at least
// 2, or -1 for the minimum-GCV choice, which is replaced by the bandwidth chosen).
// The result does not depend on the number of threads.
void fit_spline_trends(Stores& st, std::span<std::int32_t> bandwidths);

}  // namespace tarnik
