#include "plot/appearance.h"

#include <string>

#include "console/format.h"

namespace tarnik::plot {
namespace {

const std::string kUnderscores59(59, '_');

// Colour names of the library's default palette. Entries 0 and 15 are named as
// they are on the default white background.
void colour_table(Console& con) {
    con.blank();
    con.line(menu_indent("COLOR TABLE ______________________________________________"));
    con.line(menu_indent("White(0) Red(1)  Yellow(2)  Green(3)  Aquamarine(4) Pink(5) "));
    con.line(menu_indent("Wheat(6)  Grey(7)  Browm(8)  Blue(9)  BlueViolet(10)"));
    con.line(menu_indent("Cyan(11)  Turquoise(12)  Magenta(13)  Salmon(14)  Black(15)"));
    con.line(menu_indent(kUnderscores59));
    con.blank();
}

void background_table(Console& con) {
    con.blank();
    con.line(menu_indent("COLOR TABLE (Background Only) ____________________________"));
    con.line(menu_indent("Black(0) White(1)  USER DEFINED (2)"));
    con.line(menu_indent(kUnderscores59));
    con.blank();
}

// A prompt preceded by one empty line ("/" in the dialog tables).
std::int32_t free_int_after_blank(Console& con, std::string_view prompt) {
    con.blank();
    return con.ask_free_int(menu_indent(prompt));
}

std::int32_t field4_after_blank(Console& con, std::string_view prompt) {
    con.blank();
    return con.ask_int_field(menu_indent(prompt), 4);
}

// Options 5 and 7 of the series plots, which have no symbols.
void not_available(Console& con) {
    con.blank();
    con.line(menu_indent("This option not available for your plot"));
    con.pause(menu_indent("Hit return to enter new selection"));
}

// The age classes of the dot clouds, listed by the class loops.
struct AgeClasses {
    std::int32_t count = 0;
    std::span<const std::int32_t> start_age, stop_age;
};

struct ClassLoopTexts {
    std::string_view header1, header2, header3;
    std::string_view class_prompt, value_prompt;
};

// The class list: two classes per row. An odd last class gets a row of its own,
// so that every class 1..nc is shown.
void list_classes(Console& con, std::int32_t nc, const AgeClasses& classes) {
    auto entry = [&](std::int32_t k) {
        const auto i = static_cast<std::size_t>(k - 1);
        const std::int32_t a = i < classes.start_age.size() ? classes.start_age[i] : 0;
        const std::int32_t b = i < classes.stop_age.size() ? classes.stop_age[i] : 0;
        return "[" + fmt::I(k, 3) + "] " + fmt::I(a, 4) + "-" + fmt::I(b, 4) + fmt::X(3);
    };
    for (std::int32_t k = 1; k <= nc; k += 2) {
        std::string row = entry(k);
        if (k + 1 <= nc) row += entry(k + 1);
        con.line(menu_indent(row));
    }
}

// Dot clouds: choose a class (0 = all, -1 = done), then its new value; repeated
// until -1. A class number that is not in use is refused and the list shown again.
void class_loop(Console& con, const ClassLoopTexts& t, const AgeClasses& classes, std::array<std::int32_t, mxnc>& target) {
    const std::int32_t nc = classes.count;
    const std::int32_t used = nc < 0 ? 0 : (nc > mxnc ? mxnc : nc);
    for (;;) {
        con.line(menu_indent(t.header1));
        con.line(menu_indent(t.header2));
        con.line(menu_indent(t.header3));
        con.blank();
        list_classes(con, used, classes);
        const std::int32_t k = free_int_after_blank(con, t.class_prompt);
        if (k == -1) return;
        if (k < -1 || k > used) {
            con.line(menu_indent("There is no age class " + std::to_string(k) + ": enter 1 to " + std::to_string(used) +
                           ", 0 for all or -1 to quit."));
            continue;
        }
        const std::int32_t value = con.ask_int_field(menu_indent(t.value_prompt), 4);
        if (k == 0) {
            for (std::int32_t i = 0; i < used; ++i) target[static_cast<std::size_t>(i)] = value;
        } else {
            target[static_cast<std::size_t>(k - 1)] = value;
        }
    }
}

// The answers of the single class view's choice of curve.
enum class CurveChoice : std::int32_t { spline_fit = 1, error_bounds = 2 };

struct CurveChoiceTexts {
    std::string_view spline_line, bounds_prompt, value_prompt;
};

// Single class view: which of the two curves (1 spline fit, 2 error bounds), then the value.
void spline_or_bounds(Console& con, const CurveChoiceTexts& t, std::array<std::int32_t, mxnc>& target) {
    con.blank();
    con.line(menu_indent(t.spline_line));
    const auto which = static_cast<CurveChoice>(con.ask_int_field(menu_indent(t.bounds_prompt), 4));
    const std::int32_t value = field4_after_blank(con, t.value_prompt);
    if (which == CurveChoice::spline_fit) target[0] = value;
    else if (which == CurveChoice::error_bounds) target[1] = value;
}

// Options 8-19: "from:" with the current value, the new value after "to > ".
// A limit of the X axis, which holds calendar years on most displays, is shown
// widened where a year needs it (-2650.000) rather than as asterisks.
float change_real(Console& con, std::string_view what, float current, int w, int d, bool x_limit = false) {
    con.blank();
    con.line(menu_indent(std::string(what) + (x_limit ? fmt::FY(current, w, d) : fmt::F(current, w, d))));
    return static_cast<float>(con.ask_free_real(menu_indent("to > ")));
}

void change_minor(Console& con, std::string_view what, std::int32_t& target, bool field) {
    con.blank();
    con.line(menu_indent(std::string(what) + fmt::I(target, 4)));
    target = field ? con.ask_int_field(menu_indent("to > "), 4) : con.ask_free_int(menu_indent("to > "));
}

bool is_series(PlotKind kind) { return kind == PlotKind::series_by_age || kind == PlotKind::series_by_year; }

void restore_defaults(PlotAppearance& ap, PlotKind kind, bool& dark) {
    ap.bg_red = ap.bg_green = ap.bg_blue = 255;
    dark = false;
    ap.text_colour = 15;
    ap.frame_colour = 15;
    if (is_series(kind)) {
        ap.line_style[0] = ap.line_style[1] = 1;
        ap.line_colour[0] = ap.line_colour[1] = ap.line_colour[2] = 15;
        ap.symbol_colour[0] = 15;
        ap.symbol_type[0] = 18;
    } else if (kind == PlotKind::dot_clouds) {
        for (std::size_t i = 0; i < ap.line_style.size(); ++i) {
            const auto colour = static_cast<std::int32_t>(i % 15) + 1;
            ap.line_style[i] = 1;
            ap.symbol_type[i] = 18;
            ap.line_colour[i] = colour;
            ap.symbol_colour[i] = colour;
        }
    }
}

// The answers of the background colour table.
enum class BackgroundChoice : std::int32_t { black = 0, white = 1, user_defined = 2 };

// Option 1: black, white or a colour of the user's; only black is dark.
void choose_background(Console& con, PlotAppearance& ap, bool& dark) {
    background_table(con);
    const auto c = static_cast<BackgroundChoice>(free_int_after_blank(con, "Select new BACKGROUND color [0/1/2] : "));
    if (c == BackgroundChoice::black) {
        ap.bg_red = ap.bg_green = ap.bg_blue = 0;
        dark = true;
    } else if (c == BackgroundChoice::white) {
        ap.bg_red = ap.bg_green = ap.bg_blue = 255;
        dark = false;
    } else if (c == BackgroundChoice::user_defined) {
        ap.bg_red = con.ask_free_int(menu_indent("Enter RED value [0-255] > "));
        ap.bg_green = con.ask_free_int(menu_indent("Enter GREEN value [0-255] > "));
        ap.bg_blue = con.ask_free_int(menu_indent("Enter BLUE value [0-255] > "));
        dark = false;
    }
}

// The headers of the class loops that colour the classes (options 3 and 5).
ClassLoopTexts colour_loop(std::string_view class_prompt, std::string_view value_prompt) {
    return {"Select age class to color:", "[enter  0  to color all classes the same]", "[enter -1  to quit]",
            class_prompt, value_prompt};
}

// Option 3: the line colour of the series, of every age class, or of one curve
// of the single class view.
void choose_line_colour(Console& con, PlotAppearance& ap, PlotKind kind, const AgeClasses& classes) {
    colour_table(con);
    if (is_series(kind)) {
        ap.line_colour[0] = free_int_after_blank(con, "Select new LINE color: [0-15] : ");
    } else if (kind == PlotKind::dot_clouds) {
        class_loop(con, colour_loop("Enter the classnum to color: ", "Select new LINE color: [0-15] : "), classes,
                   ap.line_colour);
    } else if (kind == PlotKind::single_class) {
        spline_or_bounds(con,
                         {"Change Spline Fit color   [1]", "Change Error Bounds color [2] :",
                          "Select new LINE color [0-15] : "},
                         ap.line_colour);
    }
}

// Option 5: the symbol colour; the series plots have no symbols.
void choose_symbol_colour(Console& con, PlotAppearance& ap, PlotKind kind, const AgeClasses& classes) {
    colour_table(con);
    if (is_series(kind)) {
        not_available(con);
    } else if (kind == PlotKind::dot_clouds) {
        class_loop(con, colour_loop("Enter the classnum to color : ", "Select new SYMBOL color: [0-15] : "), classes,
                   ap.symbol_colour);
    } else if (kind == PlotKind::single_class) {
        ap.symbol_colour[0] = field4_after_blank(con, "Select new SYMBOL color [0-15]  : ");
    }
}

// Option 6: the line style, as option 3 chooses what it applies to.
void choose_line_style(Console& con, PlotAppearance& ap, PlotKind kind, const AgeClasses& classes) {
    if (is_series(kind)) {
        ap.line_style[0] = free_int_after_blank(con, "Change LINE style: Enter a value [1-8] > ");
    } else if (kind == PlotKind::dot_clouds) {
        class_loop(con,
                   {"Select age class to change:", "[enter  0  to change all classes the same]",
                    "[enter -1  to quit]", "Enter the classnum to change : ", "Select new LINE style [1-8] : "},
                   classes, ap.line_style);
    } else if (kind == PlotKind::single_class) {
        spline_or_bounds(con, {"Change Spline Fit   [1]", "Change Error Bounds [2] : ", "Select new LINE style [1-8] : "},
                         ap.line_style);
    }
}

// Option 7: the symbol; the series plots have none.
void choose_symbol_type(Console& con, PlotAppearance& ap, PlotKind kind, const AgeClasses& classes) {
    if (is_series(kind)) {
        not_available(con);
    } else if (kind == PlotKind::dot_clouds) {
        class_loop(con,
                   {"Select age class to change:", "[enter  0  to change all classes the same]",
                    "[enter -1  to quit]  <32 = no symbol, 18 = star>", "Enter the classnum to change : ",
                    "Select new SYMBOL style [0-126] <32 = no symbol> : "},
                   classes, ap.symbol_type);
    } else if (kind == PlotKind::single_class) {
        ap.symbol_type[0] = field4_after_blank(con, "Select new SYMBOL style [0-126] <32 = no symbol> : ");
    }
}

// Options 8-19: the ticks and limits of the three axes; any other option changes nothing.
void change_axis(Console& con, StyleOption option, PlotAppearance& ap) {
    switch (option) {
    case StyleOption::x_major_ticks: ap.x_major = change_real(con, "Change X axis major tics from: ", ap.x_major, 6, 0); break;
    case StyleOption::x_minor_ticks: change_minor(con, "Change X axis minor tics from: ", ap.x_minor, false); break;
    case StyleOption::y_major_ticks: ap.y_major = change_real(con, "Change Y axis major tics from: ", ap.y_major, 6, 0); break;
    case StyleOption::y_minor_ticks: change_minor(con, "Change Y axis minor tics from: ", ap.y_minor, true); break;
    case StyleOption::z_major_ticks: ap.z_major = change_real(con, "Change Z axis major tics from: ", ap.z_major, 6, 0); break;
    case StyleOption::z_minor_ticks: change_minor(con, "Change Z axis minor tics from: ", ap.z_minor, true); break;
    case StyleOption::x_max: ap.x_max = change_real(con, "Change X axis MAX value from: ", ap.x_max, 8, 3, true); break;
    case StyleOption::x_min: ap.x_min = change_real(con, "Change X axis MIN value from: ", ap.x_min, 8, 3, true); break;
    case StyleOption::y_max: ap.y_max = change_real(con, "Change Y axis MAX value from: ", ap.y_max, 8, 3); break;
    case StyleOption::y_min: ap.y_min = change_real(con, "Change Y axis MIN value from: ", ap.y_min, 8, 3); break;
    case StyleOption::z_max: ap.z_max = change_real(con, "Change Z axis MAX value from: ", ap.z_max, 8, 3); break;
    case StyleOption::z_min: ap.z_min = change_real(con, "Change Z axis MIN value from: ", ap.z_min, 8, 3); break;
    default: break;
    }
}

}  // namespace

void plot_style_dialog(Console& con, StyleOption option, PlotAppearance& ap, PlotKind kind, std::int32_t nc,
                       std::span<const std::int32_t> start_age, std::span<const std::int32_t> stop_age, bool& dark) {
    const AgeClasses classes{nc, start_age, stop_age};
    switch (option) {
    case StyleOption::background: choose_background(con, ap, dark); return;
    case StyleOption::frame_colour:
        colour_table(con);
        ap.frame_colour = con.ask_free_int(menu_indent("Select new FRAME color [0-15] : "));
        return;
    case StyleOption::line_colour: choose_line_colour(con, ap, kind, classes); return;
    case StyleOption::text_colour:
        colour_table(con);
        ap.text_colour = free_int_after_blank(con, "Select new TEXT color: [0-15] : ");
        return;
    case StyleOption::symbol_colour: choose_symbol_colour(con, ap, kind, classes); return;
    case StyleOption::line_style: choose_line_style(con, ap, kind, classes); return;
    case StyleOption::symbol_type: choose_symbol_type(con, ap, kind, classes); return;
    case StyleOption::restore_defaults: restore_defaults(ap, kind, dark); return;
    default: change_axis(con, option, ap); return;
    }
}

void plot_style_dialog(Console& con, std::int32_t option, PlotAppearance& ap, PlotKind kind, std::int32_t nc,
                       std::span<const std::int32_t> start_age, std::span<const std::int32_t> stop_age, bool& dark) {
    plot_style_dialog(con, static_cast<StyleOption>(option), ap, kind, nc, start_age, stop_age, dark);
}

std::optional<AxisTicks> long_span_ticks(double width) {
    if (!(width > 2500.0)) return std::nullopt;
    if (width <= 5000.0) return AxisTicks{500.0f, 5};
    if (width <= 10000.0) return AxisTicks{1000.0f, 5};
    return AxisTicks{2000.0f, 4};
}

}  // namespace tarnik::plot
