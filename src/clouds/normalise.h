#pragma once
// Normalisation of the age-class clouds: every class's spline and cloud become
// anomalies over a period that all classes share (or one the user gives), with
// the mean removed and, on request, the standard deviation scaled to one.

#include <cstdint>
#include <span>

#include "console/console.h"
#include "console/textfile.h"
#include "data/cloud_store.h"

namespace tarnik::clouds {

// Mean and standard deviation of x[0..l-1], and standardisation in place.
// Sums are accumulated in double precision; the results are single precision.
//   iop 1: mean := sum / l
//   iop 2: sd := sqrt(sum((x - mean)^2) / (l - 1)) with the mean given
//   iop 3: mean as 1, then sd as 2 about the unrounded (double) mean
//   iop 4: x := (x - mean) / sd with mean and sd given (single precision)
//   iop 5: mean as 1, then standardise with the sd given
//   iop 6: sd as 2 with the mean given, then standardise
//   iop 7: mean and sd as 3, then standardise
// l larger than x.size(), l < 1, iop outside 1..7 and a standard deviation of
// a single value are internal errors (InternalError).
// Returns false when a standardisation (iop 4-7) was asked with a standard
// deviation of zero: x is then left unchanged, because dividing by zero would
// only fill it with infinities. The mean and sd outputs are set in any case.
bool standardise(std::span<float> x, std::int32_t l, float& mean, float& sd, std::int32_t iop);

// The normalisation dialog and the anomalies of classes 1..classnum. Spline and
// cloud values are rewritten in place; spline_skipped / cloud_skipped record for
// every class whether its spline (and with it the whole class) or only its cloud
// was left out. abort is set to 1 when the user chose to return because the
// classes have no common period (nothing is changed then), otherwise to 0.
void normalise_clouds(Console& con, CloudStore& cs, TextFile& report, std::int32_t& abort);

}  // namespace tarnik::clouds
