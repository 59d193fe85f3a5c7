#include "clouds/age_classes.h"

#include "spline/bandwidth_request.h"

#include <optional>
#include <string>

#include "clouds/menu_lines.h"
#include "console/format.h"

namespace tarnik::clouds {
namespace {

using fmt::I;

// A t/f answer; one that cannot be read keeps the previous t/f answer.
bool ask_logical(Console& con, AgeClassDialogState& st, std::string_view prompt) {
    con.text(menu_indent(prompt));
    if (auto v = con.read_free_logical()) st.last_logical = *v;
    return st.last_logical;
}

// An integer field answer; w columns, asked again while it cannot be read.
std::int32_t ask_field(Console& con, std::string_view prompt, int w) { return con.ask_int_field(menu_indent(prompt), w); }

// The pause of the definition dialog's notices.
constexpr std::string_view kPause = "Hit RETURN to continue : ";

void warning(Console& con, std::string_view what) {
    con.blank();
    say(con, "* WARNING *");
    say(con, what);
    hit_return(con, kPause);
}

void mode_menu(Console& con, const AgeRange& r) {
    con.blank();
    say(con, "The age class distributions for this data set range");
    say(con, "from " + I(r.min_age, 2) + " to " + I(r.max_age, 4) + ". ");
    con.blank();
    say(con, "To define the number of age classes and their sizes for  ");
    say(con, "dotting you may choose one of three modes,");
    con.blank();
    say(con, "[r]andom");
    say(con, "[a]utomatic");
    say(con, "[m]anual.");
    con.blank();
    say(con, "Using the RANDOM mode you need to enter: ");
    con.blank();
    say(con, "[1] the start age of the youngest age class,");
    say(con, "[2] the stop age of the oldest age class,");
    say(con, "[3] the number of random age classes to create.");
    say(con, "[4] a random number seed.");
    con.blank();
    say(con, "Using the AUTOMATIC mode you need to enter: ");
    con.blank();
    say(con, "[1] the start age of the youngest age class,");
    say(con, "[2] the stop age of the youngest age class,");
    say(con, "  {all the classes will have this same size.}");
    say(con, "[3] the increment between all classes starting age.");
    say(con, "[4] the age to stop defining age classes.");
    say(con, "    (this will depend on the data sample.");
    say(con, "     depth all dot clouds must have more  ");
    say(con, "     than 3 data point to fit a spline)");
    con.blank();
    say(con, "Using the MANUAL mode you will need to enter:");
    con.blank();
    say(con, "[1] the number of age classes you wish to plot.");
    say(con, "[2] the start age and the stop age of each age class.");
    con.blank();
    say(con, "Select the mode to define your age classes.");
    con.blank();
}

// The increment between the class starts: 1 up to the highest age with 3 or
// more series.
std::int32_t ask_increment(Console& con, const AgeRange& r) {
    for (;;) {
        con.blank();
        con.text(menu_indent("Enter the age increment                     : "));
        auto v = parse_int_field(con.read_line(), 4);
        if (v && *v >= 1 && *v <= r.depth3_age) return *v;
        con.blank();
        say(con, "You must enter a value between 1 and " + I(r.depth3_age, 4));
        hit_return(con, kPause);
    }
}

// The age to stop defining classes at; no higher than the highest age with 3
// or more series.
std::int32_t ask_terminal_age(Console& con, const AgeRange& r, std::int32_t start, std::int32_t stop) {
    for (;;) {
        con.blank();
        con.text(menu_indent("Enter the terminal age limit. (must be < " + I(r.depth3_age, 4) + ") : "));
        auto v = parse_int_field(con.read_line(), 4);
        if (v && *v <= r.depth3_age) return *v;
        con.blank();
        say(con, "You must enter a value between " + I(start + stop - 1, 4) + " and " + I(r.depth3_age, 4));
        hit_return(con, kPause);
    }
}

// The answers of the automatic mode: the first class start..stop, the
// increment between class starts and the number of classes.
struct AutomaticClasses {
    std::int32_t start = 0, stop = 0, inc = 0, count = 0;
};

// The automatic mode's questions, asked again until they give 1..mxnc classes.
// Nothing when the data have no age with 3 or more series.
std::optional<AutomaticClasses> ask_automatic_classes(Console& con, const AgeRange& r) {
    AutomaticClasses a;
    for (;;) {
        con.blank();
        a.start = ask_field(con, "Enter the start age in the range [" + I(r.min_age, 4) + "," + I(r.max_age, 4) + "]: ", 4);
        a.stop = ask_field(con, "Enter the stop age in the range  [" + I(a.start, 4) + "," + I(r.max_age, 4) + "]: ", 4);
        if (a.start > a.stop) {
            con.blank();
            say(con, "* WARNING * ");
            say(con, "STOP age may not be less then the START age.");
            hit_return(con, "Hit RETURN to re-enter stop and start ages : ");
            continue;
        }
        if (r.depth3_age < 1) {
            // No increment could be accepted: there is no age with 3 or more series.
            con.blank();
            say(con, "* WARNING *");
            say(con, "No age has 3 or more series, so the automatic mode");
            say(con, "cannot be used. Please choose the random or manual mode.");
            hit_return(con, kPause);
            return std::nullopt;
        }
        a.inc = ask_increment(con, r);
        const std::int32_t t = ask_terminal_age(con, r, a.start, a.stop);
        a.count = (t - a.stop) / a.inc + 1;
        if (a.count < 0) {
            warning(con, "Classnum is negative.");
        } else if (a.count == 0) {
            // The terminal age lies so far below the first stop age that not even
            // one class is defined.
            warning(con, "Classnum is zero: the terminal age is below the first class.");
        } else if (a.count > mxnc) {
            warning(con, "Classnum is greater than " + I(mxnc, 4));
        } else {
            return a;
        }
    }
}

// Automatic mode: classes of equal size with a fixed increment between their
// starts, up to a terminal age. False when the user rejects the result.
bool automatic_mode(Console& con, CloudStore& cs, AgeClassDialogState& st, const AgeRange& r) {
    st.automatic = true;
    const std::optional<AutomaticClasses> a = ask_automatic_classes(con, r);
    if (!a) return false;
    const std::int32_t n = a->count;
    cs.classnum = n;
    for (std::int32_t k = 0; k < n; ++k) {
        const auto i = static_cast<std::size_t>(k);
        cs.start_age[i] = k == 0 ? a->start : cs.start_age[i - 1] + a->inc;
        cs.stop_age[i] = k == 0 ? a->stop : cs.stop_age[i - 1] + a->inc;
        cs.inc_length[i] = a->inc;
    }
    con.blank();
    say(con, "Confirm Age Class Definitions :");
    con.blank(2);
    say(con, "Number of age classes = " + I(n, 4));
    con.blank();
    say(con, "Initial start age     = " + I(cs.start_age[0], 4));
    say(con, "Final end age         = " + I(cs.stop_age[static_cast<std::size_t>(n - 1)], 4));
    say(con, "Increment             = " + I(a->inc, 4));
    con.blank();
    return ask_logical(con, st, "Is this ok? [t]rue or [f]alse : ");
}

void manual_mode_intro(Console& con) {
    con.blank();
    say(con, "In manual mode you may select up to " + I(mxnc, 3) + " age ");
    say(con, "classes to plot. to use this method:");
    con.blank();
    say(con, "[1] enter the number of age classes to plot. ");
    say(con, "[2] enter the starting age for each age class");
    say(con, "[3] enter the stopping age of each class.");
    con.blank();
    say(con, "  EXAMPLE: a starting age of 30 and an ending");
    say(con, "age of 40 would define an age class size of 11 from");
    say(con, "30 to 40.");
    say(con, "To analyze just one age class of one years cambial");
    say(con, "growth, enter the same starting and ending age.");
    con.blank();
}

// The number of classes, 1..mxnc; an unreadable answer keeps the previous count.
void ask_class_count(Console& con, CloudStore& cs) {
    for (;;) {
        con.text(menu_indent("Enter the number of age classes to plot  :  "));
        if (auto v = con.read_free_int()) cs.classnum = *v;
        if (cs.classnum >= 1 && cs.classnum <= mxnc) return;
        con.blank();
        say(con, "* WARNING *");
        say(con, "The number of age classes must be between " + I(1, 3) + " and " + I(mxnc, 3) + ".");
        con.blank();
    }
}

// The starting age of class k, within the data's ages.
std::int32_t ask_start_age(Console& con, const AgeRange& r, std::int32_t k) {
    for (;;) {
        say(con, "Enter the starting age [must be >= " + I(r.min_age, 4) + "]");
        const std::int32_t a = ask_field(con, "for age class " + I(k, 3) + " : ", 4);
        if (a < r.min_age) {
            warning(con, "The starting age must be >= " + I(r.min_age, 4));
        } else if (a > r.max_age) {
            // No stopping age could be accepted after this start.
            warning(con, "The starting age must be <= " + I(r.max_age, 4));
        } else {
            return a;
        }
    }
}

// The stopping age of class k, from its start to the oldest age of the data.
std::int32_t ask_stop_age(Console& con, const AgeRange& r, std::int32_t k, std::int32_t start) {
    for (;;) {
        say(con, "Enter the stopping age [must be <= " + I(r.max_age, 4) + "]");
        const std::int32_t a = ask_field(con, "for age class " + I(k, 3) + " : ", 4);
        if (a >= start && a <= r.max_age) return a;
        con.blank();
        say(con, "* WARNING *");
        say(con, "The stop age must be >= the starting age ");
        say(con, "and <=" + I(r.max_age, 4) + ".");
        hit_return(con, kPause);
    }
}

// Manual mode: the number of classes, then the start and stop age of each.
// False when the user rejects the result.
bool manual_mode(Console& con, TextFile& report, CloudStore& cs, AgeClassDialogState& st, const AgeRange& r) {
    st.automatic = false;
    manual_mode_intro(con);
    ask_class_count(con, cs);
    con.blank();
    report.blank();
    report.line(" *** manual mode age class selectioin ***");

    for (std::int32_t k = 1; k <= cs.classnum; ++k) {
        const auto i = static_cast<std::size_t>(k - 1);
        cs.start_age[i] = ask_start_age(con, r, k);
        cs.stop_age[i] = ask_stop_age(con, r, k, cs.start_age[i]);
        cs.inc_length[i] = cs.stop_age[i] - cs.start_age[i] + 1;
    }
    con.blank();
    say(con, "Confirm Age Class Definitions :");
    con.blank();
    say(con, "  #    start   stop   size");
    for (std::int32_t k = 1; k <= cs.classnum; ++k) {
        const auto i = static_cast<std::size_t>(k - 1);
        con.line(fmt::X(13) + I(k, 4) + fmt::X(3) + I(cs.start_age[i], 4) + " to " + I(cs.stop_age[i], 4) +
                 fmt::X(3) + I(cs.inc_length[i], 4));
    }
    con.blank();
    return ask_logical(con, st, "Is this ok? [t]rue or [f]alse : ");
}

}  // namespace

bool define_classes_once(Console& con, TextFile& report, CloudStore& cs, AgeClassDialogState& st,
                         const AgeRange& range) {
    report.blank(2);
    report.line(" Dot-Cloud Construction *********************");
    mode_menu(con, range);
    con.text(menu_indent("Enter either [r]andom [a]utomatic or [m]anual  :  "));
    switch (first_char(con.read_line())) {
        case 'a':
        case 'A':
            return automatic_mode(con, cs, st, range);
        case 'm':
        case 'M':
            return manual_mode(con, report, cs, st, range);
        case 'r':
        case 'R':
            return random_class_dialog(con, st.ran, st.random, mxnc, range.min_age, range.max_age, cs);
        default:
            con.blank(2);
            say(con, "* WARNING *");
            say(con, "You must enter an r or a or m");
            hit_return(con, kPause);
            return false;
    }
}

void bandwidth_dialog(Console& con, CloudStore& cs, AgeClassDialogState& st) {
    char mode = ' ';
    for (;;) {
        con.blank(2);
        say(con, "To specify the bandwidths for splining DOT clouds");
        say(con, "you may choose one of two modes:");
        con.blank();
        say(con, "[a]utomatic or [m]anual.");
        con.blank();
        say(con, "In AUTOMATIC mode you need to select only one");
        say(con, "bandwidth.");
        con.blank();
        say(con, "In MANUAL mode you will need to select a bandwidth");
        say(con, "for each age class cloud defined previously.");
        con.blank();
        con.blank();
        con.text(menu_indent("Enter [a]utomatic or [m]anual   :   "));
        mode = first_char(con.read_line());
        if (mode == 'a' || mode == 'A' || mode == 'm' || mode == 'M') break;
        con.blank();
        say(con, "* WARNING *");
        say(con, "You must enter an a or m");
        hit_return(con);
    }
    con.blank();
    say(con, "________ Spline Detrending Menu ________");
    con.blank();
    spline::print_jdt_rules(con);
    say(con, "_________________________________________");
    if (mode == 'a' || mode == 'A') {
        con.blank();
        con.text(menu_indent("Enter the spline parameter: "));
        if (auto v = con.read_free_int()) st.jdt_all = *v;  // unreadable: keeps the previous value
        for (std::int32_t k = 0; k < cs.classnum; ++k) cs.jdt[static_cast<std::size_t>(k)] = st.jdt_all;
    } else {
        for (std::int32_t k = 1; k <= cs.classnum; ++k) {
            const auto i = static_cast<std::size_t>(k - 1);
            cs.jdt[i] = ask_field(con,
                                  "Enter spline parameter for age class " + I(k, 3) + "  " + I(cs.start_age[i], 4) +
                                      "-" + I(cs.stop_age[i], 4) + " : ",
                                  3);
        }
    }
}

ReviewChoice review_classes(Console& con, const CloudStore& cs, AgeClassDialogState& st) {
    con.blank();
    say(con, ": AGE CLASS SELECTIONS :");
    con.blank();
    say(con, "Age Class   First Year   Last Year   Spline");
    for (std::int32_t k = 1; k <= cs.classnum; ++k) {
        const auto i = static_cast<std::size_t>(k - 1);
        con.line(fmt::X(16) + I(k, 4) + fmt::X(8) + I(cs.start_age[i], 4) + fmt::X(8) + I(cs.stop_age[i], 4) +
                 fmt::X(6) + I(cs.jdt[i], 4));
    }
    con.blank();
    if (ask_logical(con, st, "Is this ok? [t]rue or [f]alse ")) return ReviewChoice::accepted;
    con.blank();
    say(con, "Change Age Class Determinations [1]");
    const std::int32_t choice = ask_field(con, "Change Spline Options           [2] :", 1);
    if (choice == 1) return ReviewChoice::redefine_classes;
    if (choice == 2) return ReviewChoice::change_bandwidths;
    return ReviewChoice::accepted;
}

void record_classes(TextFile& report, const CloudStore& cs, const AgeClassDialogState& st) {
    report.blank();
    report.line(st.automatic ? " Automated age classes defined by user" : " Manual age classes defined by user");
    report.line("   #    start    stop   inc/length spline");
    for (std::int32_t k = 1; k <= cs.classnum; ++k) {
        const auto i = static_cast<std::size_t>(k - 1);
        report.line(" " + I(k, 4) + fmt::X(3) + I(cs.start_age[i], 4) + "  to " + I(cs.stop_age[i], 4) + fmt::X(5) +
                    I(cs.stop_age[i] - cs.start_age[i] + 1, 4) + fmt::X(4) + I(cs.jdt[i], 4));
    }
}

void define_age_classes(Console& con, TextFile& report, CloudStore& cs, AgeClassDialogState& st,
                        const AgeRange& range) {
    for (;;) {
        if (!define_classes_once(con, report, cs, st, range)) continue;
        bandwidth_dialog(con, cs, st);
        ReviewChoice r;
        while ((r = review_classes(con, cs, st)) == ReviewChoice::change_bandwidths) bandwidth_dialog(con, cs, st);
        if (r == ReviewChoice::accepted) break;
    }
    record_classes(report, cs, st);
}

}  // namespace tarnik::clouds
