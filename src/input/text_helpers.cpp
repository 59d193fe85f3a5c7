#include "input/text_helpers.h"

#include <algorithm>

namespace tarnik::text {

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = to_lower(c);
    return out;
}

std::string_view trim_blanks(std::string_view s) {
    while (!s.empty() && is_blank_char(s.front())) s.remove_prefix(1);
    while (!s.empty() && is_blank_char(s.back())) s.remove_suffix(1);
    return s;
}

std::string squeezed_lower(std::string_view s) {
    std::string out;
    for (char c : s)
        if (!is_blank_char(c)) out += to_lower(c);
    return out;
}

std::string collapse_blanks(std::string_view s) {
    std::string out;
    bool gap = false;
    for (char c : s) {
        if (is_space(c)) {
            gap = !out.empty();
            continue;
        }
        if (gap) out += ' ';
        gap = false;
        out += c;
    }
    return out;
}

std::optional<std::int64_t> parse_integer(std::string_view t, std::size_t max_digits) {
    max_digits = std::min<std::size_t>(max_digits, 18);
    std::size_t i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
    if (i == t.size() || t.size() - i > max_digits) return std::nullopt;
    std::int64_t v = 0;
    for (; i < t.size(); ++i) {
        if (!is_digit(t[i])) return std::nullopt;
        v = v * 10 + (t[i] - '0');
    }
    return negative ? -v : v;
}

bool is_whole_number(std::string_view t) {
    if (!t.empty() && (t[0] == '+' || t[0] == '-')) t.remove_prefix(1);
    return !t.empty() && std::all_of(t.begin(), t.end(), is_digit);
}

std::optional<std::string_view> next_field(std::string_view line, std::size_t& pos) {
    while (pos < line.size() && is_blank_char(line[pos])) ++pos;
    if (pos >= line.size()) return std::nullopt;
    const std::size_t start = pos;
    while (pos < line.size() && !is_blank_char(line[pos])) ++pos;
    return line.substr(start, pos - start);
}

}  // namespace tarnik::text
