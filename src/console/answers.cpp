#include "console/answers.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace tarnik {
namespace {

bool is_space(char c) { return c == ' ' || c == '\t'; }

// Optional sign followed by at least one digit, nothing else; no value on overflow.
std::optional<std::int32_t> parse_digits(std::string_view s) {
    if (s.empty()) return std::nullopt;
    bool negative = false;
    std::size_t i = 0;
    if (s[0] == '+' || s[0] == '-') {
        negative = s[0] == '-';
        i = 1;
    }
    if (i == s.size()) return std::nullopt;
    std::int64_t v = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9') return std::nullopt;
        v = v * 10 + (s[i] - '0');
        if (v > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1) return std::nullopt;
    }
    if (negative) v = -v;
    if (v > std::numeric_limits<std::int32_t>::max() || v < std::numeric_limits<std::int32_t>::min())
        return std::nullopt;
    return static_cast<std::int32_t>(v);
}

// A real number in Fortran input syntax: sign, digits with an optional decimal
// point, optional exponent (e, E, d, D, q or Q, or a bare signed exponent).
struct RealText {
    double value = 0.0;
    bool has_point = false;  // a decimal point was present
};
std::optional<RealText> parse_real_text(std::string_view s) {
    bool has_point = false;
    std::string mantissa;
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) mantissa += s[i++];
    bool digits = false;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) { mantissa += s[i]; digits = true; }
    if (i < s.size() && s[i] == '.') {
        has_point = true;
        mantissa += s[i++];
        for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) { mantissa += s[i]; digits = true; }
    }
    if (!digits) return std::nullopt;
    long exponent = 0;
    if (i < s.size()) {
        char c = s[i];
        if (c == 'e' || c == 'E' || c == 'd' || c == 'D' || c == 'q' || c == 'Q') ++i;
        else if (c != '+' && c != '-') return std::nullopt;
        auto e = parse_digits(s.substr(i));
        if (!e) return std::nullopt;
        exponent = *e;
        i = s.size();
    }
    if (exponent > 400 || exponent < -400) return std::nullopt;
    mantissa += 'e' + std::to_string(exponent);
    char* end = nullptr;
    double v = std::strtod(mantissa.c_str(), &end);
    if (end != mantissa.c_str() + mantissa.size() || !std::isfinite(v)) return std::nullopt;
    // Every real answer is stored as a single-precision real: a value beyond
    // its range would become infinite there, so it cannot be read.
    if (std::fabs(v) > static_cast<double>(std::numeric_limits<float>::max())) return std::nullopt;
    return RealText{v, has_point};
}

// First list-directed item: leading blanks skipped, ended by a blank, tab, comma
// or slash. A line starting with a comma or slash has a null first item.
std::optional<std::string_view> first_item(std::string_view line) {
    std::size_t b = 0;
    while (b < line.size() && is_space(line[b])) ++b;
    if (b == line.size() || line[b] == ',' || line[b] == '/') return std::nullopt;
    std::size_t e = b;
    while (e < line.size() && !is_space(line[e]) && line[e] != ',' && line[e] != '/') ++e;
    return line.substr(b, e - b);
}

std::string field_without_blanks(std::string_view line, int w) {
    std::string s;
    for (std::size_t i = 0; i < line.size() && i < static_cast<std::size_t>(w); ++i)
        if (line[i] != ' ') s += line[i];
    return s;
}

}  // namespace

std::optional<std::int32_t> parse_int_field(std::string_view line, int w) {
    std::string s = field_without_blanks(line, w);
    if (s.empty()) return 0;
    return parse_digits(s);
}

std::optional<double> parse_real_field(std::string_view line, int w, int d) {
    std::string s = field_without_blanks(line, w);
    if (s.empty()) return 0.0;
    const auto r = parse_real_text(s);
    if (!r) return std::nullopt;
    double v = r->value;
    if (!r->has_point) v /= std::pow(10.0, d);
    return v;
}

std::optional<std::int32_t> parse_free_int(std::string_view line) {
    auto item = first_item(line);
    if (!item) return std::nullopt;
    return parse_digits(*item);
}

std::optional<double> parse_free_real(std::string_view line) {
    auto item = first_item(line);
    if (!item) return std::nullopt;
    const auto r = parse_real_text(*item);
    if (!r) return std::nullopt;
    return r->value;
}

std::optional<bool> parse_free_logical(std::string_view line) {
    auto item = first_item(line);
    if (!item) return std::nullopt;
    std::string_view s = *item;
    if (!s.empty() && s[0] == '.') s.remove_prefix(1);
    if (s.empty()) return std::nullopt;
    if (s[0] == 't' || s[0] == 'T') return true;
    if (s[0] == 'f' || s[0] == 'F') return false;
    return std::nullopt;
}

char first_char(std::string_view line) { return line.empty() ? ' ' : line[0]; }

bool is_blank(std::string_view line) {
    for (char c : line)
        if (!is_space(c)) return false;
    return true;
}

std::string printable(std::string_view line) {
    std::string s;
    for (unsigned char c : line.substr(0, 200)) s += (c >= 32 && c < 127) ? static_cast<char>(c) : '?';
    if (line.size() > 200) s += "...";
    return s;
}

std::string_view trim_right(std::string_view s) {
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

}  // namespace tarnik
