#include "input/readdec.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "console/answers.h"
#include "console/console.h"
#include "console/errors.h"
#include "console/format.h"
#include "console/textfile.h"

namespace tarnik {
namespace {

constexpr std::int32_t kCapacity = 2100;
constexpr std::size_t kFieldWidth = 6;
constexpr std::size_t kFirstField = 12;  // widths start after identifier and year

// True for a line whose year stands in columns 8-12: '-' and four digits.
bool five_column_year(std::string_view line) {
    if (line.size() < 12 || line[7] != '-') return false;
    return std::all_of(line.begin() + 8, line.begin() + 12, [](char c) { return c >= '0' && c <= '9'; });
}

// The year of a series line, when it is a number: columns 9-12, or 8-12 for a
// five-column year. A blank field reads as 0 (blanks count as nothing), as in
// the format; `nonblank` tells them apart.
std::optional<std::int32_t> year_of(std::string_view line, bool* nonblank = nullptr) {
    const bool five = five_column_year(line);
    std::string_view field = five ? line.substr(7, 5) : line.size() > 8 ? line.substr(8, 4) : std::string_view{};
    if (nonblank) *nonblank = !is_blank(field);
    return parse_int_field(field, static_cast<int>(field.size()));
}

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

}  // namespace

std::int32_t first_line_count(std::int32_t year) {
    if (year >= 0) return 10 - year % 10;
    // -2649 holds -2649..-2641 (9 values); -2640 holds its decade, -2640..-2631.
    return year % 10 == 0 ? 10 : -(year % 10);
}

DecadalReader::DecadalReader(std::string content) : content_(std::move(content)) {}

std::optional<DecadalReader> DecadalReader::open(const std::string& path) {
    auto content = read_whole_file(path);
    if (!content) return std::nullopt;
    return DecadalReader(std::move(*content));
}

std::size_t DecadalReader::value_count_bound() const {
    // Every width takes at least six columns of a line.
    return content_.size() / 6 + 1;
}

bool DecadalReader::next_line(std::string_view& line) {
    const LineCursor before = cursor_;
    auto l = cursor_.next(content_);
    if (!l) return false;
    line = *l;
    prev_ = before;
    return true;
}

void DecadalReader::back_one_line() {
    cursor_ = prev_;
}

void DecadalReader::read_error(std::size_t line_number, std::string_view line) const {
    throw InternalError{{" error reading data",
                         fmt::X(13) + "Line " + std::to_string(line_number) + " of the file cannot be read:",
                         fmt::X(13) + printable(line),
                         ind13("This should not happen. Check file format and LF")},
                        ind13("Hit RETURN to Terminate program : "),
                        true};
}

void DecadalReader::detect_title_and_header(std::string& title) {
    std::string_view first;
    if (!next_line(first)) return;
    const LineCursor after_first = cursor_;

    // A file without a title line: the first line starts a series and the second
    // continues it (same identifier, year of the next decade).
    bool nonblank = false;
    auto year = year_of(first, &nonblank);
    if (year && nonblank && first.size() >= 8) {
        bool widths_ok = true;
        for (std::int32_t k = 0; k < first_line_count(*year) && widths_ok; ++k) widths_ok = width_field(first, k).has_value();
        std::string_view second;
        if (widths_ok && next_line(second)) {
            bool second_nonblank = false;
            auto next_year = year_of(second, &second_nonblank);
            if (second.size() >= 8 && id_of(second) == id_of(first) && next_year && second_nonblank &&
                *next_year == floor_div10(*year) * 10 + 10) {
                title.assign(80, ' ');
                cursor_ = {};
                notices_.push_back(
                    " The file has no title line: its first line was read as the first line of a series.");
                return;
            }
        }
    }
    title = fmt::pad(first.substr(0, 80), 80);
    cursor_ = after_first;

    // The data bank's three-line header: the two lines after the title are not
    // series lines (their year columns are not a number).
    std::string_view l2, l3;
    if (next_line(l2) && !is_blank(l2) && !year_of(l2) && next_line(l3) && !is_blank(l3) && !year_of(l3)) {
        notices_.push_back(" Lines 2 and 3 of the file are a data bank header and were skipped.");
        return;
    }
    cursor_ = after_first;
}

std::int32_t DecadalReader::readdec(std::int32_t capacity, std::string& id, std::int32_t& first_year,
                                    std::int32_t& length, std::vector<float>& values,
                                    std::vector<std::int32_t>& raw, std::int32_t& marker,
                                    std::int32_t series_number, std::string& title) {
    if (capacity != kCapacity) {
        throw InternalError{{"", ind13("In readdec maxval ≠ mx: " + fmt::I(kCapacity, 10) + fmt::I(capacity, 10)),
                             ind13("This should not happen. Call the nearest programmer")},
                            ind13("Hit RETURN to Terminate program : "),
                            false};
    }
    if (series_number == 1) {
        if (cursor_.pos >= content_.size()) return 1;
        detect_title_and_header(title);
    }

    // Identifier and year; empty or blank lines between series are skipped.
    std::string_view line;
    do {
        if (!next_line(line)) return 1;
    } while (is_blank(line));
    auto year = year_of(line);
    if (!year) read_error(cursor_.line_no, line);
    id = id_of(line);
    first_year = *year;
    back_one_line();

    length = 0;
    values.clear();
    raw.clear();
    MissingRings missing{series_number, id, 0, 0};
    std::int32_t count = first_line_count(first_year);
    const std::size_t first_line = cursor_.line_no + 1;
    bool slip_told = false;
    for (std::int64_t line_in_series = 0;; ++line_in_series) {
        if (!next_line(line)) {
            notices_.push_back(" The file ends inside series " + std::to_string(series_number) + " (" + id +
                               "): it has no end marker, and its " + std::to_string(length) +
                               " values were not read.");
            return 1;
        }
        if (line_in_series > 0 && !slip_told) {
            // A continuation line carries the next decade; another year there
            // is a slip (a year typed one column off, "EGR108 1713" read as
            // 713 while the next line says 1720). The widths are read in order.
            bool nonblank = false;
            const auto year = year_of(line, &nonblank);
            const std::int64_t due = std::int64_t{floor_div10(first_year)} * 10 + 10 * line_in_series;
            // A year that needs five columns (10000, on the marker line of a
            // series ending in 9999) stands in columns 8-12.
            const bool five_columns = line.size() >= 12 && parse_int_field(line.substr(7, 5), 5) == due;
            if (year && nonblank && *year != due && !five_columns) {
                slip_told = true;
                notices_.push_back(" Series " + std::to_string(series_number) + " (" + id + "): line " +
                                   std::to_string(cursor_.line_no) + " has the year " + std::to_string(*year) + ", not " +
                                   std::to_string(due) + " as after the first year " + std::to_string(first_year) +
                                   " (line " + std::to_string(first_line) + "); the widths were read in order.");
            }
        }
        for (std::int32_t k = 0; k < count; ++k) {
            auto v = width_field(line, k);
            if (!v) read_error(cursor_.line_no, line);
            if (is_marker(*v)) {
                marker = *v;
                const float divisor = marker == 999 ? 100.0f : 1000.0f;
                for (std::size_t i = 0; i < raw.size(); ++i) values.push_back(static_cast<float>(raw[i]) / divisor);
                if (missing.count > 0) missing_.push_back(missing);
                return 0;
            }
            std::int32_t w = *v;
            if (w < 0) {
                // A ring width cannot be negative: the data bank's -999 and slips
                // like -2599 mark a ring that was not measured.
                if (missing.count++ == 0) missing.first_year = first_year + length;
                w = 0;
            }
            if (length < capacity) raw.push_back(w);
            if (length < INT32_MAX) ++length;
        }
        count = 10;
    }
}

bool DecadalReader::next(SeriesRead& s) {
    std::int32_t marker = 0;
    ++series_number_;
    if (readdec(kCapacity, s.id, s.first_year, s.length, mm_, s.values, marker, series_number_, title_) != 0)
        return false;
    s.scale = marker == 999 ? 100 : 1000;
    return true;
}

std::vector<std::string> DecadalReader::take_notices() {
    std::vector<std::string> n;
    n.swap(notices_);
    return n;
}

}  // namespace tarnik
