#pragma once
// Small text helpers the readers of ring-width files share: character classes
// that do not depend on the locale, case folding of ASCII letters, blanks
// trimmed or collapsed, whole-number tokens and blank-separated fields.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarnik::text {

constexpr bool is_digit(char c) { return c >= '0' && c <= '9'; }
constexpr bool is_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
// A blank inside a line: a space or a tab.
constexpr bool is_blank_char(char c) { return c == ' ' || c == '\t'; }
// White space of any kind, line ends included.
constexpr bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
constexpr char to_lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The text with its ASCII letters in lower case.
std::string lower(std::string_view s);

// The text without leading and trailing blanks and tabs.
std::string_view trim_blanks(std::string_view s);

// The text in lower case with blanks and tabs removed: keys, kinds and units
// compare so ("Unit=1/100 mm" and "unit=1/100mm").
std::string squeezed_lower(std::string_view s);

// Runs of white space (blanks, tabs, line ends) collapsed to one blank, none
// at either end: names and titles compare so.
std::string collapse_blanks(std::string_view s);

// A whole number written as an optional sign and 1 to `max_digits` digits
// (at most 18), nothing else; no value for anything else.
std::optional<std::int64_t> parse_integer(std::string_view token, std::size_t max_digits = 18);

// True for an optional sign and at least one digit, nothing else, however
// many digits: a whole number, though maybe too large for parse_integer.
bool is_whole_number(std::string_view token);

// The next field of `line` from `pos` on, fields being separated by blanks
// and tabs; `pos` moves past it. No value when only blanks are left.
std::optional<std::string_view> next_field(std::string_view line, std::size_t& pos);

}  // namespace tarnik::text
