#include "input/decadal.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "console/answers.h"
#include "console/console.h"
#include "console/errors.h"
#include "console/format.h"
#include "data/limits.h"
#include "input/text_helpers.h"

namespace tarnik {
namespace {

constexpr std::size_t kFieldWidth = 6;
constexpr std::size_t kFirstField = 12;  // widths start after identifier and year

// True for a line whose year stands in columns 8-12: '-' and four digits.
bool five_column_year(std::string_view line) {
    if (line.size() < 12 || line[7] != '-') return false;
    return std::all_of(line.begin() + 8, line.begin() + 12, [](char c) { return c >= '0' && c <= '9'; });
}

// The year field of a series line: columns 9-12, or 8-12 for a five-column
// year. A blank field reads as 0 (blanks count as nothing), as in the format;
// `nonblank` tells them apart.
struct YearField {
    std::optional<std::int32_t> year;  // none when the field is not a number
    bool nonblank = false;
};
YearField year_field(std::string_view line) {
    const bool five = five_column_year(line);
    std::string_view field = five ? line.substr(7, 5) : line.size() > 8 ? line.substr(8, 4) : std::string_view{};
    const bool nonblank = !is_blank(field);
    return {parse_int_field(field, static_cast<int>(field.size())), nonblank};
}

// The year of a series line, when it is a number (see year_field).
std::optional<std::int32_t> year_of(std::string_view line) { return year_field(line).year; }

// The identifier of a series line: columns 1-8, or 1-7 and a blank when the
// year takes column 8.
std::string id_of(std::string_view line) {
    return fmt::pad(line.substr(0, five_column_year(line) ? 7 : 8), 8);
}

// Width field k (0-based) of a line read with the value format.
std::optional<std::int32_t> width_field(std::string_view line, std::int32_t k) {
    std::size_t start = kFirstField + static_cast<std::size_t>(k) * kFieldWidth;
    std::string_view field = start < line.size() ? line.substr(start, kFieldWidth) : std::string_view{};
    return parse_int_field(field, static_cast<int>(kFieldWidth));
}

bool is_marker(std::int32_t v) { return v == 999 || v == -9999; }

std::int32_t floor_div10(std::int32_t y) { return y >= 0 ? y / 10 : -((-y + 9) / 10); }

// A series line read as fields separated by blanks and tabs: its identifier
// and year (the first two fields); `pos` moves past them, to the widths.
struct FieldStart {
    std::string_view id;
    std::int32_t year = 0;
};
std::optional<FieldStart> field_start(std::string_view line, std::size_t& pos) {
    const auto id = text::next_field(line, pos);
    const auto year_field = id ? text::next_field(line, pos) : std::nullopt;
    const auto year = year_field ? text::parse_integer(*year_field, 5) : std::nullopt;
    if (!year) return std::nullopt;
    return FieldStart{*id, static_cast<std::int32_t>(*year)};
}

std::optional<std::int32_t> field_year(std::string_view line) {
    std::size_t pos = 0;
    const auto start = field_start(line, pos);
    if (!start) return std::nullopt;
    return start->year;
}

// True when the first line of a file read as fields starts a series that the
// second continues: its widths are numbers, and the second line has the same
// identifier and the year of the next decade.
bool field_series_start(std::string_view first, std::string_view second) {
    std::size_t pos = 0, pos2 = 0;
    const auto a = field_start(first, pos);
    const auto b = field_start(second, pos2);
    if (!a || !b || a->id != b->id || b->year != floor_div10(a->year) * 10 + 10) return false;
    while (auto f = text::next_field(first, pos))
        if (!text::parse_integer(*f, 6)) return false;
    return true;
}

}  // namespace

std::int32_t first_line_count(std::int32_t year) {
    if (year >= 0) return 10 - year % 10;
    // -2649 holds -2649..-2641 (9 values); -2640 holds its decade, -2640..-2631.
    return year % 10 == 0 ? 10 : -(year % 10);
}

DecadalReader::DecadalReader(std::string content, std::string file)
    : TextSource(std::move(content)), file_(std::move(file)) {
    bound_ = this->content().size() / (this->content().find('\t') == std::string_view::npos ? 6 : 2) + 1;
}

std::size_t DecadalReader::value_count_bound() const {
    // Every width takes at least six columns of a line, or two characters
    // where tabs separate the fields.
    return bound_;
}

bool DecadalReader::next_line(std::string_view& line) {
    const LineCursor before = mark();
    if (!TextSource::next_line(line)) return false;
    prev_ = before;
    return true;
}

void DecadalReader::read_error(std::size_t line_number, std::string_view line) const {
    throw InternalError{{" error reading data",
                         fmt::X(13) + "Line " + std::to_string(line_number) + " of the file " + file_ +
                             " cannot be read:",
                         fmt::X(13) + printable(line),
                         menu_indent("This should not happen. Check file format and LF")},
                        menu_indent("Hit RETURN to Terminate program : "),
                        true};
}

void DecadalReader::detect_title_and_header() {
    std::string_view first;
    if (!next_line(first)) return;
    const LineCursor after_first = mark();

    // A file without a title line: the first line starts a series and the second
    // continues it (same identifier, year of the next decade).
    if (first.find('\t') != std::string_view::npos) {
        std::string_view second;
        if (next_line(second) && field_series_start(first, second)) return read_without_title();
        back_to(after_first);
    }
    const YearField year = year_field(first);
    if (year.year && year.nonblank && first.size() >= 8) {
        bool widths_ok = true;
        for (std::int32_t k = 0; k < first_line_count(*year.year) && widths_ok; ++k)
            widths_ok = width_field(first, k).has_value();
        std::string_view second;
        if (widths_ok && next_line(second)) {
            const YearField next_year = year_field(second);
            if (second.size() >= 8 && id_of(second) == id_of(first) && next_year.year && next_year.nonblank &&
                *next_year.year == floor_div10(*year.year) * 10 + 10)
                return read_without_title();
        }
    }
    title_ = fmt::pad(first.substr(0, 80), 80);
    back_to(after_first);

    // The data bank's three-line header: the two lines after the title are not
    // series lines (their year columns are not a number).
    std::string_view l2, l3;
    if (next_line(l2) && !is_blank(l2) && !year_of(l2) && next_line(l3) && !is_blank(l3) && !year_of(l3)) {
        notices_.push_back(" Lines 2 and 3 of the file are a data bank header and were skipped.");
        return;
    }
    back_to(after_first);
}

void DecadalReader::read_without_title() {
    title_.assign(80, ' ');
    back_to(LineCursor{});
    notices_.push_back(" The file has no title line: its first line was read as the first line of a series.");
}

// A continuation line carries the next decade; another year there is a slip (a
// year typed one column off, "EGR108 1713" read as 713 while the next line says
// 1720), told once per series. The widths are read in order all the same.
void DecadalReader::tell_year_slip(const SeriesRead& s, std::string_view line, std::int64_t line_in_series) {
    const YearField field = fields_ ? YearField{field_year(line), true} : year_field(line);
    const std::optional<std::int32_t> year = field.year;
    const std::int64_t due = std::int64_t{floor_div10(s.first_year)} * 10 + 10 * line_in_series;
    // A year that needs five columns (10000, on the marker line of a series
    // ending in 9999) stands in columns 8-12.
    const bool five_columns = !fields_ && line.size() >= 12 && parse_int_field(line.substr(7, 5), 5) == due;
    if (!year || !field.nonblank || *year == due || five_columns) return;
    slip_told_ = true;
    notices_.push_back(" Series " + std::to_string(series_ + 1) + " (" + s.name + "): line " +
                       std::to_string(line_no()) + " has the year " + std::to_string(*year) + ", not " +
                       std::to_string(due) + " as after the first year " + std::to_string(s.first_year) + " (line " +
                       std::to_string(first_line_) + "); the widths were read in order.");
}

// Fields after the end marker (field k) of a line are not read, as the format
// has it; when they hold anything, a notice names the line.
void DecadalReader::tell_after_marker(const SeriesRead& s, std::string_view line, std::int32_t k, std::int32_t marker) {
    const std::size_t rest = kFirstField + static_cast<std::size_t>(k + 1) * kFieldWidth;
    std::int64_t fields = 0;
    for (std::size_t at = rest; at < line.size(); at += kFieldWidth)
        if (!is_blank(line.substr(at, kFieldWidth))) ++fields;
    if (fields == 0) return;
    notices_.push_back(" Series " + std::to_string(series_ + 1) + " (" + s.name + "): line " +
                       std::to_string(line_no()) + " holds " + std::to_string(fields) +
                       (fields == 1 ? " value" : " values") + " after its end marker " + std::to_string(marker) +
                       "; " + (fields == 1 ? "it was" : "they were") + " not read.");
}

// The first `count` width fields of a series line, up to an end marker; true
// when the marker ended the series.
bool DecadalReader::read_widths(SeriesRead& s, std::string_view line, std::int32_t count) {
    for (std::int32_t k = 0; k < count; ++k) {
        auto v = width_field(line, k);
        if (!v) read_error(line_no(), line);
        if (is_marker(*v)) {
            s.scale = *v == 999 ? 100 : 1000;
            tell_after_marker(s, line, k, *v);
            return true;
        }
        append_width(s, *v);
    }
    return false;
}

// The widths of a series line read as fields: as many as the value format
// would read (`count`), up to an end marker, which may also follow them. A
// line with fewer or more widths cannot be read: without columns, a missing
// field cannot be told from a blank one.
bool DecadalReader::read_field_widths(SeriesRead& s, std::string_view line, std::int32_t count) {
    std::size_t pos = 0;
    if (!field_start(line, pos)) read_error(line_no(), line);
    std::int32_t k = 0;
    while (const auto field = text::next_field(line, pos)) {
        const auto v = text::parse_integer(*field, 6);
        if (!v) read_error(line_no(), line);
        if (is_marker(static_cast<std::int32_t>(*v))) {
            s.scale = *v == 999 ? 100 : 1000;
            return true;
        }
        if (k++ == count) read_error(line_no(), line);
        append_width(s, static_cast<std::int32_t>(*v));
    }
    if (k < count) read_error(line_no(), line);
    return false;
}

void DecadalReader::append_width(SeriesRead& s, std::int32_t w) {
    if (w < 0) {
        // A ring width cannot be negative: the data bank's -999 and slips
        // like -2599 mark a ring that was not measured.
        if (s.missing++ == 0) s.first_missing_year = s.first_year + s.length;
        w = 0;
    }
    if (s.length < MaxYears) s.values.push_back(w);
    if (s.length < INT32_MAX) ++s.length;
}

// Series lines that hold a tab between their fields are fields separated by
// blanks and tabs; the title and the data bank's header lines (read before)
// do not count, nor do tabs at either end of a line.
void DecadalReader::detect_fields() {
    const std::string_view text = content();
    std::size_t pos = mark().pos;
    if (text.find('\t', pos) == std::string_view::npos) return;
    bool tab = false;
    while (!tab) {
        const auto line = next_text_line(text, pos);
        if (!line) return;
        tab = text::trim_blanks(*line).find('\t') != std::string_view::npos;
    }
    fields_ = true;
    notices_.push_back(" The series lines of the file hold tabs: they were read as fields separated by blanks "
                       "and tabs (identifier, year, widths).");
}

bool DecadalReader::next(SeriesRead& s) {
    if (!started_) {
        started_ = true;
        if (at_end()) return false;
        detect_title_and_header();
        detect_fields();
    }
    // Identifier and year; empty or blank lines between series are skipped.
    // (Through this reader's own next_line, which keeps the mark of the line
    // before; the shared next_nonblank_line would not.)
    std::string_view line;
    do {
        if (!next_line(line)) return false;
    } while (is_blank(line));
    if (fields_) {
        std::size_t pos = 0;
        const auto start = field_start(line, pos);
        if (!start) read_error(line_no(), line);
        s.name = fmt::pad(start->id, 8);  // a longer identifier is kept whole
        s.first_year = start->year;
    } else {
        auto year = year_of(line);
        if (!year) read_error(line_no(), line);
        s.name = id_of(line);
        s.first_year = *year;
    }
    s.length = 0;
    s.values.clear();
    s.missing = 0;
    s.first_missing_year = 0;
    back_one_line();

    std::int32_t count = first_line_count(s.first_year);
    first_line_ = line_no() + 1;
    slip_told_ = false;
    for (std::int64_t line_in_series = 0;; ++line_in_series) {
        if (!next_line(line)) {
            notices_.push_back(" The file ends inside series " + std::to_string(series_ + 1) + " (" + s.name +
                               "): it has no end marker, and its " + std::to_string(s.length) +
                               " values were not read.");
            return false;
        }
        if (line_in_series > 0 && !slip_told_) tell_year_slip(s, line, line_in_series);
        if (fields_ ? read_field_widths(s, line, count) : read_widths(s, line, count)) {
            ++series_;
            return true;
        }
        count = 10;
    }
}

}  // namespace tarnik
