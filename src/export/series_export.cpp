#include "export/series_export.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "console/answers.h"
#include "console/format.h"

namespace tarnik::exporting {
namespace {

// Series per line of the column table; a wider header or row goes on in a new line.
constexpr std::int32_t kColumnsPerLine = 21000;
constexpr std::string_view kZeroCell = "    0.000";  // 1x, f8.3 of 0

// The selections of the "SAVE Data Options" menu.
enum class SaveChoice : std::int32_t { decadal_file = 1, column_table = 2, back_to_plot_menu = 3 };

std::int32_t floor_mod10(std::int32_t v) { return ((v % 10) + 10) % 10; }

// Appends one blank and v in f8.3 straight into the record: the column table
// has up to 46 million cells.
void append_cell(std::string& buf, float v) {
    buf += ' ';
    fmt::put_F(buf, v, 8, 3);
}

// The age or year of a series' first value.
std::int32_t first_of(const SeriesRecord& r, SeriesAlignment alignment) {
    return alignment == SeriesAlignment::cambial_age ? r.first_age : r.first_year;
}

// The identifier of series i (0-based); empty when the series has none.
std::string id_of(const Stores& st, std::size_t i) {
    return i < st.series_ids.size() ? st.series_ids[i] : std::string();
}

// Before the cell of series i a full line of the column table is written out.
void wrap_full_line(TextFile& out, std::string& buf, std::size_t i) {
    if (i > 0 && i % kColumnsPerLine == 0) {
        out.line(buf);
        buf.clear();
    }
}

// The integer items of a decadal series: values in the marker's unit, then the
// marker. 999 would end the series early when read back, whatever the unit, so
// it becomes 998. Rounding to the nearest unit (not truncation) keeps a value
// that came from the store exactly as it was stored: 0.53f * 100 is 52.99999...
std::vector<std::int64_t> decadal_items(std::span<const float> values, std::int32_t marker) {
    const double factor = marker == 999 ? 100.0 : 1000.0;
    std::vector<std::int64_t> items;
    items.reserve(values.size() + 1);
    for (float v : values) {
        const double p = static_cast<double>(v) * factor;
        std::int64_t n = std::isfinite(p) ? std::llround(std::clamp(p, -1e15, 1e15)) : 0;
        if (n == 999) n = 998;
        items.push_back(n);
    }
    items.push_back(marker);
    return items;
}

struct Span {
    std::int32_t first = 0, last = 0;     // first and last age or year
    const std::int32_t* values = nullptr;
    float scale = 1.0f;
};

std::vector<Span> column_spans(const Stores& st, SeriesAlignment alignment, std::size_t nser) {
    std::vector<Span> spans(nser);
    for (std::size_t i = 0; i < nser; ++i) {
        const SeriesRecord& r = st.series[i];
        spans[i].first = first_of(r, alignment);
        spans[i].last = spans[i].first + r.length - 1;
        spans[i].values = st.values.data() + (r.first_index - 1);
        spans[i].scale = static_cast<float>(r.scale);
    }
    return spans;
}

// The header of the column table: the axis, the depth and one identifier a series.
void write_column_header(TextFile& out, std::string& buf, const Stores& st, SeriesAlignment alignment,
                         std::size_t nser) {
    buf = alignment == SeriesAlignment::cambial_age ? " AGE         N   " : " YEAR        N   ";
    for (std::size_t i = 0; i < nser; ++i) {
        wrap_full_line(out, buf, i);
        buf += fmt::A(fmt::pad(id_of(st, i), 8), 9);
    }
    out.line(buf);
}

// One row of the column table: the age or year, its depth and the value of every
// series there (0 where a series has none).
void write_column_row(TextFile& out, std::string& buf, std::int32_t row, std::int32_t depth,
                      std::span<const Span> spans) {
    buf.clear();
    buf += ' ';
    fmt::put_IY(buf, row, 4);
    buf += fmt::I(depth, 10);
    for (std::size_t i = 0; i < spans.size(); ++i) {
        wrap_full_line(out, buf, i);
        const Span& s = spans[i];
        if (row >= s.first && row <= s.last) {
            append_cell(buf, static_cast<float>(s.values[row - s.first]) / s.scale);
        } else {
            buf += kZeroCell;
        }
    }
    out.line(buf);
}

// Which file a selection writes, and whether it was written completely.
bool write_selection(Console& con, const Stores& st, SeriesAlignment alignment, bool decadal,
                     const std::filesystem::path& dir) {
    const std::string name = series_export_name(alignment, decadal);
    const std::filesystem::path file = dir.empty() ? std::filesystem::path(name) : dir / name;
    const bool ok = decadal ? write_series_decadal(st, alignment, file) : write_series_columns(st, alignment, file);
    if (!ok) {
        con.blank();
        con.line(menu_indent("The file " + name + " could not be written: nothing was saved."));
    }
    return ok;
}

void show_save_menu(Console& con) {
    con.blank();
    con.line(menu_indent("******** SAVE Data Options *************"));
    con.line(menu_indent("AGE Aligned or X-Dated Series - Decade [1]"));
    con.line(menu_indent("AGE Aligned or X-Dated Series"));
    con.line(menu_indent("        w/Sample Depth        - Column [2]"));
    con.line(menu_indent("RETURN to Plot Menue                   [3]"));
    con.line(menu_indent("*****************************************"));
    con.blank();
}

// The selection entered; no value for anything but 1, 2 or 3.
std::optional<SaveChoice> ask_save_choice(Console& con) {
    const auto sel = parse_int_field(con.ask(menu_indent("Enter Selection : ")), 1);
    if (sel && *sel >= 1 && *sel <= 3) return static_cast<SaveChoice>(*sel);
    return std::nullopt;
}

}  // namespace

std::string series_export_name(SeriesAlignment alignment, bool decadal) {
    return std::string(alignment == SeriesAlignment::cambial_age ? "AgeAligned" : "Xdated") +
           (decadal ? ".raw.DEC" : ".raw.INC");
}

void write_decadal_series(TextFile& out, std::span<const float> values, std::int32_t start, std::string_view id,
                          std::int32_t marker) {
    const std::vector<std::int64_t> items = decadal_items(values, marker);
    const std::string label = fmt::A(fmt::pad(id, 8), 8);
    const auto total = static_cast<std::int32_t>(items.size());
    std::int32_t count = 10 - floor_mod10(start);
    std::int32_t line_start = start;
    std::int32_t i = 0;
    bool first = true;
    std::string buf;
    while (i < total) {
        const std::int32_t n = std::min(count, total - i);
        // A year below -999 takes columns 8-12, after the identifier's first 7
        // characters, as the reader expects it. So does 10000, the year of the
        // line that holds only the end marker of a series ending in 9999 (the
        // reader skips the year of such a continuation line).
        buf = line_start < -999 || line_start > 9999 ? label.substr(0, 7) + fmt::I(line_start, 5)
                                                       : label + fmt::I(line_start, 4);
        for (std::int32_t k = 0; k < n; ++k) buf += fmt::I(items[static_cast<std::size_t>(i + k)], 6);
        if (!first) {
            // Later lines are fixed records of 72 columns and one trailing blank.
            buf.resize(72, ' ');
            buf += ' ';
        }
        out.line(buf);
        i += n;
        line_start += count;
        count = 10;
        first = false;
    }
}

bool write_series_decadal(const Stores& st, SeriesAlignment alignment, const std::filesystem::path& file) {
    TextFile out;
    if (!out.open(file.string())) return false;
    std::vector<float> work;
    for (std::int32_t i = 1; i <= st.nser; ++i) {
        const SeriesRecord& r = st.rec(i);
        const float scale = static_cast<float>(r.scale);
        const auto vals = st.values_of(i);
        work.assign(vals.size(), 0.0f);
        for (std::size_t k = 0; k < vals.size(); ++k) work[k] = static_cast<float>(vals[k]) / scale;
        const std::int32_t marker = r.scale == 100 ? 999 : -9999;
        write_decadal_series(out, work, first_of(r, alignment), id_of(st, static_cast<std::size_t>(i - 1)), marker);
    }
    return out.close();
}

bool write_series_columns(const Stores& st, SeriesAlignment alignment, const std::filesystem::path& file) {
    TextFile out;
    if (!out.open(file.string())) return false;
    const bool by_age = alignment == SeriesAlignment::cambial_age;
    const auto nser = static_cast<std::size_t>(std::max(st.nser, 0));

    std::string buf;
    buf.reserve(static_cast<std::size_t>(std::min<std::size_t>(nser, kColumnsPerLine)) * 9 + 32);
    write_column_header(out, buf, st, alignment, nser);

    const std::vector<Span> spans = column_spans(st, alignment, nser);
    const DataSummary& m = st.summary;
    const std::int32_t lo = by_age ? m.min_first_age : m.min_first_year;
    const std::int32_t hi = by_age ? m.max_last_age : m.max_last_year;
    const DepthTable& depth = by_age ? st.depth_by_age : st.depth_by_year;
    for (std::int32_t row = lo; row <= hi && out.good(); ++row) write_column_row(out, buf, row, depth[row], spans);
    return out.close();
}

void series_save_menu(Console& con, const Stores& st, SeriesAlignment alignment, const std::filesystem::path& dir) {
    const std::string pause = menu_indent("Hit RETURN to continue : ");
    for (;;) {
        show_save_menu(con);
        const std::optional<SaveChoice> choice = ask_save_choice(con);
        if (choice == SaveChoice::back_to_plot_menu) return;
        if (choice) {
            write_selection(con, st, alignment, *choice == SaveChoice::decadal_file, dir);
            con.blank();
        } else {
            con.blank();
            con.line(menu_indent("Please enter a [1] [2] or [3]"));
        }
        con.pause_field(pause, 2);
    }
}

}  // namespace tarnik::exporting
