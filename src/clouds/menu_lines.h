#pragma once
// The few console helpers the dialogs of the dot-cloud display share: a line
// indented as the plot menus are, and the pause after a notice.

#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "console/console.h"

namespace tarnik::clouds {

// The pause prompt of the plot menus' notices.
inline constexpr std::string_view kContinuePrompt = "  Hit RETURN to continue : ";

// One line at the indentation of the plot menus.
inline void say(Console& con, std::string_view s) { con.line(menu_indent(s)); }

// A blank line and the indented pause.
inline void hit_return(Console& con, std::string_view prompt = kContinuePrompt) {
    con.blank();
    con.pause_field(menu_indent(prompt));
}

// A notice at the indentation of the plot menus, and the pause after it.
inline void notice(Console& con, std::initializer_list<std::string_view> lines) {
    con.blank();
    for (std::string_view l : lines) say(con, l);
    hit_return(con);
}

// The options of the plot menus of the dot-cloud display and the single
// age-class view beyond the appearance options (1-19). The view offers
// replot, view_fits (another class), save_data, the two saves and reset.
enum class PlotMenuOption : std::int32_t {
    replot = 0,
    altitude = 20,
    azimuth = 21,
    view_3d = 33,
    normalise = 44,
    view_fits = 55,
    save_data = 66,
    save_bw = 77,
    save_rgb = 88,
    reset = 99,
};

}  // namespace tarnik::clouds
