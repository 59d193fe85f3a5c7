#include "console/format.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tarnik::fmt {
namespace {

void put_stars(std::string& out, int w) {
    if (w > 0) out.append(static_cast<std::size_t>(w), '*');
}

void put_blanks(std::string& out, int n) {
    if (n > 0) out.append(static_cast<std::size_t>(n), ' ');
}

// Infinity and NaN in a real field of width w. The sign of a NaN is not shown.
void put_infnan(std::string& out, double v, int w) {
    if (w <= 0) return;
    if (std::isnan(v)) {
        if (w < 3) return put_stars(out, w);
        put_blanks(out, w - 3);
        out += "NaN";
        return;
    }
    const bool neg = v < 0;
    const char* s;
    if (neg) s = w >= 9 ? "-Infinity" : w >= 4 ? "-Inf" : nullptr;
    else s = w >= 8 ? "Infinity" : w >= 3 ? "Inf" : nullptr;
    if (!s) return put_stars(out, w);
    const int n = static_cast<int>(std::strlen(s));
    put_blanks(out, w - n);
    out.append(s, static_cast<std::size_t>(n));
}

// The decimal digits printf gives for the exact value, in a string of the needed size.
std::string printf_digits(const char* conversion, int precision, double a) {
    int n = std::snprintf(nullptr, 0, conversion, precision, a);
    std::string s(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) std::snprintf(s.data(), s.size() + 1, conversion, precision, a);
    return s;
}

// Writes sign + [0] + body right-justified in w columns, where body starts with
// the decimal point when the integer part is zero (its leading zero is optional
// and written only when there is room). Too wide: asterisks. A field of width 1,
// or of width 2 with a sign, never holds a real.
void put_real_body(std::string& out, bool neg, std::string_view body, bool optional_zero, int w) {
    const int len = static_cast<int>(body.size()) + (neg ? 1 : 0);
    if (len > w || w == 1 || (w == 2 && neg)) return put_stars(out, w);
    const bool zero = optional_zero && len < w;
    put_blanks(out, w - len - (zero ? 1 : 0));
    if (neg) out += '-';
    if (zero) out += '0';
    out.append(body);
}

constexpr std::uint64_t kPow10[20] = {1ULL,
                                      10ULL,
                                      100ULL,
                                      1000ULL,
                                      10000ULL,
                                      100000ULL,
                                      1000000ULL,
                                      10000000ULL,
                                      100000000ULL,
                                      1000000000ULL,
                                      10000000000ULL,
                                      100000000000ULL,
                                      1000000000000ULL,
                                      10000000000000ULL,
                                      100000000000000ULL,
                                      1000000000000000ULL,
                                      10000000000000000ULL,
                                      100000000000000000ULL,
                                      1000000000000000000ULL,
                                      10000000000000000000ULL};

constexpr std::uint64_t kPow5[18] = {1ULL,           5ULL,            25ULL,            125ULL,
                                     625ULL,         3125ULL,         15625ULL,         78125ULL,
                                     390625ULL,      1953125ULL,      9765625ULL,       48828125ULL,
                                     244140625ULL,   1220703125ULL,   6103515625ULL,    30517578125ULL,
                                     152587890625ULL, 762939453125ULL};

constexpr int kFastMaxDecimals = 17;

// The shortcut covers |v| * 10^d below 10^18, so that the scaled value fits
// 64 bits; the limits are a little lower than 10^(18-d) to stay clear of the
// rounding of the constants themselves.
constexpr double kFastLimit[kFastMaxDecimals + 1] = {
    0.99e18, 0.99e17, 0.99e16, 0.99e15, 0.99e14, 0.99e13, 0.99e12, 0.99e11, 0.99e10,
    0.99e9,  0.99e8,  0.99e7,  0.99e6,  0.99e5,  0.99e4,  0.99e3,  0.99e2,  0.99e1};

// |v| * 10^d rounded to an integer, ties to even, computed exactly: |v| is
// m * 2^e with an integer m below 2^53, so |v| * 10^d = m * 5^d * 2^(e+d) and the
// rounding is a shift of a 128-bit integer.
std::uint64_t scaled_round(double a, int d) {
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(a);
    const int biased = static_cast<int>((bits >> 52) & 0x7ff);
    std::uint64_t m = bits & ((std::uint64_t{1} << 52) - 1);
    int e;
    if (biased == 0) {
        e = -1074;
    } else {
        m |= std::uint64_t{1} << 52;
        e = biased - 1075;
    }
    if (m == 0) return 0;
    using u128 = unsigned __int128;
    const u128 p = static_cast<u128>(m) * kPow5[d];  // below 2^53 * 5^17 < 2^93
    const int shift = e + d;
    if (shift >= 0) return static_cast<std::uint64_t>(p << shift);  // below 10^18 by the range check
    const int k = -shift;
    if (k >= 100) return 0;  // p / 2^k < 2^-7: rounds to zero
    const u128 q = p >> k;
    const u128 rem = p - (q << k);
    const u128 half = static_cast<u128>(1) << (k - 1);
    std::uint64_t r = static_cast<std::uint64_t>(q);
    if (rem > half || (rem == half && (r & 1))) ++r;
    return r;
}

bool put_F_fast(std::string& out, double v, int w, int d) {
    if (d > kFastMaxDecimals) return false;
    const double a = std::fabs(v);
    if (!(a < kFastLimit[d])) return false;  // also NaN and infinities
    const bool neg = std::signbit(v);
    std::uint64_t q = scaled_round(a, d);

    // Layout: [blanks][-][0 or integer digits].[d decimals]; the integer part
    // has no digits of its own when it is zero, and its optional zero is written
    // only when the field has room for it.
    int nd = 1;
    while (nd < 20 && q >= kPow10[nd]) ++nd;
    const int int_digits = (q == 0 || nd <= d) ? 0 : nd - d;
    const int len = (neg ? 1 : 0) + int_digits + 1 + d;
    if (len > w || w == 1 || (w == 2 && neg)) {
        put_stars(out, w);
        return true;
    }
    const bool zero = int_digits == 0 && len < w;
    const std::size_t base = out.size();
    out.append(static_cast<std::size_t>(w), ' ');
    char* p = out.data() + base + w;
    for (int k = 0; k < d; ++k) {
        *--p = static_cast<char>('0' + q % 10);
        q /= 10;
    }
    *--p = '.';
    for (int k = 0; k < int_digits; ++k) {
        *--p = static_cast<char>('0' + q % 10);
        q /= 10;
    }
    if (zero) *--p = '0';
    if (neg) *--p = '-';
    return true;
}

}  // namespace

void put_I(std::string& out, std::int64_t v, int w, int m) {
    if (w <= 0) return;
    char digits[24];
    const std::uint64_t mag = v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
    int nd = static_cast<int>(std::to_chars(digits, digits + sizeof digits, mag).ptr - digits);
    if (m == 0 && v == 0) nd = 0;  // iw.0 writes a zero as blanks only
    const int shown = m > nd ? m : nd;
    const int len = shown + (v < 0 ? 1 : 0);
    if (len > w) return put_stars(out, w);
    put_blanks(out, w - len);
    if (v < 0) out += '-';
    if (shown > nd) out.append(static_cast<std::size_t>(shown - nd), '0');
    out.append(digits, static_cast<std::size_t>(nd));
}

namespace detail {

void put_F_exact(std::string& out, double v, int w, int d) {
    if (w <= 0) return;
    if (d < 0) d = 0;
    if (!std::isfinite(v)) return put_infnan(out, v, w);
    const bool neg = std::signbit(v);
    // The field needs at least the point and d decimals; a larger d could only
    // give asterisks and would make the C library build a long string for nothing.
    if (d + 1 + (neg ? 1 : 0) > w) return put_stars(out, w);
    std::string s = printf_digits("%.*f", d, std::fabs(v));
    if (d == 0) s += '.';
    const bool int_zero = s.size() >= 2 && s[0] == '0' && s[1] == '.';
    put_real_body(out, neg, int_zero ? std::string_view(s).substr(1) : std::string_view(s), int_zero, w);
}

}  // namespace detail

void put_F(std::string& out, double v, int w, int d) {
    if (w <= 0) return;
    if (d < 0) d = 0;
    if (!put_F_fast(out, v, w, d)) detail::put_F_exact(out, v, w, d);
}

void put_E(std::string& out, double v, int w, int d, char letter) {
    if (w <= 0) return;
    if (!std::isfinite(v)) return put_infnan(out, v, w);
    const bool neg = std::signbit(v);
    // Shortest form ".d...dE+ee" needs d + 5 columns (d >= 1 for E and D).
    if (d < 1 || d + 5 + (neg ? 1 : 0) > w) return put_stars(out, w);
    const double a = std::fabs(v);
    std::string body = ".";
    int exponent = 0;
    if (a == 0.0) {
        body.append(static_cast<std::size_t>(d), '0');
    } else {
        // d significant digits as "m.mmme+x"; the Fortran form 0.mmmm carries an
        // exponent one higher.
        const std::string t = printf_digits("%.*e", d - 1, a);
        const std::size_t epos = t.find('e');
        for (std::size_t i = 0; i < epos; ++i)
            if (t[i] != '.') body += t[i];
        exponent = std::atoi(t.c_str() + epos + 1) + 1;
    }
    const int ae = std::abs(exponent);
    if (ae > 999) return put_stars(out, w);
    char eb[8];
    if (ae <= 99) std::snprintf(eb, sizeof eb, "%c%c%02d", letter, exponent < 0 ? '-' : '+', ae);
    else std::snprintf(eb, sizeof eb, "%c%03d", exponent < 0 ? '-' : '+', ae);
    body += eb;
    put_real_body(out, neg, body, true, w);
}

void put_A(std::string& out, std::string_view s, int w) {
    if (w <= 0) return;
    const auto uw = static_cast<std::size_t>(w);
    if (s.size() >= uw) {
        out.append(s.substr(0, uw));
    } else {
        out.append(uw - s.size(), ' ');
        out.append(s);
    }
}

std::string I(std::int64_t v, int w) {
    std::string s;
    put_I(s, v, w);
    return s;
}

std::string I(std::int64_t v, int w, int m) {
    std::string s;
    put_I(s, v, w, m);
    return s;
}

int int_width(std::int64_t v) {
    char digits[24];
    const std::uint64_t mag = v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
    return static_cast<int>(std::to_chars(digits, digits + sizeof digits, mag).ptr - digits) + (v < 0 ? 1 : 0);
}

void put_IY(std::string& out, std::int64_t v, int w) { put_I(out, v, std::max(w, int_width(v))); }

std::string IY(std::int64_t v, int w) {
    std::string s;
    put_IY(s, v, w);
    return s;
}

std::string NINTY(double v, int w) {
    if (!std::isfinite(v) || std::fabs(v) > 2147483647.0) return NINT(v, w);
    return IY(std::lround(v), w);
}

std::string FY(double v, int w, int d) {
    // Five digits, a sign and a carry from rounding need at most three columns
    // more than the widths given for years of four digits.
    for (int wider = w; wider <= w + 3; ++wider) {
        std::string s = F(v, wider, d);
        if (s.empty() || s[0] != '*') return s;
    }
    return F(v, w, d);
}

std::string NINT(double v, int w) {
    if (!std::isfinite(v) || std::fabs(v) > 2147483647.0) return std::string(w > 0 ? static_cast<std::size_t>(w) : 0, '*');
    return I(std::lround(v), w);
}

std::string F(double v, int w, int d) {
    std::string s;
    put_F(s, v, w, d);
    return s;
}

std::string E(double v, int w, int d, char letter) {
    std::string s;
    put_E(s, v, w, d, letter);
    return s;
}

std::string A(std::string_view s, int w) {
    std::string r;
    put_A(r, s, w);
    return r;
}

std::string pad(std::string_view s, std::size_t n) {
    std::string r(s);
    if (r.size() < n) r.append(n - r.size(), ' ');
    return r;
}

}  // namespace tarnik::fmt
