#pragma once
// Parsing of one answer line in each of the ways the dialogs read answers.
// All functions are pure: they return no value when the line cannot be read.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarnik {

// Integer field of w columns: only the first w characters count, blanks are
// ignored (also between digits), an all-blank field reads as 0, an optional sign
// may lead. Anything else is unreadable.
std::optional<std::int32_t> parse_int_field(std::string_view line, int w);

// Reals are read for single-precision variables: a value beyond the range of
// float (about 3.4e38) is unreadable, like one that is not a number.
//
// Real field of w columns with d implied decimals: a number typed without a
// decimal point (even one with an exponent) is divided by 10^d; blanks are ignored.
std::optional<double> parse_real_field(std::string_view line, int w, int d);

// Free-form (list-directed) reading: the first item of the line, items being
// separated by blanks, tabs or a comma. Returns no value for an unreadable item.
// Callers skip empty lines before calling (see is_blank).
std::optional<std::int32_t> parse_free_int(std::string_view line);
std::optional<double> parse_free_real(std::string_view line);
// Free-form logical: optional '.', then t/T (true) or f/F (false); the rest of
// the item is ignored.
std::optional<bool> parse_free_logical(std::string_view line);

// First character of the line, blank for an empty line.
char first_char(std::string_view line);

// True for an empty line or a line holding only blanks and tabs.
bool is_blank(std::string_view line);

// A line of a file as shown in a message: at most 200 characters ("..." marks
// the cut), control and non-ASCII bytes shown as '?'.
std::string printable(std::string_view line);

// Line without trailing blanks.
std::string_view trim_right(std::string_view s);

}  // namespace tarnik
