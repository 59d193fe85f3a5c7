#include "input/compact.h"

#include "console/answers.h"
#include "console/errors.h"
#include "input/text_helpers.h"

namespace tarnik {
namespace {

// "454=N" -> 454 with the letter N; nothing for a token of another form.
std::optional<std::pair<std::int64_t, char>> count_token(std::string_view t) {
    const std::size_t eq = t.find('=');
    if (eq == std::string_view::npos || eq + 2 != t.size() || eq == 0) return std::nullopt;
    const char letter = t[eq + 1];
    if (letter != 'N' && letter != 'I' && letter != 'n' && letter != 'i') return std::nullopt;
    const auto v = text::parse_integer(t.substr(0, eq), 9);
    if (!v) return std::nullopt;
    return std::pair{*v, static_cast<char>(letter & ~0x20)};
}

using text::trim_blanks;

}  // namespace

CompactReader::CompactReader(std::string content, std::string file)
    : ConvertedSource(std::move(file), "compact", "negative width", "negative widths"),
      TextSource(std::move(content)),
      bound_(this->content().size() + 1) {}

std::optional<CompactReader::Header> CompactReader::parse_header(std::string_view line) {
    std::string_view t = trim_blanks(line);
    if (t.empty() || t.back() != '~') return std::nullopt;
    t = trim_blanks(t.substr(0, t.size() - 1));
    if (t.empty() || t.back() != ')') return std::nullopt;
    // The record format: from the parenthesis that closes at the end.
    int depth = 0;
    std::size_t open = std::string_view::npos;
    for (std::size_t i = t.size(); i-- > 0;) {
        if (t[i] == ')') ++depth;
        else if (t[i] == '(' && --depth == 0) {
            open = i;
            break;
        }
    }
    if (open == std::string_view::npos) return std::nullopt;
    Header h;
    h.format = std::string(t.substr(open));
    // The power of ten, directly before the format.
    std::size_t p = open;
    while (p > 0 && text::is_digit(t[p - 1])) --p;
    if (p > 0 && (t[p - 1] == '-' || t[p - 1] == '+')) --p;
    const auto power = text::parse_integer(t.substr(p, open - p), 3);  // a sign and 1 to 3 digits
    if (!power || (p > 0 && t[p - 1] != ' ' && t[p - 1] != '\t')) return std::nullopt;
    h.power = static_cast<std::int32_t>(*power);
    // Ring count and first year: the first two tokens.
    std::string_view rest = trim_blanks(t.substr(0, p));
    std::optional<std::pair<std::int64_t, char>> tokens[2];
    for (auto& tok : tokens) {
        const std::size_t end = std::min(rest.find(' '), rest.find('\t'));
        tok = count_token(rest.substr(0, end));
        if (!tok) return std::nullopt;
        rest = end == std::string_view::npos ? std::string_view{} : trim_blanks(rest.substr(end));
    }
    if (tokens[0]->second == tokens[1]->second) return std::nullopt;
    for (const auto& tok : tokens) (tok->second == 'N' ? h.count : h.first_year) = tok->first;
    if (h.count < 0) return std::nullopt;
    h.name = text::collapse_blanks(rest);
    return h;
}

bool CompactReader::looks_like(std::string_view content) {
    std::size_t pos = 0;
    std::optional<std::string_view> first;
    do first = next_text_line(content, pos);
    while (first && is_blank(*first));
    const auto header = first ? parse_header(*first) : std::nullopt;
    if (!header || !fmt::RecordFormat::parse_numbers(header->format)) return false;
    CompactReader r{std::string(content), {}};
    try {
        SeriesRead s;
        if (!r.next(s)) return false;
        // Nothing after the last value on its line (a decadal line read with
        // the format would go on).
        if (s.length > 0 && static_cast<std::size_t>(r.last_end_) < r.last_line_.size() &&
            !is_blank(r.last_line_.substr(static_cast<std::size_t>(r.last_end_))))
            return false;
        std::string_view line;
        return !r.next_line(line) || is_blank(line) || parse_header(line);
    } catch (const InternalError&) {
        return false;
    }
}

bool CompactReader::next(SeriesRead& s) {
    std::string_view line;
    if (!next_nonblank_line(line)) {
        finish({});
        return false;
    }
    const std::int32_t number = series_count() + 1;
    const std::string where = "line " + std::to_string(line_no());
    auto h = parse_header(line);
    if (!h)
        read_error(where, "a compact series must begin with a header like 454=N 1530=I NAME -2(26F3.0)~", line);
    const std::string label = series_label(number, h->name);
    fmt::FormatParse parsed = fmt::RecordFormat::parse_numbers(h->format);
    if (!parsed)
        read_error(where + ", " + label,
                   "its record format " + printable(h->format) + " cannot be used: " + parsed.error, line);
    if (h->power < -30 || h->power > 30)
        read_error(where + ", " + label, "the power of ten " + std::to_string(h->power) + " is not one of a unit");
    const fmt::RecordFormat format = std::move(*parsed.format);

    rings_.clear();
    if (h->count > 0) {
        if (!next_line(line)) read_error(label, "the file ends before the values of the series");
        std::string what;
        const fmt::NumbersRead r = format.read_numbers(
            line,
            [&]() -> std::optional<std::string> {
                std::string_view more;
                if (!next_line(more)) return std::nullopt;
                line = more;
                return std::string(more);
            },
            h->count,
            [&](std::string_view field, int decimals) -> std::string {
                auto d = parse_real_field_exact(field, decimals);
                if (!d) return "is not a number";
                if (d->negative && d->mantissa != 0) {
                    rings_.push_back(kMissingRing);
                    return {};
                }
                auto um = to_micrometres(*d, h->power);
                if (!um) return "is too large for a ring width";
                rings_.push_back(*um);
                return {};
            });
        if (r.status == fmt::NumbersRead::Status::bad_field)
            read_error("line " + std::to_string(line_no()) + ", " + label, r.message, line);
        if (r.status == fmt::NumbersRead::Status::end_of_input)
            read_error(label, "the file ends after " + std::to_string(rings_.size()) + " of its " +
                                  std::to_string(h->count) + " values");
        last_line_ = line;
        last_end_ = r.end_column;
    }
    if (h->first_year < -1000000000 || h->first_year > 1000000000)
        read_error(where + ", " + label, "its first year is far outside any calendar");
    fill(s, h->name, static_cast<std::int32_t>(h->first_year), rings_);
    return true;
}

}  // namespace tarnik
