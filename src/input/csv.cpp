#include "input/csv.h"

#include "console/answers.h"
#include "input/text_helpers.h"

namespace tarnik {
namespace {

using text::trim_blanks;

// The year of a row's first cell; nothing when it is not a whole number.
std::optional<std::int64_t> year_cell(std::string_view cell) { return text::parse_integer(trim_blanks(cell), 9); }

// A width cell as a number: '.' as the decimal point, or ',' where the
// separator is not a comma.
std::optional<Decimal> number_cell(std::string_view cell, char separator) {
    auto d = parse_decimal(cell, '.');
    if (!d && separator != ',') d = parse_decimal(cell, ',');
    return d;
}

}  // namespace

CsvReader::CsvReader(std::string content, std::string file)
    : TableSource(std::move(file), "CSV", "empty or negative cell", "empty or negative cells"),
      TextSource(std::move(content)),
      bound_(this->content().size() / 2 + 1) {}

char CsvReader::separator_of(std::string_view header) {
    bool quoted = false;
    for (char c : header) {
        if (c == '"') quoted = !quoted;
        else if (!quoted && (c == ',' || c == ';' || c == '\t')) return c;
    }
    return 0;
}

std::optional<std::vector<std::string_view>> CsvReader::cells(std::string_view line, char separator,
                                                              std::string& buffer) {
    std::vector<std::string_view> out;
    buffer.clear();
    buffer.reserve(line.size());  // views into it stay valid: it never grows past this
    std::size_t i = 0;
    for (;;) {
        std::size_t j = i;
        while (j < line.size() && line[j] == ' ') ++j;
        if (j < line.size() && line[j] == '"') {
            // A quoted cell: up to the closing quote, "" standing for one quote.
            const std::size_t start = buffer.size();
            std::size_t k = j + 1;
            for (;;) {
                if (k >= line.size()) return std::nullopt;
                if (line[k] == '"') {
                    if (k + 1 < line.size() && line[k + 1] == '"') {
                        buffer += '"';
                        k += 2;
                        continue;
                    }
                    break;
                }
                buffer += line[k++];
            }
            out.push_back(std::string_view(buffer).substr(start));
            ++k;
            while (k < line.size() && line[k] == ' ') ++k;
            if (k < line.size() && line[k] != separator) return std::nullopt;
            i = k;
        } else {
            std::size_t k = i;
            while (k < line.size() && line[k] != separator) ++k;
            out.push_back(line.substr(i, k - i));
            i = k;
        }
        if (i >= line.size()) return out;
        ++i;  // the separator
    }
}

bool CsvReader::looks_like(std::string_view content) {
    std::size_t pos = 0;
    auto header = next_text_line(content, pos);
    if (!header) return false;
    const char sep = separator_of(*header);
    if (sep == 0) return false;
    std::string buffer;
    auto head = cells(*header, sep, buffer);
    if (!head || head->size() < 2 || !is_year_header((*head)[0])) return false;
    const std::size_t width = head->size();
    std::optional<std::string_view> row;
    do row = next_text_line(content, pos);
    while (row && is_blank(*row));
    if (!row) return false;
    auto c = cells(*row, sep, buffer);
    if (!c || c->size() > width || !year_cell((*c)[0])) return false;
    for (std::size_t k = 1; k < c->size(); ++k) {
        const std::string_view cell = trim_blanks((*c)[k]);
        if (!cell.empty() && !is_na(cell) && !number_cell(cell, sep)) return false;
    }
    return true;
}

void CsvReader::read_table() {
    std::string_view header;
    next_line(header);
    const char sep = separator_of(header);
    std::string buffer;
    auto head = cells(header, sep, buffer);
    if (sep == 0 || !head || head->size() < 2 || !is_year_header((*head)[0]))
        read_error("line 1", "the header row must name the year column (Year, or empty) and the series", header);
    for (std::size_t k = 1; k < head->size(); ++k) add_column((*head)[k]);
    for (std::string_view text_line; next_line(text_line);) {
        const std::optional<std::string_view> line = text_line;
        if (is_blank(*line)) continue;
        const std::string where = "line " + std::to_string(line_no());
        auto c = cells(*line, sep, buffer);
        if (!c) read_error(where, "a quote is not closed", *line);
        if (c->size() > column_count() + 1)
            read_error(where, "the row has " + std::to_string(c->size()) + " cells, the header " +
                                  std::to_string(column_count() + 1), *line);
        auto y = year_cell((*c)[0]);
        if (!y) read_error(where, "the first cell is not a year", *line);
        if (auto before = begin_row(*y))
            read_error(where, "the year " + std::to_string(*y) + " does not follow " + std::to_string(*before) +
                                  " (one row per year, in order)", *line);
        for (std::size_t k = 1; k < c->size(); ++k) {
            const std::string_view cell = trim_blanks((*c)[k]);
            if (cell.empty() || is_na(cell)) {
                no_ring(k - 1);
                continue;
            }
            auto d = number_cell(cell, sep);
            if (!d)
                read_error(where + ", " + series_label(static_cast<std::int32_t>(k), column_name(k - 1)),
                           "the cell \"" + printable(cell) + "\" is not a number", *line);
            auto um = ring_of(*d);
            if (!um)
                read_error(where + ", " + series_label(static_cast<std::int32_t>(k), column_name(k - 1)),
                           "the width " + printable(cell) + " mm is too large", *line);
            ring(k - 1, *um);
        }
        end_row(c->size() - 1);  // cells left out at the end of a row are empty
        if (!is_calendar_year(*y)) read_error(where, "the year is far outside any calendar", *line);
    }
    release_content();
}

}  // namespace tarnik
