#include "plot/cycle.h"

#include <dlfcn.h>
#include <plplot/plplot.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace tarnik::plot {
namespace {

// The PostScript driver draws a landscape page of 720 x 540 points in units of
// a fifth of a point.
constexpr double kPostScriptWidth = 3600.0, kPostScriptHeight = 2700.0;

MemoryScreen* g_memory_screen = nullptr;

// Whether an X server answers at $DISPLAY. The library's window device would end
// the whole process when it cannot open the display, so this is asked first. The
// X library is loaded only for the question; where it is missing there is no
// window device either.
bool x_display_reachable() {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') return false;
    void* lib = dlopen("libX11.so.6", RTLD_LAZY | RTLD_LOCAL);
    if (lib == nullptr) return false;
    using OpenFn = void* (*)(const char*);
    using CloseFn = int (*)(void*);
    auto open_display = reinterpret_cast<OpenFn>(dlsym(lib, "XOpenDisplay"));
    auto close_display = reinterpret_cast<CloseFn>(dlsym(lib, "XCloseDisplay"));
    bool ok = false;
    if (open_display != nullptr && close_display != nullptr) {
        if (void* d = open_display(nullptr)) {
            close_display(d);
            ok = true;
        }
    }
    dlclose(lib);
    return ok;
}

// Palette entries 0 and 15 from the dark flag, then the background (entry 0).
// Black on white: the white page and every other entry black.
void set_palette(const PlotAppearance& ap, bool dark, bool black_on_white) {
    if (!dark) {
        plscol0(0, 255, 255, 255);
        plscol0(15, 0, 0, 0);
    } else {
        plscol0(15, 255, 255, 255);
        plscol0(0, 0, 0, 0);
    }
    if (!black_on_white) {
        plscolbg(ap.bg_red, ap.bg_green, ap.bg_blue);
        return;
    }
    plscolbg(255, 255, 255);
    for (PLINT i = 1; i < 16; ++i) plscol0(i, 0, 0, 0);
}

}  // namespace

bool device_available(std::string_view name) {
    std::array<const char*, 128> menu{}, names{};
    const char** pm = menu.data();
    const char** pn = names.data();
    int n = static_cast<int>(names.size());
    plgDevs(&pm, &pn, &n);
    for (int i = 0; i < n; ++i)
        if (pn[i] != nullptr && name == pn[i]) return true;
    return false;
}

void set_memory_screen(MemoryScreen* screen) { g_memory_screen = screen; }

void set_plplot_environment() {
#ifdef TARNIK_PLPLOT_DATA_DIR
    setenv("PLPLOT_LIB", TARNIK_PLPLOT_DATA_DIR, 1);
#endif
}

bool screen_window_available() { return x_display_reachable() && device_available("xcairo"); }

DrawnAxis drawable_axis(double min, double max, double major, std::int32_t minor) {
    DrawnAxis a{min, max, major, minor, false};
    if (!std::isfinite(a.min) || !std::isfinite(a.max)) {
        a.min = 0.0;
        a.max = 1.0;
        a.adjusted = true;
    }
    const double range = std::fabs(a.max - a.min);
    // An empty range (which the library reports and widens where it can) leaves
    // no room for the ticks asked for.
    const bool empty = !(range > 0.0);
    if (a.major != 0.0 && (empty || !std::isfinite(a.major) || range / std::fabs(a.major) > kMaxMajorTicks)) {
        a.major = 0.0;
        a.adjusted = true;
    }
    // The library chooses at most about ten major intervals itself.
    const double majors = a.major != 0.0 ? std::max(1.0, range / std::fabs(a.major)) : 10.0;
    if (a.minor != 0 && (empty || majors * std::fabs(static_cast<double>(a.minor)) > kMaxMinorTicks)) {
        a.minor = 0;
        a.adjusted = true;
    }
    return a;
}

DrawnAxis drawable_axis(Console& con, std::string_view name, double min, double max, double major, std::int32_t minor) {
    const DrawnAxis a = drawable_axis(min, max, major, minor);
    if (a.adjusted) {
        con.line(" The " + std::string(name) +
                 " axis settings cannot be drawn as they are set; the plotting library chooses the ticks.");
    }
    return a;
}

DrawnAxis upper_panel(Console& con, const PlotAppearance& ap, const char* x_label, const char* y_label, const char* title) {
    const DrawnAxis xa = drawable_axis(con, "X", ap.x_min, ap.x_max, ap.x_major, ap.x_minor);
    const DrawnAxis ya = drawable_axis(con, "Y", ap.y_min, ap.y_max, ap.y_major, ap.y_minor);
    // Calendar years up to five digits (-9999, 10000) are labelled in full, not
    // as multiples of a power of ten; the setting holds for the panels below too.
    plsxax(6, 0);
    plvpor(0.1, 0.9, 0.2, 0.9);
    plwind(xa.min, xa.max, ya.min, ya.max);
    plcol0(ap.frame_colour);
    plbox("abcintsn", xa.major, xa.minor, "abcints", ya.major, ya.minor);
    plcol0(ap.text_colour);
    pllab(x_label, y_label, title);
    return xa;
}

std::string DrawingCycle::saving_device(Console& con, bool colour, const PlotAppearance& ap) {
    file_ = ask_output_file(con);
    type_ = file_type_of(file_);
    std::string dev(library_device(type_, colour));
    const std::string type(file_type_name(type_));
    if (!device_available(dev)) {
        con.line(" " + type + " output is not available: the plotting library has no " + type + " driver.");
        return {};
    }
    if (type_ != FileType::PostScript) {
        canvas_ = colour ? std::make_unique<FileCanvas>(type_, file_, ap.bg_red, ap.bg_green, ap.bg_blue)
                         : std::make_unique<FileCanvas>(type_, file_, 255, 255, 255);
        if (!canvas_->ok()) {
            canvas_.reset();
            con.line(" The plot cannot be drawn into the file " + file_ + " : it is not saved.");
            return {};
        }
    }
    saving_ = true;
    return dev;
}

std::string DrawingCycle::screen_device() {
    if (g_memory_screen != nullptr && device_available("memcairo")) return "memcairo";
    if (screen_window_available()) {
        window_ = true;
        return "xcairo";
    }
    if (!device_available("pngcairo")) return {};
    // No display: the screen plot goes to an image file in the working directory.
    if (!cannot_write(kScreenImageFile).empty()) {
        std::fprintf(stderr, "tarnik: %s cannot be written here; the plot is not shown.\n", kScreenImageFile);
        return {};
    }
    file_ = kScreenImageFile;
    return "pngcairo";
}

void DrawingCycle::measure_page(const std::string& dev) {
    if (saving_ && type_ == FileType::PostScript) {
        page_width_ = kPostScriptWidth;
        page_height_ = kPostScriptHeight;
    } else if (saving_) {
        // PDF, SVG and PNG are drawn on the cells of the PNG: its pixels, 0.3
        // of a point in PDF and SVG. A line of the library's default width
        // (one unit of the 720 x 540 page) covers 3.3 of them.
        page_width_ = kPngWidth;
        page_height_ = kPngHeight;
        pixels_ = true;
        line_cells_ = kPngWidth / kCairoPageWidth;
    } else if (dev != "null") {
        // The screen's cairo devices: the page in pixels.
        PLFLT xp = 0.0, yp = 0.0;
        PLINT width = 0, height = 0, xoff = 0, yoff = 0;
        plgpage(&xp, &yp, &width, &height, &xoff, &yoff);
        if (width > 0 && height > 0) {
            page_width_ = width;
            page_height_ = height;
            pixels_ = true;
        }
    }
}

std::string DrawingCycle::null_device() {
    saving_ = false;
    file_.clear();
    if (!device_available("null")) return {};
    return "null";
}

void DrawingCycle::select_device(const std::string& dev) {
    plsdev(dev.c_str());
    if (!file_.empty() && !canvas_) plsfnam(file_.c_str());
    if (dev == "memcairo") {
        MemoryScreen& m = *g_memory_screen;
        m.rgba.assign(static_cast<std::size_t>(m.width) * static_cast<std::size_t>(m.height) * 4, 0);
        plsmema(m.width, m.height, m.rgba.data());
    }
    if (canvas_) plspage(0.0, 0.0, static_cast<PLINT>(kCairoPageWidth), static_cast<PLINT>(kCairoPageHeight), 0, 0);
}

DrawingCycle::DrawingCycle(Console& con, std::string_view device, const PlotAppearance& ap, bool dark) : con_(&con) {
    const bool save = device == "ps" || device == "psc";
    std::string dev = save ? saving_device(con, device == "psc", ap) : screen_device();
    // Where nothing can be shown or written the drawing goes to the library's
    // null device, so that the display's drawing calls stay harmless.
    if (dev.empty()) dev = null_device();
    if (dev.empty()) return;
    con.flush();
    select_device(dev);
    // Black and white PostScript is the library's own; the cairo files get a
    // palette of black.
    set_palette(ap, dark, saving_ && device == "ps" && type_ != FileType::PostScript);
    plinit();
    if (canvas_) canvas_->attach();
    open_ = true;
    measure_page(dev);
}

DrawingCycle::~DrawingCycle() {
    if (!open_) return;
    // The window waits for the user when the library closes it.
    if (window_) {
        con_->line_once(kWindowNotice);
        con_->flush();
    }
    plend();
    if (saving_) {
        bool written = false;
        if (canvas_) {
            written = canvas_->finish();
        } else {
            struct stat sb {};
            written = stat(file_.c_str(), &sb) == 0 && sb.st_size > 0;
        }
        if (!written) con_->line(" The plot could not be written to the file " + file_ + " .");
    } else if (file_ == kScreenImageFile) {
        con_->line_once(kImageNotice);
    }
}

}  // namespace tarnik::plot

#if defined(__SANITIZE_ADDRESS__)
// Font and text-layout libraries behind the cairo devices keep caches for the
// life of the process; the leak checker of sanitizer builds is told to ignore them,
// and not to list the suppressions it used (the run's output stays the program's).
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\nleak:libpango\nleak:libcairo.so\nleak:libglib\nleak:libgobject\n"
           "leak:libharfbuzz\nleak:libfreetype\nleak:libplplot\nleak:libltdl\n";
}
#endif
