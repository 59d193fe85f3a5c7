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

struct ClassLoopTexts {
    std::string_view header1, header2, header3;
    std::string_view class_prompt, value_prompt;
};

// The class list: two classes per row. An odd last class gets a row of its own,
// so that every class 1..nc is shown.
void list_classes(Console& con, std::int32_t nc, std::span<const std::int32_t> start_age,
                  std::span<const std::int32_t> stop_age) {
    auto entry = [&](std::int32_t k) {
        const auto i = static_cast<std::size_t>(k - 1);
        const std::int32_t a = i < start_age.size() ? start_age[i] : 0;
        const std::int32_t b = i < stop_age.size() ? stop_age[i] : 0;
        return "[" + fmt::I(k, 3) + "] " + fmt::I(a, 4) + "-" + fmt::I(b, 4) + fmt::X(3);
    };
    for (std::int32_t k = 1; k <= nc; k += 2) {
        std::string row = entry(k);
        if (k + 1 <= nc) row += entry(k + 1);
        con.line(menu_indent(row));
    }
}

// Plot kind 3: choose a class (0 = all, -1 = done), then its new value; repeated
// until -1. A class number that is not in use is refused and the list shown again.
void class_loop(Console& con, const ClassLoopTexts& t, std::int32_t nc, std::span<const std::int32_t> start_age,
                std::span<const std::int32_t> stop_age, std::array<std::int32_t, mxnc>& target) {
    const std::int32_t used = nc < 0 ? 0 : (nc > mxnc ? mxnc : nc);
    for (;;) {
        con.line(menu_indent(t.header1));
        con.line(menu_indent(t.header2));
        con.line(menu_indent(t.header3));
        con.blank();
        list_classes(con, used, start_age, stop_age);
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

// Kind 4: which of the two curves (1 spline fit, 2 error bounds), then the value.
void spline_or_bounds(Console& con, std::string_view line1, std::string_view choice_prompt,
                      std::string_view value_prompt, std::array<std::int32_t, mxnc>& target) {
    con.blank();
    con.line(menu_indent(line1));
    const std::int32_t which = con.ask_int_field(menu_indent(choice_prompt), 4);
    const std::int32_t value = field4_after_blank(con, value_prompt);
    if (which == 1) target[0] = value;
    else if (which == 2) target[1] = value;
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

void defaults(PlotAppearance& ap, PlotKind kind, std::int32_t& dark) {
    ap.bg_red = ap.bg_green = ap.bg_blue = 255;
    dark = 0;
    ap.text_colour = 15;
    ap.frame_colour = 15;
    if (kind == kSeriesByAge || kind == kSeriesByYear) {
        ap.line_style[0] = ap.line_style[1] = 1;
        ap.line_colour[0] = ap.line_colour[1] = ap.line_colour[2] = 15;
        ap.symbol_colour[0] = 15;
        ap.symbol_type[0] = 18;
    } else if (kind == kDotClouds) {
        for (std::size_t i = 0; i < ap.line_style.size(); ++i) {
            const auto colour = static_cast<std::int32_t>(i % 15) + 1;
            ap.line_style[i] = 1;
            ap.symbol_type[i] = 18;
            ap.line_colour[i] = colour;
            ap.symbol_colour[i] = colour;
        }
    }
}

}  // namespace

void plot_style_dialog(Console& con, std::int32_t option, PlotAppearance& ap, PlotKind kind, std::int32_t nc,
               std::span<const std::int32_t> start_age, std::span<const std::int32_t> stop_age,
               std::int32_t& dark) {
    const bool series = kind == kSeriesByAge || kind == kSeriesByYear;
    switch (option) {
    case 1: {
        background_table(con);
        const std::int32_t c = free_int_after_blank(con, "Select new BACKGROUND color [0/1/2] : ");
        if (c == 0) {
            ap.bg_red = ap.bg_green = ap.bg_blue = 0;
            dark = 1;
        } else if (c == 1) {
            ap.bg_red = ap.bg_green = ap.bg_blue = 255;
            dark = 0;
        } else if (c == 2) {
            ap.bg_red = con.ask_free_int(menu_indent("Enter RED value [0-255] > "));
            ap.bg_green = con.ask_free_int(menu_indent("Enter GREEN value [0-255] > "));
            ap.bg_blue = con.ask_free_int(menu_indent("Enter BLUE value [0-255] > "));
            dark = 0;
        }
        return;
    }
    case 2:
        colour_table(con);
        ap.frame_colour = con.ask_free_int(menu_indent("Select new FRAME color [0-15] : "));
        return;
    case 3:
        colour_table(con);
        if (series) {
            ap.line_colour[0] = free_int_after_blank(con, "Select new LINE color: [0-15] : ");
        } else if (kind == kDotClouds) {
            class_loop(con,
                       {"Select age class to color:", "[enter  0  to color all classes the same]",
                        "[enter -1  to quit]", "Enter the classnum to color: ", "Select new LINE color: [0-15] : "},
                       nc, start_age, stop_age, ap.line_colour);
        } else if (kind == kSingleClass) {
            spline_or_bounds(con, "Change Spline Fit color   [1]", "Change Error Bounds color [2] :",
                             "Select new LINE color [0-15] : ", ap.line_colour);
        }
        return;
    case 4:
        colour_table(con);
        ap.text_colour = free_int_after_blank(con, "Select new TEXT color: [0-15] : ");
        return;
    case 5:
        colour_table(con);
        if (series) {
            not_available(con);
        } else if (kind == kDotClouds) {
            class_loop(con,
                       {"Select age class to color:", "[enter  0  to color all classes the same]",
                        "[enter -1  to quit]", "Enter the classnum to color : ",
                        "Select new SYMBOL color: [0-15] : "},
                       nc, start_age, stop_age, ap.symbol_colour);
        } else if (kind == kSingleClass) {
            ap.symbol_colour[0] = field4_after_blank(con, "Select new SYMBOL color [0-15]  : ");
        }
        return;
    case 6:
        if (series) {
            ap.line_style[0] = free_int_after_blank(con, "Change LINE style: Enter a value [1-8] > ");
        } else if (kind == kDotClouds) {
            class_loop(con,
                       {"Select age class to change:", "[enter  0  to change all classes the same]",
                        "[enter -1  to quit]", "Enter the classnum to change : ", "Select new LINE style [1-8] : "},
                       nc, start_age, stop_age, ap.line_style);
        } else if (kind == kSingleClass) {
            spline_or_bounds(con, "Change Spline Fit   [1]", "Change Error Bounds [2] : ",
                             "Select new LINE style [1-8] : ", ap.line_style);
        }
        return;
    case 7:
        if (series) {
            not_available(con);
        } else if (kind == kDotClouds) {
            class_loop(con,
                       {"Select age class to change:", "[enter  0  to change all classes the same]",
                        "[enter -1  to quit]  <32 = no symbol, 18 = star>", "Enter the classnum to change : ",
                        "Select new SYMBOL style [0-126] <32 = no symbol> : "},
                       nc, start_age, stop_age, ap.symbol_type);
        } else if (kind == kSingleClass) {
            ap.symbol_type[0] = field4_after_blank(con, "Select new SYMBOL style [0-126] <32 = no symbol> : ");
        }
        return;
    case 8: ap.x_major = change_real(con, "Change X axis major tics from: ", ap.x_major, 6, 0); return;
    case 9: change_minor(con, "Change X axis minor tics from: ", ap.x_minor, false); return;
    case 10: ap.y_major = change_real(con, "Change Y axis major tics from: ", ap.y_major, 6, 0); return;
    case 11: change_minor(con, "Change Y axis minor tics from: ", ap.y_minor, true); return;
    case 12: ap.z_major = change_real(con, "Change Z axis major tics from: ", ap.z_major, 6, 0); return;
    case 13: change_minor(con, "Change Z axis minor tics from: ", ap.z_minor, true); return;
    case 14: ap.x_max = change_real(con, "Change X axis MAX value from: ", ap.x_max, 8, 3, true); return;
    case 15: ap.x_min = change_real(con, "Change X axis MIN value from: ", ap.x_min, 8, 3, true); return;
    case 16: ap.y_max = change_real(con, "Change Y axis MAX value from: ", ap.y_max, 8, 3); return;
    case 17: ap.y_min = change_real(con, "Change Y axis MIN value from: ", ap.y_min, 8, 3); return;
    case 18: ap.z_max = change_real(con, "Change Z axis MAX value from: ", ap.z_max, 8, 3); return;
    case 19: ap.z_min = change_real(con, "Change Z axis MIN value from: ", ap.z_min, 8, 3); return;
    case 99: defaults(ap, kind, dark); return;
    default: return;
    }
}

std::optional<AxisTicks> long_span_ticks(double width) {
    if (!(width > 2500.0)) return std::nullopt;
    if (width <= 5000.0) return AxisTicks{500.0f, 5};
    if (width <= 10000.0) return AxisTicks{1000.0f, 5};
    return AxisTicks{2000.0f, 4};
}

}  // namespace tarnik::plot
