#include "spline/bandwidth_request.h"

#include <cmath>
#include <limits>

namespace tarnik::spline {

void print_jdt_rules(Console& con) {
    con.line(menu_indent("Enter an integer [jdt] for the bandwidth."));
    con.line(menu_indent("if jdt is < 0, bandwidth = (-jdt/100)*n."));
    con.line(menu_indent("if jdt is > 1, bandwidth = jdt."));
    con.line(menu_indent("if jdt is = 0, minimum-gcv bandwidth"));
    con.line(menu_indent("               is computed by program."));
}

BandwidthRequest bandwidth_request(std::int32_t jdt, std::int32_t n) {
    if (jdt == 0) return {-1, false};
    std::int32_t bw = jdt;
    if (jdt < 0) {
        const float years = (static_cast<float>(-static_cast<std::int64_t>(jdt)) / 100.0f) * static_cast<float>(n);
        bw = years >= 2147483647.0f ? std::numeric_limits<std::int32_t>::max()
                                    : static_cast<std::int32_t>(std::lround(years));
    }
    if (bw < 2) return {2, true};
    return {bw, false};
}

}  // namespace tarnik::spline
