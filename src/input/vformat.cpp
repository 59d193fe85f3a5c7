#include "input/vformat.h"

#include <algorithm>

#include "console/answers.h"
#include "input/text_helpers.h"

namespace tarnik {
namespace {

constexpr std::size_t kFieldWidth = 8;  // a value: 3 flag columns, a 5-column number
constexpr std::int64_t kFieldsPerLine = 10;

// Columns `first`..`first + width - 1` (1-based) of a line, as far as the line goes.
std::string_view columns(std::string_view line, std::size_t first, std::size_t width) {
    if (line.size() < first) return {};
    return line.substr(first - 1, width);
}

// A whole number in a fixed field, blanks around it; nothing for a blank field
// or anything else.
std::optional<std::int64_t> field_number(std::string_view field, std::size_t digits) {
    const std::string_view t = text::trim_blanks(field);
    if (t.empty()) return std::nullopt;
    return text::parse_integer(t, digits);
}

// How closely a value line is looked at: `strict` also demands a number (or
// blanks) in the fields of invalid values, as a file recognised by its look
// must have.
enum class Check { lenient, strict };

// Appends the `wanted` values of a value line to `rings` (widths in
// micrometres, kMissingRing for a value marked invalid) and returns what is
// wrong with the line, or an empty text.
std::string read_value_line(std::string_view line, std::int64_t wanted, Check check, std::vector<std::int64_t>& rings) {
    const auto n = static_cast<std::size_t>(wanted);
    for (std::size_t k = 0; k < n; ++k) {
        const std::size_t at = k * kFieldWidth;
        if (at + kFieldWidth > line.size())
            return "the line holds " + std::to_string(k) + " of the " + std::to_string(n) +
                   " values expected here (8 columns each)";
        const std::string_view field = line.substr(at, kFieldWidth);
        const std::string_view number = field.substr(3);
        if (field[0] != ' ') {  // marked invalid
            if (check == Check::strict && !is_blank(number) && !field_number(number, 5))
                return "the field of an invalid value holds no number";
            rings.push_back(kMissingRing);
            continue;
        }
        const auto v = field_number(number, 5);
        if (!v || *v < 0)
            return "the value in columns " + std::to_string(at + 1) + "-" + std::to_string(at + kFieldWidth) + " (\"" +
                   printable(field) + "\") is not a width in 0.01 mm";
        rings.push_back(*v * 10);
    }
    if (!is_blank(line.substr(std::min(line.size(), n * kFieldWidth))))
        return "the line goes on after the " + std::to_string(n) + " values that complete the series' ring count";
    return {};
}

}  // namespace

VFormatReader::VFormatReader(std::string content, std::string file)
    : ConvertedSource(std::move(file), "V format", "value marked invalid", "values marked invalid"),
      TextSource(std::move(content)),
      bound_(this->content().size() / kFieldWidth + 1) {}

std::optional<VFormatReader::Header> VFormatReader::parse_header(std::string_view line) {
    if (line.size() < 20 || line[8] != '.' || !text::is_letter(line[11])) return std::nullopt;
    Header h;
    switch (line[9]) {
        case '!': h.kind = Kind::single; break;
        case '%': h.kind = Kind::partial; break;
        case '#': h.kind = Kind::mean; break;
        default: return std::nullopt;
    }
    h.id = line.substr(0, 8);
    h.parameter = line[11];
    const auto count = field_number(columns(line, 16, 5), 5);
    if (!count || *count < 0) return std::nullopt;
    h.count = *count;
    const std::string_view year = columns(line, 25, 6);
    if (!is_blank(year)) {
        h.last_year = field_number(year, 6);
        if (!h.last_year) return std::nullopt;
    }
    const std::string_view version = columns(line, 69, 2);
    if (!is_blank(version)) {
        const auto v = field_number(version, 2);
        if (!v || *v < 0) return std::nullopt;
        h.version = static_cast<int>(*v);
    }
    return h;
}

int VFormatReader::lines_after_header(int version) { return version >= 20 ? 3 : version >= 10 ? 2 : 1; }

bool VFormatReader::looks_like(std::string_view content) {
    std::size_t pos = 0;
    std::optional<std::string_view> line;
    do line = next_text_line(content, pos);
    while (line && is_blank(*line));
    const auto h = line ? parse_header(*line) : std::nullopt;
    if (!h || h->count == 0) return false;
    for (int i = 0; i < lines_after_header(h->version); ++i)
        if (!next_text_line(content, pos)) return false;
    std::vector<std::int64_t> scratch;
    for (std::int64_t left = h->count; left > 0; left -= kFieldsPerLine) {
        line = next_text_line(content, pos);
        if (!line || !read_value_line(*line, std::min(left, kFieldsPerLine), Check::strict, scratch).empty()) return false;
        scratch.clear();
    }
    line = next_text_line(content, pos);
    return !line || is_blank(*line) || parse_header(*line);
}

bool VFormatReader::next(SeriesRead& s) {
    for (;;) {
        std::string_view line;
        if (!next_nonblank_line(line)) return finish_with_counts();
        const std::int32_t number = number_in_file();
        const auto h = parse_header(line);
        if (!h)
            read_error("line " + std::to_string(line_no()),
                       "a series must begin with a header line: the identifier in columns 1-8, '.' in column 9, "
                       "the kind (!, % or #) in column 10, the parameter in column 12, the ring count in columns "
                       "16-20, the year of the last ring in columns 25-30",
                       line);
        const std::string name(trim_right(h->id));
        const std::string label = series_label(number, name);
        for (int i = 0; i < lines_after_header(h->version); ++i)
            if (!next_line(line)) read_error(label, "the file ends in the lines between its header and its values");
        const bool widths = h->parameter == 'J' || h->parameter == 'j';
        rings_.clear();
        for (std::int64_t left = h->count; left > 0; left -= kFieldsPerLine) {
            if (!next_line(line))
                read_error(label, "the file ends after " + std::to_string(h->count - left) + " of its " +
                                      std::to_string(h->count) + " values");
            if (!widths) continue;
            const std::string problem = read_value_line(line, std::min(left, kFieldsPerLine), Check::lenient, rings_);
            if (!problem.empty()) read_error("line " + std::to_string(line_no()) + ", " + label, problem, line);
        }
        if (!widths) {
            ++counts_.skipped;
            continue;
        }
        std::int64_t first = 1;
        if (h->last_year) first = *h->last_year - h->count + 1;
        else ++counts_.undated;
        if (h->kind == Kind::mean) ++counts_.mean_curves;
        fill(s, name, static_cast<std::int32_t>(first), rings_);
        return true;
    }
}

}  // namespace tarnik
