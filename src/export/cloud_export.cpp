#include "export/cloud_export.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>

#include "console/answers.h"
#include "console/format.h"
#include "console/record_format.h"

namespace tarnik::exporting {
namespace {

using fmt::F;
using fmt::I;
using fmt::NINT;
using fmt::RecordFormat;
using fmt::RecordWriter;

constexpr std::int32_t kUnitWrt2 = 18;  // the unit number the index listing shows

// A year into the I field of its table: rounded (halves away from zero) or
// truncated toward zero, and widened where a year needs more columns than the
// field has (-2649 in i4). Only a value that is no 32-bit integer at all is
// written as asterisks.
void put_year(RecordWriter& w, float v, bool rounded) {
    const double d = rounded ? std::round(static_cast<double>(v)) : std::trunc(static_cast<double>(v));
    if (!std::isfinite(d) || std::fabs(d) > 2147483647.0) return w.put(std::numeric_limits<std::int64_t>::max());
    w.put_year(static_cast<std::int64_t>(d));
}

std::size_t idx(std::int32_t k) { return static_cast<std::size_t>(k - 1); }

std::int32_t classes(const CloudStore& cs) { return std::clamp(cs.classnum, 0, mxnc); }

// Number of points of class k that are really held: the count, but never more
// than the stored vectors (a row past them is written as an empty slot).
std::size_t held(std::int32_t count, std::size_t a, std::size_t b) {
    if (count <= 0) return 0;
    return std::min({static_cast<std::size_t>(count), a, b});
}

// Largest count over classes 1..nc (0 when there is none).
std::int32_t largest(const std::array<std::int32_t, mxnc>& counts, std::int32_t nc) {
    std::int32_t m = 0;
    for (std::int32_t k = 1; k <= nc; ++k) m = std::max(m, counts[idx(k)]);
    return m;
}

void pause_continue(Console& con) {
    con.blank();
    con.pause(menu_indent("Hit RETURN to continue : "));
}

// The header record of a column table: the start and stop age of every class.
void write_class_header(TextFile& f, const RecordFormat& header, const CloudStore& cs, std::int32_t nc) {
    std::string row;
    RecordWriter w(header, row);
    for (std::int32_t k = 1; k <= nc; ++k) {
        w.put(cs.start_age[idx(k)]);
        w.put(cs.stop_age[idx(k)]);
    }
    w.finish();
    f.text(row);
}

enum class Table { RawClouds, Splines, NormalisedSplines };

// The rows of a class table: `put_cells` writes the cells of class k in row i
// (0-based) through the body format, one record a row.
template <typename PutCells>
void write_class_rows(TextFile& f, const RecordFormat& body, std::int32_t nc, std::int32_t rows, PutCells put_cells) {
    std::string row;
    for (std::int32_t i = 0; i < rows; ++i) {
        row.clear();
        RecordWriter w(body, row);
        for (std::int32_t k = 1; k <= nc; ++k) put_cells(w, k, static_cast<std::size_t>(i));
        w.finish();
        f.text(row);
    }
}

// The column tables: a year/value pair per class and row. A class with fewer
// points than the row number shows an empty slot (year 0, value 0.000), never
// values left over from an earlier definition. The records are written through
// their formats, so they end where a Fortran runtime ends them: the header with
// the "YEAR" that precedes the first unused field, a row without the closing 3x.
void write_columns(TextFile& f, const CloudStore& cs, Table table) {
    static const RecordFormat header("(1x,100('YEAR',i4,'-',i4,2x))");
    static const RecordFormat body("(1x,100(i4,1x,f7.3,3x))");
    const std::int32_t nc = classes(cs);
    if (table == Table::RawClouds) f.line(" Raw Age Class Clouds  ------");
    if (table == Table::NormalisedSplines) f.line(" Normailzed Age Class Splines ------");
    write_class_header(f, header, cs, nc);

    const bool clouds = table == Table::RawClouds;
    const std::int32_t rows = largest(clouds ? cs.num : cs.nps, nc);
    std::array<std::size_t, mxnc> n{};
    for (std::int32_t k = 1; k <= nc; ++k) {
        const CloudClass& c = cs.cls[idx(k)];
        n[idx(k)] = clouds ? held(cs.num[idx(k)], c.cloud_year.size(), c.cloud_value.size())
                           : held(cs.nps[idx(k)], c.spline_year.size(), c.spline_value.size());
    }
    write_class_rows(f, body, nc, rows, [&](RecordWriter& w, std::int32_t k, std::size_t i) {
        const CloudClass& c = cs.cls[idx(k)];
        float year = 0.0f, value = 0.0f;
        if (i < n[idx(k)]) {
            year = clouds ? c.cloud_year[i] : c.spline_year[i];
            value = clouds ? c.cloud_value[i] : c.spline_value[i];
        }
        put_year(w, year, table == Table::NormalisedSplines);
        w.put(value);
    });
}

void write_statistics(TextFile& f, const CloudStore& cs) {
    const std::int32_t nc = classes(cs);
    for (std::int32_t k = 1; k <= nc; ++k) {
        const auto& s = cs.fit_stats[idx(k)];
        f.blank();
        f.line(" Age class " + I(k, 4) + " Start= " + I(cs.start_age[idx(k)], 4) + "Stop= " +
               I(cs.stop_age[idx(k)], 4));
        f.line("    bw      df      gcv     msr     MSE     EV      msw     nps");
        f.line(" " + NINT(s[0], 8) + NINT(s[1], 8) + F(s[2], 8, 3) + F(s[3], 8, 3) + F(s[4], 8, 3) + F(s[5], 8, 3) +
               F(s[6], 8, 3) + NINT(s[7], 8));
    }
}

// One index series per class; identifiers "CLD" or "NOR" with the class number
// in characters 4-6. The compressed layout lists every series on the console.
void write_index(Console& con, TextFile& f, const CloudStore& cs, bool normalised) {
    const std::int32_t nc = classes(cs);
    f.line(normalised ? " Normailzed Age Class Splines ------" : " Compressed Age Class Splines ------");
    for (std::int32_t k = 1; k <= nc; ++k) {
        const CloudClass& c = cs.cls[idx(k)];
        const std::size_t n = held(cs.nps[idx(k)], c.spline_year.size(), c.spline_value.size());
        if (n == 0) continue;  // a class without a spline has no series to write
        const std::span<const float> values(c.spline_value.data(), n);
        const double y0 = std::trunc(static_cast<double>(c.spline_year[0]));
        const std::int32_t first_year = std::isfinite(y0) && std::fabs(y0) < 2.0e9 ? static_cast<std::int32_t>(y0) : 0;
        const std::string id = (normalised ? "NOR" : "CLD") + I(k, 3);
        if (!normalised) {
            con.line(" " + id + "  " + fmt::IY(first_year, 4) + "  " + I(static_cast<std::int64_t>(n), 4) +
                     F(values[0], 6, 3) + " " + I(kUnitWrt2, 3));
        }
        write_index_series(con, f, id, first_year, values);
    }
}

// The selections of the cloud "SAVE Data Options" menu.
enum class CloudSaveChoice : std::int32_t {
    raw_clouds = 1,
    spline_columns = 2,
    spline_index = 3,
    spline_statistics = 4,
    normalised_columns = 5,
    normalised_index = 6,
    back_to_main_menu = 7,
};

// What a selection wrote, for the notice after the file is closed.
struct SavedTable {
    std::string notice;
    bool blank_before = true;  // an empty line before the notice
};

std::string failed_write_notice(const std::string& name) {
    return "Writing the file \"" + name + "\" failed; the data were not saved completely.";
}

void show_cloud_save_menu(Console& con, bool normalized) {
    con.blank();
    con.line(menu_indent(std::string(44, '_')));
    con.blank();
    con.line(menu_indent("************* SAVE Data Options ************"));
    con.line(menu_indent("Age Class Clouds                 - Column [1]"));
    con.line(menu_indent("Compressed Splines               - Column [2]"));
    con.line(menu_indent("Compressed Splines               - Index  [3]"));
    con.line(menu_indent("Compressed Splines Statistics    - Table  [4]"));
    if (normalized) {
        con.line(menu_indent("Normalized Splines               - Column [5]"));
        con.line(menu_indent("Normalized Splines               - Index  [6]"));
    }
    con.line(menu_indent("RETURN to main menue                      [7]"));
    con.line(menu_indent("*********************************************"));
    con.blank();
}

// The selection entered; no value for anything but 1 to 7.
std::optional<CloudSaveChoice> ask_cloud_save_choice(Console& con) {
    const auto answer = parse_int_field(con.ask(menu_indent("Enter Selection : ")), 1);
    if (answer && *answer >= 1 && *answer <= 7) return static_cast<CloudSaveChoice>(*answer);
    return std::nullopt;
}

// The notice for a normalised layout chosen before any normalisation. True when
// the user asks to return to the main menu.
bool asks_return_before_normalisation(Console& con) {
    con.blank();
    con.line(menu_indent("Before you may select this option you must first"));
    con.line(menu_indent("Normalize your cloud spline fits.  "));
    con.blank();
    con.line(menu_indent("Enter [R] to RETURN to the main menue."));
    con.line(menu_indent("Hit any other key to save data."));
    const char c = first_char(con.read_line());
    return c == 'R' || c == 'r';
}

// Writes the table of one selection (1 to 6) into the open file.
SavedTable write_cloud_table(Console& con, TextFile& f, const CloudStore& cs, CloudSaveChoice choice) {
    switch (choice) {
        case CloudSaveChoice::raw_clouds:
            write_columns(f, cs, Table::RawClouds);
            return {"Raw Age Class Clouds saved to file."};
        case CloudSaveChoice::spline_columns:
            write_columns(f, cs, Table::Splines);
            return {"Compressed Age Class Splines <COL. FORMAT> saved to file."};
        case CloudSaveChoice::spline_index:
            write_index(con, f, cs, false);
            return {"Compressed Age Class Splines <INDX FORMAT> saved to file."};
        case CloudSaveChoice::spline_statistics:
            write_statistics(f, cs);
            return {"Spline Statistics saved to file."};
        case CloudSaveChoice::normalised_columns:
            write_columns(f, cs, Table::NormalisedSplines);
            return {"Normailzed Age Class Splines <COL.FORMAT> saved to file.", false};
        case CloudSaveChoice::normalised_index:
            write_index(con, f, cs, true);
            return {"Normailzed Age Class Splines <INDEX FORMAT> saved to file."};
        case CloudSaveChoice::back_to_main_menu: break;  // the menu returns before asking for a file
    }
    throw std::logic_error("the cloud save menu has no table for its return choice");
}

// Asks for the file, writes the selection's table and reports the save.
void save_cloud_table(Console& con, const CloudStore& cs, CloudSaveChoice choice) {
    TextFile f;
    const auto name = open_output_file(con, f);
    if (!name) return pause_continue(con);
    const SavedTable saved_table = write_cloud_table(con, f, cs, choice);
    // The file is closed before the notice, so that a failed write is
    // reported instead of a save that did not happen.
    const bool saved = f.close();
    if (saved_table.blank_before || !saved) con.blank();
    con.line(menu_indent(saved ? saved_table.notice : failed_write_notice(*name)));
    pause_continue(con);
}

}  // namespace

std::optional<std::string> open_output_file(Console& con, TextFile& file) {
    std::string name;
    while (name.empty()) {
        const std::string answer = con.ask(menu_indent("Enter the name of the output file : "));
        const std::size_t b = answer.find_first_not_of(" \t");
        if (b != std::string::npos) name = std::string(trim_right(answer.substr(b)));
    }
    if (!file.open(name)) {
        con.line(menu_indent("The file \"" + name + "\" cannot be written; nothing was saved."));
        return std::nullopt;
    }
    return name;
}

void write_index_series(Console& con, TextFile& out, std::string_view id, std::int32_t first_year,
                        std::span<const float> values, std::span<const std::int32_t> depth) {
    if (values.empty()) return;
    // Scale so that the largest value fits 4 columns as value x 1000, and the
    // smallest too: anomalies below -0.999 would otherwise be written as
    // asterisks, lost from the file.
    const auto [lo_it, hi_it] = std::minmax_element(values.begin(), values.end());
    const float m = *hi_it;
    const float lo = *lo_it;
    float factor = 1.0f;
    while (m * factor > 9.98949f || lo * 1000.0f * factor <= -999.5f) factor *= 0.1f;
    if (factor != 1.0f) {
        con.line(">> sbr trrw: series " + fmt::A(id, 8) + " max value" + F(m, 12, 3) + " multiplied by" +
                 F(factor, 10, 6));
    }
    const bool counted = !depth.empty() && depth[0] >= 1;

    const std::string ident = fmt::pad(id, 6).substr(0, 6);
    std::array<std::string, 10> cell;
    const std::string empty_cell = I(9990, 4) + I(0, 3);
    cell.fill(empty_cell);
    std::int32_t line_year = first_year;
    std::int32_t decade = first_year - (((first_year % 10) + 10) % 10);
    std::size_t pos = static_cast<std::size_t>(first_year - decade);
    auto emit = [&] {
        std::string l = ident + fmt::IY(line_year, 4);
        for (const auto& c : cell) l += c;
        out.line(l);
        cell.fill(empty_cell);
        decade += 10;
        line_year = decade;
        pos = 0;
    };
    for (std::size_t i = 0; i < values.size(); ++i) {
        const float scaled = values[i] * 1000.0f * factor;
        const std::int32_t count = counted && i < depth.size() ? depth[i] : 1;
        cell[pos] = NINT(scaled, 4) + I(count, 3);
        if (++pos == 10) emit();
    }
    // The rest of the last line stays empty; after a full last line one line of
    // empty positions closes the series.
    emit();
}

void cloud_save_menu(Console& con, const CloudStore& cs, bool normalized) {
    for (;;) {
        show_cloud_save_menu(con, normalized);
        const std::optional<CloudSaveChoice> choice = ask_cloud_save_choice(con);
        if (choice == CloudSaveChoice::back_to_main_menu) return;
        if (!choice) {
            con.blank();
            con.line(menu_indent(normalized ? "You must enter a [1]-[6] or [7 to RETURN to Main Menu] "
                                            : "You must enter a [1]-[4] or [7 to RETURN to Main Menu] "));
            pause_continue(con);
            continue;
        }
        const bool normalised_layout =
            choice == CloudSaveChoice::normalised_columns || choice == CloudSaveChoice::normalised_index;
        if (normalised_layout && !normalized) {
            if (asks_return_before_normalisation(con)) return;
            continue;
        }
        save_cloud_table(con, cs, *choice);
    }
}

bool save_class_splines(Console& con, const CloudStore& cs) {
    TextFile f;
    const auto name = open_output_file(con, f);
    if (!name) return false;

    const std::int32_t nc = classes(cs);
    f.line(" Raw Age Class Clouds and Splines ------");
    // Past the 25th class a row continues on a line of its own (the format reverts
    // to its group, without the leading 1x).
    static const RecordFormat header("(1x,100('YR',i4,'-',i4,1x,'STD.ER',2x))");
    static const RecordFormat body("(1x,25(i4,1x,f6.3,1x,f6.3,2x))");
    write_class_header(f, header, cs, nc);

    std::array<std::size_t, mxnc> n{};
    for (std::int32_t k = 1; k <= nc; ++k) {
        const CloudClass& c = cs.cls[idx(k)];
        n[idx(k)] = std::min(held(cs.nps[idx(k)], c.spline_year.size(), c.spline_value.size()), c.spline_se.size());
    }
    write_class_rows(f, body, nc, largest(cs.nps, nc), [&](RecordWriter& w, std::int32_t k, std::size_t i) {
        const CloudClass& c = cs.cls[idx(k)];
        float year = 0.0f, value = 0.0f, se = 0.0f;
        if (i < n[idx(k)]) {
            year = c.spline_year[i];
            value = c.spline_value[i];
            se = c.spline_se[i];
        }
        put_year(w, year, true);
        w.put(value);
        w.put(se);
    });
    if (!f.close()) {
        con.line(menu_indent(failed_write_notice(*name)));
        return false;
    }
    return true;
}

}  // namespace tarnik::exporting
