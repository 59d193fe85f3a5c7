#include "input/workbook_source.h"

#include <charconv>
#include <cmath>

#include "console/answers.h"
#include "input/text_helpers.h"

namespace tarnik {
namespace {

// A cell's text as a column name: line ends, tabs and other control
// characters as blanks, none at either end.
void name_of(std::string_view text, std::string& name) {
    name.clear();
    for (char c : text) name += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
    name = std::string(text::trim_blanks(name));
}

// A number as its shortest decimal text ("0.08").
std::string number_text(double value) {
    char buffer[64];
    return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

}  // namespace

WorkbookSource::WorkbookSource(std::string file, std::string format, std::string noun)
    : TableSource(std::move(file), std::move(format), "empty or negative cell", "empty or negative cells",
                  std::move(noun)) {}

std::string WorkbookSource::cell_name(std::int64_t row, std::int64_t column) {
    std::string letters;
    for (std::int64_t c = column; c > 0; c = (c - 1) / 26) letters.insert(letters.begin(), static_cast<char>('A' + (c - 1) % 26));
    return letters + std::to_string(row);
}

std::optional<Decimal> WorkbookSource::shortest_decimal(double value) {
    if (!std::isfinite(value)) return std::nullopt;
    char buffer[64];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, value);
    return parse_decimal(std::string_view(buffer, static_cast<std::size_t>(r.ptr - buffer)));
}

std::string WorkbookSource::where(std::int64_t row, std::int64_t column) const {
    std::string w = "sheet \"" + printable(sheet_) + "\", cell " + cell_name(row, column);
    if (header_read_ && column >= 2 && static_cast<std::size_t>(column - 2) < names_.size())
        w += ", " + series_label(static_cast<std::int32_t>(column - 1), names_[static_cast<std::size_t>(column - 2)]);
    return w;
}

void WorkbookSource::cell_error(std::int64_t row, std::int64_t column, const std::string& what) const {
    read_error(where(row, column), what);
}

void WorkbookSource::no_worksheet() const {
    throw UnusableFile{{" The " + format() + " " + report().noun + " " + file() + " holds no worksheet.",
                        " There is nothing to analyse. The run ends here."}};
}

void WorkbookSource::encrypted() const {
    throw UnusableFile{{" The file " + file() + " is encrypted (protected by a password) and cannot be read.",
                        " Save it without a password first. The run ends here."}};
}

void WorkbookSource::cell(std::int64_t row, std::int64_t column, const SheetCell& c) {
    if (c.kind == SheetCell::Kind::empty) return;
    if (c.kind == SheetCell::Kind::text && text::trim_blanks(c.text).empty()) return;
    if (row > kMaxRows || column > kMaxColumns)
        cell_error(std::min(row, kMaxRows + 1), std::min(column, kMaxColumns + 1),
                   "the cell lies beyond the last row or column a sheet can have");
    if (row != row_) {
        close_row();
        row_ = row;
        last_column_ = 0;
        if (header_read_ && column > 1) cell_error(row, 1, "the row holds widths but no year");
    }
    if (column <= last_column_) cell_error(row, column, "the cells of the row are not in order");
    if (!header_read_) {
        header_cell(column, c);
    } else if (column == 1) {
        year_cell(row, c);
    } else {
        // The series columns the row leaves out are empty: their gaps follow
        // from the years of their values.
        width_cell(row, column, c);
    }
    last_column_ = column;
}

void WorkbookSource::header_cell(std::int64_t column, const SheetCell& c) {
    if (column == 1) {
        if (c.kind != SheetCell::Kind::text || !is_year_header(c.text))
            cell_error(row_, 1, "the first row must name the year column (Year, or empty) and the series");
        return;
    }
    const std::string number = c.kind == SheetCell::Kind::number ? number_text(c.number) : std::string();
    const std::string_view text = c.kind == SheetCell::Kind::number ? std::string_view(number) : c.text;
    name_of(text, name_);
    name_text_ += name_.size();
    if (name_text_ > kMaxNameText) cell_error(row_, column, "the names of the first row take more than 64 MB");
    names_.resize(static_cast<std::size_t>(column - 2));
    names_.push_back(name_);
}

void WorkbookSource::year_cell(std::int64_t row, const SheetCell& c) {
    std::optional<std::int64_t> year;
    if (c.kind == SheetCell::Kind::number) {
        if (std::isfinite(c.number) && std::nearbyint(c.number) == c.number && std::fabs(c.number) <= 1e15)
            year = static_cast<std::int64_t>(c.number);
    } else if (c.kind == SheetCell::Kind::text) {
        year = text::parse_integer(text::trim_blanks(c.text), 15);
    }
    if (!year) {
        const std::string held = c.kind == SheetCell::Kind::number ? "a number that is no whole year"
                                 : c.kind == SheetCell::Kind::text ? "the text \"" + printable(c.text) + "\""
                                                                   : std::string(c.text);
        cell_error(row, 1, "the cell holds " + held + ", where the row's year belongs");
    }
    if (!is_calendar_year(*year)) cell_error(row, 1, "the year is far outside any calendar");
    if (auto before = begin_row(*year))
        read_error("sheet \"" + printable(sheet_) + "\", rows " + std::to_string(last_data_row_) + " and " +
                       std::to_string(row),
                   "the year " + std::to_string(*year) + " does not follow " + std::to_string(*before) +
                       " (one row per year, in order)");
    last_data_row_ = row;
}

void WorkbookSource::width_cell(std::int64_t row, std::int64_t column, const SheetCell& c) {
    const auto k = static_cast<std::size_t>(column - 2);
    if (k >= names_.size())
        cell_error(row, column, "the cell holds a value, but its column has no name in the first row");
    switch (c.kind) {
    case SheetCell::Kind::empty:
        return;
    case SheetCell::Kind::text:
        if (!is_na(text::trim_blanks(c.text)))
            cell_error(row, column, "the cell holds the text \"" + printable(c.text) + "\", where a width in millimetres belongs");
        return;
    case SheetCell::Kind::other:
        if (c.text != "#N/A") cell_error(row, column, "the cell holds " + std::string(c.text) + ", where a width in millimetres belongs");
        return;
    case SheetCell::Kind::number:
        break;
    }
    const auto d = shortest_decimal(c.number);
    const auto um = d ? ring_of(*d) : std::nullopt;
    if (!d) cell_error(row, column, "the cell holds a number that is not finite");
    if (!um) cell_error(row, column, "the width " + number_text(c.number) + " mm is too large");
    ring(k, *um);
}

void WorkbookSource::close_row() {
    if (row_ == 0) return;
    if (!header_read_) {
        header_read_ = true;
        set_series_columns(names_.size());
    }
}

void WorkbookSource::end_sheet() {
    close_row();
    row_ = 0;
}

void WorkbookSource::name_columns() {
    for (std::uint64_t k : kept_columns()) set_column_name(k, names_[static_cast<std::size_t>(k)]);
    std::vector<std::string>().swap(names_);
}

std::vector<ReadDetail> WorkbookSource::table_details() const {
    std::vector<ReadDetail> d{{-1, "from the sheet \"" + printable(sheet_) + "\"", ""}};
    if (others_ > 0) d.push_back({others_, "other sheet left aside", "other sheets left aside"});
    return d;
}

}  // namespace tarnik
