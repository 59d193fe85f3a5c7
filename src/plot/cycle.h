#pragma once
// One complete drawing cycle of the plotting library, shared by every display.
//
// Devices: "Mac1" is the screen. Where an X display is available it is an
// interactive window that stays until the user continues in it; without a
// display the plot is drawn into the image file kScreenImageFile in the working
// directory instead, so the program never blocks. "ps" and "psc" write black and
// white or colour PostScript to a file whose name is asked on the console with
// the library's own prompt ("Enter graphics output file name: ").

#include <cstdint>
#include <string>
#include <string_view>

#include "console/console.h"
#include "plot/appearance.h"

namespace tarnik::plot {

inline constexpr const char* kScreenImageFile = "tarnik_screen.png";

// Points the plotting library at its font files (PLPLOT_LIB). Called once at start-up.
void set_plplot_environment();

class DrawingCycle {
public:
    // plsdev, palette entries 0 and 15 from the dark flag, background colour,
    // plinit. For "ps"/"psc" the file name is asked first; a name that cannot be
    // opened for writing is reported and asked again.
    DrawingCycle(Console& con, std::string_view device, const PlotAppearance& ap, std::int32_t dark);
    ~DrawingCycle();  // plend
    DrawingCycle(const DrawingCycle&) = delete;
    DrawingCycle& operator=(const DrawingCycle&) = delete;

    // True once the library is initialised. Where the requested output cannot be
    // produced (no PostScript driver, a screen image that cannot be written) the
    // cycle draws to the library's null device instead, so drawing calls stay
    // harmless; false only when not even that device exists.
    bool is_open() const { return open_; }
    // The PostScript or screen image file being written ("" for a window).
    const std::string& file_name() const { return file_; }

private:
    Console* con_ = nullptr;
    bool open_ = false;
    bool postscript_ = false;
    std::string file_;
};

// True where an X display can be reached and the library's window device exists.
bool screen_window_available();

}  // namespace tarnik::plot
