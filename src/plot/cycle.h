#pragma once
// One complete drawing cycle of the plotting library, shared by every display.
//
// Devices: "Mac1" is the screen. Where an X display is available it is an
// interactive window that stays until the user continues in it; without a
// display the plot is drawn into the image file kScreenImageFile in the working
// directory instead, so the program never blocks. The first such plot of a run
// says so on the console (kImageNotice); the first window says, before it waits,
// how to go back (kWindowNotice). Each notice is given once per run (per Console).
//
// "ps" and "psc" save the plot in black and white (every palette colour drawn
// black on a white page) or in colour, to a file whose name is asked on the
// console with the library's own prompt ("Enter graphics output file name: ");
// the ending of the name chooses PDF, SVG, PNG or PostScript (output_file.h).

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "console/console.h"
#include "plot/appearance.h"
#include "plot/output_file.h"
#include "plot/resolution.h"

namespace tarnik::plot {

inline constexpr const char* kScreenImageFile = "tarnik_screen.png";
inline constexpr std::string_view kImageNotice =
    " No display: the plot is drawn into tarnik_screen.png (replaced by every drawing).";
inline constexpr std::string_view kWindowNotice =
    " Press Return in the plot window, or its right mouse button, to go back to the menu.";

// An in-memory screen: while one is set, screen plots are drawn into its pixels
// by the library's cairo renderer (memcairo) instead of a window or the image
// file, without notices. Used to compare pictures.
struct MemoryScreen {
    std::int32_t width = 720, height = 540;
    std::vector<unsigned char> rgba;  // width x height pixels of 4 bytes, after a drawing
};
void set_memory_screen(MemoryScreen* screen);

// Whether the plotting library has the named output device.
bool device_available(std::string_view name);

// Points the plotting library at its font files (PLPLOT_LIB). Called once at start-up.
void set_plplot_environment();

class DrawingCycle {
public:
    // plsdev, palette entries 0 and 15 from the dark flag, background colour,
    // plinit. For "ps"/"psc" the file name is asked first; a name that cannot be
    // opened for writing is reported and asked again.
    DrawingCycle(Console& con, std::string_view device, const PlotAppearance& ap, bool dark);
    ~DrawingCycle();  // plend; a saved file that could not be written is reported
    DrawingCycle(const DrawingCycle&) = delete;
    DrawingCycle& operator=(const DrawingCycle&) = delete;

    // True once the library is initialised. Where the requested output cannot be
    // produced (no driver for the file type, a screen image that cannot be
    // written) the cycle draws to the library's null device instead, so drawing
    // calls stay harmless; false only when not even that device exists.
    bool is_open() const { return open_; }
    // The device cells of the viewport set last (plvpor, plwind): pixels on the
    // screen and in PNG, the driver's units in PostScript, and in PDF and SVG
    // the pixels of the PNG, which are finer than a point.
    DeviceGrid grid() const { return DeviceGrid::current(page_width_, page_height_, pixels_, line_cells_); }

private:
    std::string saving_device(Console& con, bool colour, const PlotAppearance& ap);
    std::string screen_device();
    // The library's null device, nothing saved; empty where the library has none.
    std::string null_device();
    // plsdev with the output file, the memory screen or the page of a FileCanvas.
    void select_device(const std::string& dev);
    void measure_page(const std::string& dev);

    Console* con_ = nullptr;
    bool open_ = false;
    bool saving_ = false;  // options 77 and 88: a file named by the user
    FileType type_ = FileType::PostScript;
    bool window_ = false;
    std::string file_;  // the saved or screen image file being written ("" for a window)
    std::unique_ptr<FileCanvas> canvas_;  // a PDF, SVG or PNG file
    double page_width_ = 720.0, page_height_ = 540.0;
    bool pixels_ = false;
    double line_cells_ = 1.0;
};

// True where an X display can be reached and the library's window device exists.
bool screen_window_available();

// One axis as it is handed to the library (plwind, plw3d, plbox, plbox3). The
// appearance settings are stored as the user typed them, but the library ends
// the whole process when a tick spacing is far finer than the axis range (or the
// range is empty), and spends minutes on millions of minor ticks. Such ticks are
// drawn with the library's own choice (0) instead: more than kMaxMajorTicks
// major or kMaxMinorTicks minor ticks over the range, an empty range, or a value
// that is not a finite number. Limits that are not finite become 0 and 1.
inline constexpr double kMaxMajorTicks = 1000.0;
inline constexpr double kMaxMinorTicks = 10000.0;
struct DrawnAxis {
    double min = 0.0, max = 1.0, major = 0.0;
    std::int32_t minor = 0;
    bool adjusted = false;  // a setting was replaced
};
DrawnAxis drawable_axis(double min, double max, double major, std::int32_t minor);
// The same, with a notice on the console naming the axis when a setting was replaced.
DrawnAxis drawable_axis(Console& con, std::string_view name, double min, double max, double major, std::int32_t minor);

// The upper panel of the two-panel plots: the X and Y ranges and ticks of the
// appearance settings (replaced, with a notice, where the library cannot draw
// them), the frame in the frame colour and the three labels in the text colour.
// Gives the X axis as drawn, for a lower panel that shares it.
DrawnAxis upper_panel(Console& con, const PlotAppearance& ap, const char* x_label, const char* y_label, const char* title);

}  // namespace tarnik::plot
