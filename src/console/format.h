#pragma once
// Fixed-width record notation, written and read as a Fortran runtime does.
//
// Edit descriptors as functions (the common case in the dialogs):
//   I(v, w)      iw    integer right-justified in w columns
//   F(v, w, d)   fw.d  real with d decimals in w columns
//   E(v, w, d)   ew.d  real with exponent; D(v, w, d) the same with letter D
//   A(s, w)      aw    text in w columns (right-justified when shorter, the
//                      leftmost w characters when longer)
//   X(n)         nx    n blanks
// A number too wide for its field is written as w asterisks. Rounding is to
// nearest on the exact binary value, ties to even (as the Fortran runtime does);
// negative values that round to zero keep their sign ("-0.00").
//
// pad(s, n) is a character variable of length n written with plain "a": the text
// padded with blanks on the right to n characters (never cut).

#include <cstdint>
#include <string>
#include <string_view>

namespace tarnik::fmt {

std::string I(std::int64_t v, int w);
std::string F(double v, int w, int d);
std::string E(double v, int w, int d, char letter = 'E');
inline std::string D(double v, int w, int d) { return E(v, w, d, 'D'); }
std::string A(std::string_view s, int w);
inline std::string X(int n) { return std::string(n > 0 ? static_cast<std::size_t>(n) : 0, ' '); }
std::string pad(std::string_view s, std::size_t n);

}  // namespace tarnik::fmt
