#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>

#include "console/format.h"

namespace tarnik::fmt {
namespace {

// The shortcut of put_F (an exact 128-bit integer rounding) must give the same
// bytes as the C library's conversion of the exact binary value.
TEST(FixedPoint, ShortcutAgreesWithExactConversion) {
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::string fast, exact;
    auto check = [&](double v, int w, int d) {
        fast.clear();
        exact.clear();
        put_F(fast, v, w, d);
        detail::put_F_exact(exact, v, w, d);
        EXPECT_EQ(fast, exact) << "F" << w << "." << d << " of " << std::hexfloat << v;
        return fast == exact;
    };
    for (int k = 0; k < 600'000; ++k) {
        double v;
        switch (k % 4) {
            case 0:  // any float of the shortcut's range, from the smallest subnormal up
                do v = std::bit_cast<float>(static_cast<std::uint32_t>(rng())); while (!(std::fabs(v) < 1e18));
                break;
            case 1: v = static_cast<float>(static_cast<int>(rng() % 2'000'001) - 1'000'000) / 1000.0f; break;
            case 2: v = static_cast<double>(rng() % 1'000'000) / static_cast<double>(std::uint64_t{1} << (rng() % 40)); break;
            default: v = std::pow(10.0, -20.0 + 40.0 * u(rng)); break;  // doubles
        }
        if (!check((rng() & 1) ? -v : v, 1 + static_cast<int>(rng() % 40), static_cast<int>(rng() % 18))) return;
    }
    for (int w = 1; w <= 12; ++w)
        for (int d = 0; d <= 8; ++d)
            for (double v : {-0.0, 0.5, -0.5, 0.125, 2.5, 9.9995, 999.9995, 4.9e-324, 0.99999999}) check(v, w, d);
}

// Numeric fields are compared with the Fortran runtime in fortran_oracle_test.cpp.
TEST(Text, AJustifiesOrCutsAndPadNeverCuts) {
    EXPECT_EQ(A("abc", 5), "  abc");
    EXPECT_EQ(A("abcdef", 4), "abcd");
    EXPECT_EQ(pad("abcdef", 4), "abcdef");
    EXPECT_EQ(pad("ab", 4), "ab  ");
}

}  // namespace
}  // namespace tarnik::fmt
