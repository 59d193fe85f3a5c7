#pragma once
// Reproducible test data for the spline engines, and the capture of fatal stops.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

#include "console/errors.h"
#include "support/test_support.h"

namespace tarnik::spline::test {

// splitmix64: the same numbers on every platform.
class Rng {
public:
    explicit Rng(std::uint64_t seed) : s_(seed) {}
    double uniform() {  // [0, 1)
        std::uint64_t z = (s_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return static_cast<double>((z ^ (z >> 31)) >> 11) * 0x1.0p-53;
    }
    double normal() { return std::sqrt(-2.0 * std::log(1.0 - uniform())) * std::cos(6.283185307179586 * uniform()); }

private:
    std::uint64_t s_;
};

// Ring-width-like values in millimetres: an age trend, a slow wave and noise.
inline std::vector<float> growth_series(int n, std::uint64_t seed, double noise = 0.15) {
    Rng rng(seed);
    std::vector<float> v;
    for (int i = 0; i < n; ++i)
        v.push_back(static_cast<float>(0.4 + 1.6 * std::exp(-i / 60.0) + 0.2 * std::sin(i / 23.0) + noise * rng.normal()));
    return v;
}

// Cloud-like data: distinct years with gaps, means of 1..8 replicates weighted
// by 1/count (or equal weights of 0.7).
struct Cloud {
    std::vector<double> x, f, df;
    Cloud(int n, std::uint64_t seed, bool equal_weights = false) {
        Rng rng(seed);
        for (double year = 1600; static_cast<int>(x.size()) < n;) {
            year += 1 + (rng.uniform() < 0.25 ? 1 + static_cast<int>(4 * rng.uniform()) : 0);
            const int reps = equal_weights ? 1 : 1 + static_cast<int>(8 * rng.uniform());
            x.push_back(year);
            f.push_back(1.2 + 0.5 * std::sin((year - 1600) / 25.0) + 0.35 * rng.normal() / std::sqrt(reps));
            df.push_back(equal_weights ? 0.7 : 1.0 / reps);
        }
    }
    int n() const { return static_cast<int>(x.size()); }
};

// Runs `f`, which must stop with an InternalError, and returns it.
inline InternalError fatal(const std::function<void()>& f) {
    try {
        f();
    } catch (const InternalError& e) {
        return e;
    }
    ADD_FAILURE() << "no InternalError was thrown";
    return {};
}

}  // namespace tarnik::spline::test
