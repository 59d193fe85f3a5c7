#include "driver/driver.h"

#include <cmath>
#include <filesystem>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "clouds/dot_cloud_display.h"
#include "console/errors.h"
#include "console/format.h"
#include "console/textfile.h"
#include "data/analysis_variable.h"
#include "data/series_alignment.h"
#include "data/stores.h"
#include "driver/dialogs.h"
#include "input/data_set.h"
#include "plot/cycle.h"
#include "plot/series_display.h"
#include "rcs/rcs.h"
#include "driver/spline_trends.h"
#include "spline/bandwidth_request.h"

namespace tarnik {
namespace {

std::string underscores(int n) { return std::string(static_cast<std::size_t>(n), '_'); }

void banner(Console& con) {
    con.line();
    con.line(underscores(70));
    con.line("********* Program Tarnik *********************************************");
    con.line(underscores(70));
    con.line();
    con.line("This program reads in a raw ring width increment file in decadal format");
    con.line("and builds cambially aligned chronologies from user specified parameters.");
    con.line("From these intiial conditions the program will analyze the chronologies");
    con.line("for the purpose of detecting age-related low and high frequesncy trends ");
    con.line("in the data.");
    con.line();
    con.line("Version : " + fmt::pad(kProgramVersion, 8));
    con.line("Creation date : April 1, 2014");
    con.line();
    con.line("Max Series = " + fmt::I(MaxSeries, 6));
    con.line("Max Years  = " + fmt::I(MaxYears, 6));
    con.line(underscores(70));
}

// The two closing lines of every dimension violation; the run then ends.
[[noreturn]] void dimension_violation(Console& con, TextFile& report, const std::string& l1, const std::string& l2) {
    report.close();
    con.line(menu_indent(l1));
    con.line(menu_indent(l2));
    con.line(menu_indent("This is a fatal error and indicates a dimension violation."));
    con.line(menu_indent("Contact your computer programmer for assisatance"));
    throw ProgramEnd{1};
}

}  // namespace

std::string report_file_name(const std::string& input_name) {
    std::string_view path = input_name;
    while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);  // a folder named with its '/'
    const std::size_t slash = path.rfind('/');
    const std::string_view folder = slash == std::string_view::npos ? std::string_view{} : path.substr(0, slash + 1);
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    std::string base;
    for (std::size_t i = 0; i < name.size() && i < 20; ++i) {
        if (name[i] == '.' || name[i] == ' ') break;
        base += name[i];
    }
    return std::string(folder) + base + "_Tarnik";
}

// The choices of the Main Program Menu; the two series displays share their
// numbers with SeriesAlignment.
enum class MainMenuChoice : std::int32_t {
    series_by_age = 1,
    series_by_year = 2,
    dot_clouds = 3,
    change_variable = 4,
    exit = 5,
};

class Driver {
public:
    explicit Driver(Console& con) : con_(con) {}
    int run();

private:
    void ask_input_file();
    void check_report_name();
    void reading_cycle();
    void transformation_menu();
    void read_series(DataSetReader& source);
    bool next_series(DataSetReader& source, SeriesRead& s);
    void check_limits(std::int32_t n, std::int32_t length, std::int64_t total);
    void store_series(const SeriesRead& s, std::int32_t n);
    std::int32_t spline_bandwidth(std::int32_t n, std::int32_t length);
    void end_without_series(const DataSetReader& source);
    void check_ranges(std::int32_t n, const std::string& id, std::int32_t first_year, std::int32_t length,
                      std::int32_t pith_offset);
    void print_summary();
    void notice(const std::string& text);
    bool main_menu();

    Console& con_;
    Stores st_;
    std::string input_name_;
    std::string report_name_;
    std::string offset_file_;  // the pith offset file, empty without one
    TextFile report_;
    bool report_opened_ = false;
    AnalysisVariable variable_ = AnalysisVariable::ring_widths;
    std::int32_t jdt_ = 0;
    std::int32_t bandwidth_ = 0;
    plot::SeriesDisplayState display_;  // the series display's settings, kept for the run
    rcs::RcsState rcs_;                 // holds the regional curve after an RCS reading
    clouds::DotCloudDisplay clouds_;    // the dot-cloud display's store, kept for the run
};

void Driver::ask_input_file() {
    for (;;) {
        con_.line();
        input_name_ = std::string(trim_right(con_.ask("Enter raw ring width file  name : ")));
        std::error_code ec;
        // A ring-width file, or a folder whose files are read as one data set.
        if (!input_name_.empty() &&
            (std::filesystem::is_regular_file(input_name_, ec) || std::filesystem::is_directory(input_name_, ec)))
            return;
        con_.blank(2);
        con_.line("File > " + fmt::pad(input_name_, 40) + " < not found");
        con_.line("Please enter a new file name or terminate the program");
    }
}

// The report is written over whatever file has its name: it must not be one
// of the files the run reads.
void Driver::check_report_name() {
    std::error_code ec;
    const auto is = [&](const std::string& file) {
        return !file.empty() && std::filesystem::exists(report_name_, ec) && std::filesystem::equivalent(report_name_, file, ec);
    };
    const char* what = is(input_name_) ? "the ring-width file" : is(offset_file_) ? "the pith offset file" : nullptr;
    if (!what) return;
    con_.line();
    con_.line(" The report file would be " + std::string(what) + " " + report_name_ + " itself, and replace it.");
    con_.line(" Please give that file another name (the report takes the name's first 20 characters up to");
    con_.line(" a '.' or blank, followed by _Tarnik). Nothing was written; the run ends here.");
    throw ProgramEnd{1};
}

void Driver::transformation_menu() {
    for (;;) {
        con_.line();
        con_.line(menu_indent("____ Data Transformation Menu ____"));
        con_.line(menu_indent("Work with raw ring-widths       [1] "));
        con_.line(menu_indent("Work with spline trend values   [2]"));
        con_.line(menu_indent("Work with RCS detrended values  [3]"));
        con_.line(menu_indent("___________________________________"));
        con_.text(menu_indent("Enter a value between   [1-3]  : "));
        // An answer that is not a number is out of range like any other.
        auto v = con_.read_free_int();
        if (v && *v >= 1 && *v <= 3) {
            variable_ = static_cast<AnalysisVariable>(*v);
            break;
        }
        con_.line();
        con_.line("   You must enter a value between 1 and 3");
    }
    if (variable_ == AnalysisVariable::spline_trends) {
        con_.line();
        con_.line(menu_indent("____ spline detrending menu ____________"));
        con_.line();
        spline::print_jdt_rules(con_);
        con_.line(menu_indent("__________________________________________"));
        con_.line();
        jdt_ = con_.ask_free_int(menu_indent("Enter spline parameter          : "));
    }
}

void Driver::notice(const std::string& text) {
    con_.line(text);
    report_.line(text);
}

void Driver::check_ranges(std::int32_t n, const std::string& id, std::int32_t first_year, std::int32_t length,
                          std::int32_t pith_offset) {
    const std::string who = " of radius " + fmt::I(n, 7) + " (" + id + ")";
    const std::int64_t last_year = static_cast<std::int64_t>(first_year) + length - 1;
    if (first_year < MinCalendarYear || first_year > MaxCalendarYear || last_year > MaxCalendarYear) {
        const std::int64_t bad = first_year < MinCalendarYear || first_year > MaxCalendarYear ? first_year : last_year;
        dimension_violation(con_, report_, "The calendar year " + fmt::I(bad, 7) + who,
                            "is outside the allowed range " + fmt::I(MinCalendarYear, 5) + " - " +
                                fmt::I(MaxCalendarYear, 4) + " Program Terminating...");
    }
    if (pith_offset < 0) {
        dimension_violation(con_, report_, "The pith offset " + fmt::I(pith_offset, 7) + who,
                            "is negative; offsets must be 0 or more. Program Terminating...");
    }
    const std::int64_t last_age = static_cast<std::int64_t>(pith_offset) + length;
    if (last_age > MaxYears) {
        dimension_violation(con_, report_, "The cambial age " + fmt::I(last_age, 7) + who,
                            "exceeds the maximum allowed. " + fmt::I(MaxYears, 7) + " Program Terminating...");
    }
}

// The next series of the data set, its notices passed on; false at the end.
bool Driver::next_series(DataSetReader& source, SeriesRead& s) {
    bool read = false;
    try {
        read = source.next(s);
    } catch (const UnusableFile& e) {
        // A file of a known format without anything to analyse.
        for (const auto& text : source.take_notices()) notice(text);
        for (const auto& text : e.lines) notice(text);
        report_.close();
        throw ProgramEnd{1};
    }
    for (const auto& text : source.take_notices()) notice(text);
    return read;
}

// The limits on the number of series, the rings of series n (`length`) and the
// rings of all with it (`total`): a series past one of them ends the run.
void Driver::check_limits(std::int32_t n, std::int32_t length, std::int64_t total) {
    if (n > MaxSeries) {
        dimension_violation(con_, report_, "The number of radii " + fmt::I(n, 7) + " exceeds",
                            "the maximum allowed. " + fmt::I(MaxSeries, 7) + " Program Terminating...");
    }
    if (length > MaxYears) {
        dimension_violation(con_, report_,
                            "The length of radius " + fmt::I(n, 7) + " := [ " + fmt::I(length, 7) + " ] exceeds",
                            "the maximum allowed. " + fmt::I(MaxYears, 7) + " Program Terminating...");
    }
    if (total > MaxValues) {
        dimension_violation(con_, report_, "The total number of measurements " + fmt::I(total, 10) + " exceeds",
                            "the maximum allowed. " + fmt::I(MaxValues, 10) + " Program Terminating...");
    }
}

// Series n into the stores, its values after those stored before it.
void Driver::store_series(const SeriesRead& s, std::int32_t n) {
    const std::int32_t length = s.length;
    const auto first_index = static_cast<std::int32_t>(st_.total) + 1;
    const std::int32_t offset = st_.pith_offset_of(n);
    check_ranges(n, s.id, s.first_year, length, offset);
    SeriesRecord r;
    r.first_index = first_index;
    r.last_index = first_index + length - 1;
    r.length = length;
    r.first_year = s.first_year;
    r.pith_offset = offset;
    r.scale = s.scale;
    st_.series.push_back(r);
    st_.series_ids.push_back(s.id);
    // The widths as read (for the spline trend variable they are replaced
    // by the fitted curves once the whole file is read). Converting the
    // millimetres back would lose a unit for many widths: 0.53 mm * 100 is
    // 52.99999 in single precision. The sample depths are counted by summarise_stores.
    if (s.values.size() != static_cast<std::size_t>(length))
        throw std::logic_error("a reader gave " + std::to_string(s.values.size()) + " widths for " +
                               std::to_string(length) + " rings");
    st_.values.insert(st_.values.end(), s.values.begin(), s.values.end());
    st_.total += length;
}

// The bandwidth of series n's spline trend; a series too short to spline ends
// the run.
std::int32_t Driver::spline_bandwidth(std::int32_t n, std::int32_t length) {
    if (length < 3) {
        dimension_violation(con_, report_,
                            "The length of radius " + fmt::I(n, 7) + " := [ " + fmt::I(length, 7) + " ] is less",
                            "than 3. This is too short to spline. Program Terminating...");
    }
    const auto [bandwidth, raised] = spline::bandwidth_request(jdt_, length);
    if (raised) {
        con_.line();
        con_.line(menu_indent("The spline bandwidth must be ≥ 2 years."));
        con_.line(menu_indent("It will be set to 2."));
    }
    return bandwidth;
}

// Nothing to summarise or analyse: the run ends before the summary.
void Driver::end_without_series(const DataSetReader& source) {
    notice(" The " + std::string(source.is_folder() ? "folder " : "file ") + input_name_ +
           " holds no series: there is nothing to analyse. The run ends here.");
    report_.close();
    throw ProgramEnd{1};
}

void Driver::read_series(DataSetReader& source) {
    SeriesRead s;
    std::vector<std::int32_t> bandwidths;  // per series, for the spline trend variable
    st_.values.reserve(std::min<std::size_t>(source.value_count_bound(), MaxValues));
    while (next_series(source, s)) {
        const auto n = static_cast<std::int32_t>(st_.series.size()) + 1;  // the number of this series
        check_limits(n, s.length, st_.total + s.length);
        store_series(s, n);
        if (variable_ == AnalysisVariable::spline_trends) bandwidths.push_back(spline_bandwidth(n, s.length));
    }
    st_.nser = static_cast<std::int32_t>(st_.series.size());
    if (st_.nser == 0) end_without_series(source);
    if (variable_ == AnalysisVariable::spline_trends) {
        fit_spline_trends(st_, bandwidths);
        bandwidth_ = bandwidths.back();
    }
    for (const MissingRings& m : source.missing_rings()) {
        notice(" Series " + std::to_string(m.series) + " (" + m.id + "): " + std::to_string(m.count) + " " + m.words +
               " read as missing rings (0), the first in " +
               std::to_string(m.first_year) + ".");
    }
}

void Driver::print_summary() {
    const DataSummary& m = st_.summary;
    con_.line();
    con_.line("Input file =: " + input_name_);
    con_.line("Contains: " + fmt::I(st_.nser, 8) + " series");
    // Years of real data are never asterisks (-2649 takes five columns); the
    // start values of a file without series are printed as they are.
    const auto year = [&](std::int32_t y) { return st_.nser > 0 ? fmt::IY(y, 4) : fmt::I(y, 4); };
    con_.line("Spanning the calander period " + year(m.min_first_year) + " -" + year(m.max_last_year));
    con_.line("Spanning bological ages " + fmt::I(m.min_first_age, 4) + "-" + fmt::I(m.max_last_age, 4));
    con_.line("Maximum age for which there are 3 or more");
    con_.line("growth increments is : " + fmt::I(m.max_age_depth3, 4));
    con_.line("For a total of " + fmt::I(st_.total, 10) + " measurements");
    con_.line("Ranging from Min. y = " + fmt::F(m.y_min, 8, 3) + " to Max. y = " + fmt::F(m.y_max, 8, 3));
}

void Driver::reading_cycle() {
    std::string problem;
    auto source = DataSetReader::open(input_name_, problem, offset_file_);
    if (!source) {
        con_.line();
        con_.line(problem);
        throw ProgramEnd{1};
    }
    transformation_menu();
    con_.line();
    con_.line("Processing file " + input_name_);
    if (!report_opened_) {
        if (!report_.open(report_name_)) {
            con_.line();
            con_.line(" The report file " + report_name_ + " cannot be created (is its folder writable?). " +
                      "The run ends here.");
            throw ProgramEnd{1};
        }
        report_opened_ = true;
    }
    st_.clear_for_reading();
    read_series(*source);
    summarise_stores(st_);
    print_summary();
    if (variable_ == AnalysisVariable::rcs_indices) {
        rcs_.jdt = jdt_;
        rcs_.bandwidth = bandwidth_;
        rcs::run_regional_curve(con_, st_, rcs_, input_name_, display_);
        variable_ = rcs_.variable;
        jdt_ = rcs_.jdt;
        bandwidth_ = rcs_.bandwidth;
    }
}

bool Driver::main_menu() {
    con_.blank(3);
    con_.line(menu_indent("_____________ Main Program Menu _________________"));
    con_.line(menu_indent("Display all cambially aligned series            >[1]"));
    con_.line(menu_indent("Display all x-dated series                      >[2]"));
    con_.line(menu_indent("Display age class dotting distributions         >[3]"));
    con_.line(menu_indent("Change variable for analysis                    >[4]"));
    con_.line();
    con_.line(menu_indent("EXIT program                                    >[5]"));
    con_.line(menu_indent("____________________________________________________"));
    con_.line();
    const std::int32_t answer = parse_int_field(con_.ask("Enter option [1-5] : "), 2).value_or(0);
    switch (static_cast<MainMenuChoice>(answer)) {
        case MainMenuChoice::series_by_age:
        case MainMenuChoice::series_by_year: {
            plot::SeriesDisplayInput in;
            in.variable = variable_;
            in.alignment = static_cast<SeriesAlignment>(answer);
            in.y_min = st_.summary.y_min;
            in.y_max = st_.summary.y_max;
            in.regional_curve = rcs_.regional_curve;
            in.title = input_name_;
            plot::run_series_display(con_, st_, in, display_);
            return true;
        }
        case MainMenuChoice::dot_clouds:
            clouds_.run(con_, st_, report_, variable_, input_name_);
            return true;
        case MainMenuChoice::change_variable:
            reading_cycle();
            return true;
        case MainMenuChoice::exit:
            // A report that did not reach the disk completely (a full disk, say)
            // must not pass for a complete one.
            if (!report_.close()) con_.line(" The report file " + report_name_ + " could not be written completely.");
            con_.line(menu_indent("Normal termination of program"));
            return false;
        default:
            con_.line(fmt::X(25) + "That choice is out of range: enter a number from 1 to 5.");
            con_.line();
            con_.pause_field(menu_indent("Hit RETURN to continue : "));
            return true;
    }
}

int Driver::run() {
    plot::set_plplot_environment();
    banner(con_);
    ask_input_file();
    offset_file_ = pith_offset_dialog(con_, input_name_, st_.pith_offsets);
    report_name_ = report_file_name(input_name_);
    check_report_name();
    reading_cycle();
    while (main_menu()) {
    }
    return 0;
}

int run_program(Console& con) {
    Driver d(con);
    return d.run();
}

}  // namespace tarnik
