#pragma once
// Test data for the spline engines: reproducible synthetic series and the ring
// widths of the example file, plus the fatal-error capture used by every test.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "console/errors.h"
#include "support/test_support.h"

namespace tarnik::spline::test {

// A small deterministic generator (splitmix64), the same on every platform.
class Rng {
public:
    explicit Rng(std::uint64_t seed) : s_(seed) {}
    double uniform() {  // in [0, 1)
        std::uint64_t z = (s_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        z ^= z >> 31;
        return static_cast<double>(z >> 11) * 0x1.0p-53;
    }
    double normal() {  // Box-Muller
        const double u1 = 1.0 - uniform();
        const double u2 = uniform();
        return std::sqrt(-2.0 * std::log(u1)) * std::cos(6.283185307179586 * u2);
    }

private:
    std::uint64_t s_;
};

// A ring-width-like series: a negative exponential age trend, a slow wave and
// noise, in millimetres.
inline std::vector<float> growth_series(int n, std::uint64_t seed, double noise = 0.15) {
    Rng rng(seed);
    std::vector<float> v(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const double t = i;
        const double trend = 0.4 + 1.6 * std::exp(-t / 60.0) + 0.2 * std::sin(t / 23.0);
        v[static_cast<std::size_t>(i)] = static_cast<float>(trend + noise * rng.normal());
    }
    return v;
}

// The first `count` series of a decadal ring-width file (8-character identifier,
// 4-digit decade year, values of 6 columns, end marker 999 or -9999), as real
// widths in millimetres.
inline std::vector<std::vector<float>> decadal_series(const std::string& file, int count) {
    std::ifstream in(tarnik::test::data_file(file));
    std::vector<std::vector<float>> out;
    std::vector<float> cur;
    std::string line;
    while (std::getline(in, line) && static_cast<int>(out.size()) < count) {
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
        if (line.size() < 18) continue;
        bool ok = true;
        std::vector<int> vals;
        for (std::size_t pos = 12; pos < line.size(); pos += 6) {
            const std::string text = line.substr(pos, 6);
            if (text.find_first_not_of(' ') == std::string::npos) break;  // blank tail
            std::istringstream field(text);
            int v = 0;
            if (!(field >> v)) {
                ok = false;
                break;
            }
            vals.push_back(v);
        }
        if (!ok || vals.empty()) continue;
        for (int v : vals) {
            if (v == 999 || v == -9999) {
                const float scale = v == 999 ? 100.0f : 1000.0f;
                for (float& x : cur) x /= scale;
                out.push_back(cur);
                cur.clear();
                break;
            }
            cur.push_back(static_cast<float>(v));
        }
    }
    return out;
}

// Runs `f`, which must end with an InternalError, and returns it.
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
