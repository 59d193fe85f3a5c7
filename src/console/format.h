#pragma once
// Fixed-width record notation, written as the Fortran runtime writes it.
//
// Edit descriptors as functions (the common case in the dialogs):
//   I(v, w)      iw    integer right-justified in w columns
//   I(v, w, m)   iw.m  the same with at least m digits (leading zeros); with
//                      m = 0 a zero value is written as w blanks
//   F(v, w, d)   fw.d  real with d decimals in w columns
//   E(v, w, d)   ew.d  real as 0.ddddE+ee; D(v, w, d) the same with letter D.
//                      Exponents beyond two digits drop the letter (0.1000+101),
//                      beyond three digits the field is asterisks
//   A(s, w)      aw    text in w columns (right-justified when shorter, the
//                      leftmost w characters when longer)
//   X(n)         nx    n blanks
//   NINT(v, w)   iw    of nint(v): the real rounded to the nearest integer,
//                      halves away from zero; asterisks when that is no 32-bit
//                      integer (or v is not finite)
//   IY(v, w)     iw    for a calendar year: a year that needs more than w
//                      columns (-2649 in i4) gets exactly the columns it needs
//                      instead of asterisks, so that no year is ever lost
//   NINTY(v, w)  the same for a year held as a real (rounded as NINT)
//   FY(v, w, d)  fw.d for a year held as a real (an axis limit): widened by
//                the columns a year of up to five digits needs
// A number too wide for its field is written as w asterisks. Rounding is to
// nearest on the exact binary value, ties to even; negative values that round to
// zero keep their sign ("-0.00"), and so does -0.0. The optional zero before the
// decimal point of a value below one is written only when the field has room for
// it (".50" in f3.2, "0.50" in f4.2). Infinity and NaN are written as "Infinity",
// "-Infinity", "Inf", "-Inf" or "NaN", whichever fits (asterisks otherwise).
//
// pad(s, n) is a character variable of length n written with plain "a": the text
// padded with blanks on the right to n characters (never cut).
//
// The put_* forms append the field to a string without building a temporary;
// the record writer (record_format.h) uses them. A width w <= 0 writes nothing.

#include <cstdint>
#include <string>
#include <string_view>

namespace tarnik::fmt {

std::string I(std::int64_t v, int w);
std::string I(std::int64_t v, int w, int m);
std::string F(double v, int w, int d);
std::string E(double v, int w, int d, char letter = 'E');
inline std::string D(double v, int w, int d) { return E(v, w, d, 'D'); }
std::string A(std::string_view s, int w);
inline std::string X(int n) { return std::string(n > 0 ? static_cast<std::size_t>(n) : 0, ' '); }
std::string pad(std::string_view s, std::size_t n);
std::string NINT(double v, int w);
std::string IY(std::int64_t v, int w);
std::string NINTY(double v, int w);
std::string FY(double v, int w, int d);
// Columns an integer takes: its digits and a sign.
int int_width(std::int64_t v);

// m < 0: no minimum number of digits (plain iw).
void put_I(std::string& out, std::int64_t v, int w, int m = -1);
void put_F(std::string& out, double v, int w, int d);
void put_E(std::string& out, double v, int w, int d, char letter = 'E');
void put_A(std::string& out, std::string_view s, int w);
void put_IY(std::string& out, std::int64_t v, int w);

namespace detail {
// The reference form of put_F: decimal conversion of the exact binary value by
// the C library. put_F takes an integer shortcut for the common widths and must
// agree with this byte for byte.
void put_F_exact(std::string& out, double v, int w, int d);
}  // namespace detail

}  // namespace tarnik::fmt
