#include "spline/bandwidth.h"

#include <cmath>

#include "console/console.h"
#include "console/errors.h"
#include "console/format.h"

namespace tarnik::spline {
namespace {

// 2*pi at single precision, widened: the conversion is defined with this value.
constexpr double kTwoPi = static_cast<double>(6.2831854820251465f);

}  // namespace

void sb1bw2p(float bw, double& p) {
    if (bw < 2.0f) {
        throw InternalError{{"", "In sb1bw2p bw < 2."}, kProgrammerPause, false};
    }
    const double omega = kTwoPi / static_cast<double>(bw);
    const double u = std::cos(omega) - 1.0;
    p = 6.0 * u * u / (3.0 + u);
}

void sb1p2bw(double p, float& bw) {
    if (p <= 0.0 || p > 24.0) {
        throw InternalError{{"", "In sb1p2bw p is not in (0,24]. " + fmt::D(p, 17, 10),
                             fmt::X(13) + "This should not happen. Call the nearest programmer", ""},
                            "Hit RETURN to Terminate program : ",
                            true};
    }
    const double q = p / 12.0;
    const double c = 1.0 + (q - std::sqrt((6.0 + q) * q));
    bw = static_cast<float>(kTwoPi / std::acos(c));
}

}  // namespace tarnik::spline
