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

// What standardise computes from x[0..l-1]. Sums are accumulated in double
// precision; the results are single precision.
enum class StatisticsMode : std::int32_t {
    mean = 1,                     // mean := sum / l
    deviation = 2,                // sd := sqrt(sum((x - mean)^2) / (l - 1)) with the mean given
    mean_and_deviation = 3,       // mean, then sd about the unrounded (double) mean
    scale_given = 4,              // x := (x - mean) / sd with mean and sd given (single precision)
    scale_own_mean = 5,           // mean, then standardise with the sd given
    scale_own_deviation = 6,      // sd with the mean given, then standardise
    scale_own_mean_and_deviation = 7,  // mean and sd as mean_and_deviation, then standardise
};

// Mean and standard deviation of x[0..l-1], and standardisation in place, as
// the mode asks. l larger than x.size(), l < 1 and a standard deviation of a
// single value are internal errors (InternalError).
// Returns false when a standardisation was asked with a standard deviation of
// zero: x is then left unchanged, because dividing by zero would only fill it
// with infinities. The mean and sd outputs are set in any case.
bool standardise(std::span<float> x, std::int32_t l, float& mean, float& sd, StatisticsMode mode);

enum class NormaliseResult {
    normalised,        // the anomalies are computed (classes may have been left out)
    no_common_period,  // the user chose to return, because the classes share no period
};

// The normalisation dialog and the anomalies of classes 1..classnum. Spline and
// cloud values are rewritten in place; spline_skipped / cloud_skipped record for
// every class whether its spline (and with it the whole class) or only its cloud
// was left out. Nothing is changed when the result is no_common_period.
NormaliseResult normalise_clouds(Console& con, CloudStore& cs, TextFile& report);

}  // namespace tarnik::clouds
