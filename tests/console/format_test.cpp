#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

#include "console/format.h"

namespace tarnik::fmt {
namespace {

// The shortcut of put_F (an exact 128-bit integer rounding) must give the same
// bytes as the C library's conversion of the exact binary value, for every
// width, every number of decimals and values of every size.
TEST(FixedPoint, ShortcutAgreesWithExactConversion) {
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::string fast, exact;
    long compared = 0;
    auto check = [&](double v, int w, int d) {
        fast.clear();
        exact.clear();
        put_F(fast, v, w, d);
        detail::put_F_exact(exact, v, w, d);
        ++compared;
        if (fast != exact) {
            ADD_FAILURE() << "F" << w << "." << d << " of " << std::hexfloat << v << std::defaultfloat << " ("
                          << v << "): shortcut [" << fast << "] exact [" << exact << "]";
            return false;
        }
        return true;
    };
    for (int k = 0; k < 600'000; ++k) {
        double v;
        switch (k % 5) {
            case 0:  // any float of the shortcut's range, from the smallest subnormal up
                do v = std::bit_cast<float>(static_cast<std::uint32_t>(rng())); while (!(std::fabs(v) < 1e18));
                break;
            case 1: v = static_cast<float>(std::pow(10.0, -12.0 + 30.0 * u(rng))); break;
            case 2: v = static_cast<float>(static_cast<int>(rng() % 2'000'001) - 1'000'000) / 1000.0f; break;
            case 3: v = static_cast<double>(rng() % 1'000'000) / static_cast<double>(std::uint64_t{1} << (rng() % 40)); break;
            default: v = std::pow(10.0, -20.0 + 40.0 * u(rng)); break;  // doubles
        }
        if (!std::isfinite(v)) continue;
        if (rng() & 1) v = -v;
        const int w = 1 + static_cast<int>(rng() % 40);
        const int d = static_cast<int>(rng() % 18);
        if (!check(v, w, d)) break;
    }
    // Every width and number of decimals of the export layouts around the ties.
    for (int w = 1; w <= 12; ++w)
        for (int d = 0; d <= 8; ++d)
            for (double v : {0.0, -0.0, 0.5, -0.5, 0.125, 0.0625, 2.5, 9.9995, 999.9995, 1e-300, 4.9e-324, 0.99999999})
                check(v, w, d);
    EXPECT_GT(compared, 500'000);
}

TEST(FixedPoint, RoundsTheExactBinaryValueTiesToEven) {
    EXPECT_EQ(F(0.125, 5, 2), " 0.12");   // exact tie: even digit
    EXPECT_EQ(F(0.375, 5, 2), " 0.38");
    EXPECT_EQ(F(2.5, 3, 0), " 2.");
    EXPECT_EQ(F(0.35f, 5, 1), "  0.3");  // 0.35f lies below 0.35
    EXPECT_EQ(F(1.005, 5, 2), " 1.00");  // so does the double 1.005
}

TEST(FixedPoint, OptionalZeroSignAndOverflow) {
    EXPECT_EQ(F(0.5, 4, 2), "0.50");
    EXPECT_EQ(F(0.5, 3, 2), ".50");
    EXPECT_EQ(F(-0.5, 4, 2), "-.50");
    EXPECT_EQ(F(-0.001, 5, 2), "-0.00");  // rounds to zero, keeps its sign
    EXPECT_EQ(F(-0.0, 8, 3), "  -0.000");
    EXPECT_EQ(F(0.0, 8, 3), "   0.000");
    EXPECT_EQ(F(12345.678, 8, 3), "********");
    EXPECT_EQ(F(-1234.567, 9, 3), "-1234.567");
    EXPECT_EQ(F(0.4, 1, 0), "*");  // a real never fits one column
}

TEST(Integer, FieldsAndMinimumDigits) {
    EXPECT_EQ(I(1000, 3), "***");
    EXPECT_EQ(I(-99, 3), "-99");
    EXPECT_EQ(I(-100, 3), "***");
    EXPECT_EQ(I(std::numeric_limits<std::int64_t>::min(), 20), "-9223372036854775808");
    EXPECT_EQ(I(7, 5, 3), "  007");
    EXPECT_EQ(I(0, 5, 0), "     ");
    EXPECT_EQ(I(-12, 4, 4), "****");
}

TEST(Exponent, LetterDropsForThreeDigitExponents) {
    EXPECT_EQ(D(30.0, 17, 10), " 0.3000000000D+02");
    EXPECT_EQ(E(12.345, 9, 4), ".1235E+02");
    EXPECT_EQ(E(1e100, 12, 4), "  0.1000+101");
    EXPECT_EQ(E(-0.0, 12, 4), " -0.0000E+00");
}

TEST(Text, AJustifiesOrCutsAndPadNeverCuts) {
    EXPECT_EQ(A("abc", 5), "  abc");
    EXPECT_EQ(A("abcdef", 4), "abcd");
    EXPECT_EQ(pad("ab", 4), "ab  ");
    EXPECT_EQ(pad("abcdef", 4), "abcdef");
}

TEST(Infinities, WrittenAsFarAsTheFieldAllows) {
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(F(inf, 8, 3), "Infinity");
    EXPECT_EQ(F(-inf, 8, 3), "    -Inf");
    EXPECT_EQ(F(-inf, 3, 1), "***");
    EXPECT_EQ(E(std::nan(""), 12, 4), "         NaN");
}

}  // namespace
}  // namespace tarnik::fmt
