#include "plot/output_file.h"

#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cairo.h>
#include <plplot/plplot.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "console/answers.h"

namespace tarnik::plot {
namespace {

// The library's own words when it needs an output file name.
constexpr std::string_view kFilePrompt = "Enter graphics output file name: ";

bool ends_with_ignoring_case(std::string_view name, std::string_view ending) {
    if (name.size() < ending.size()) return false;
    const std::string_view tail = name.substr(name.size() - ending.size());
    for (std::size_t i = 0; i < ending.size(); ++i) {
        const char c = tail[i];
        const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        if (lower != ending[i]) return false;
    }
    return true;
}

}  // namespace

FileType file_type_of(std::string_view name) {
    if (ends_with_ignoring_case(name, ".pdf")) return FileType::Pdf;
    if (ends_with_ignoring_case(name, ".svg")) return FileType::Svg;
    if (ends_with_ignoring_case(name, ".png")) return FileType::Png;
    return FileType::PostScript;
}

std::string_view file_type_name(FileType type) {
    switch (type) {
        case FileType::Pdf: return "PDF";
        case FileType::Svg: return "SVG";
        case FileType::Png: return "PNG";
        case FileType::PostScript: break;
    }
    return "PostScript";
}

std::string_view library_device(FileType type, bool colour) {
    switch (type) {
        case FileType::Pdf:
        case FileType::Svg:
        case FileType::Png: return "extcairo";
        case FileType::PostScript: break;
    }
    return colour ? "psc" : "ps";
}

std::string cannot_write(const std::string& name) {
    errno = 0;
    std::FILE* f = std::fopen(name.c_str(), "ab");
    if (f == nullptr) return errno != 0 ? std::strerror(errno) : "it cannot be opened";
    std::fclose(f);
    return {};
}

std::string ask_output_file(Console& con) {
    for (;;) {
        std::string name(trim_right(con.ask(kFilePrompt)));
        if (name.empty()) continue;
        // For the library "-" would mean standard output, which is the dialog.
        if (name == "-") name = "./-";
        const std::string reason = cannot_write(name);
        if (reason.empty()) return name;
        con.line(" Cannot write the file " + name + " (" + reason + "): please enter another name.");
    }
}

FileCanvas::FileCanvas(FileType type, const std::string& file, int red, int green, int blue)
    : type_(type), file_(file) {
    switch (type) {
        case FileType::Pdf:
            surface_ = cairo_pdf_surface_create(file.c_str(), kCairoPageWidth, kCairoPageHeight);
            break;
        case FileType::Svg:
            surface_ = cairo_svg_surface_create(file.c_str(), kCairoPageWidth, kCairoPageHeight);
            break;
        case FileType::Png:
        case FileType::PostScript:
            surface_ = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kPngWidth, kPngHeight);
            break;
    }
    if (cairo_surface_status(surface_) != CAIRO_STATUS_SUCCESS) return;
    cairo_t* cr = cairo_create(surface_);
    if (cairo_status(cr) != CAIRO_STATUS_SUCCESS) {
        cairo_destroy(cr);
        return;
    }
    cairo_set_source_rgb(cr, red / 255.0, green / 255.0, blue / 255.0);
    cairo_paint(cr);
    if (type == FileType::Png) {
        cairo_scale(cr, kPngWidth / kCairoPageWidth, kPngHeight / kCairoPageHeight);
        // Text is smoothed in grey, never in coloured sub-pixels, so that a
        // black and white plot has no colour in it.
        cairo_font_options_t* fo = cairo_font_options_create();
        cairo_font_options_set_antialias(fo, CAIRO_ANTIALIAS_GRAY);
        cairo_set_font_options(cr, fo);
        cairo_font_options_destroy(fo);
    }
    cr_ = cr;
}

FileCanvas::~FileCanvas() {
    if (cr_ != nullptr) cairo_destroy(cr_);
    // Also closes a PDF or SVG file that was never finished.
    if (surface_ != nullptr) cairo_surface_destroy(surface_);
}

void FileCanvas::attach() const {
    if (cr_ != nullptr) pl_cmd(PLESC_DEVINIT, cr_);
}

bool FileCanvas::finish() {
    if (cr_ == nullptr) return false;
    const bool drawn = cairo_status(cr_) == CAIRO_STATUS_SUCCESS;
    cairo_destroy(cr_);
    cr_ = nullptr;
    if (type_ == FileType::Png)
        return drawn && cairo_surface_write_to_png(surface_, file_.c_str()) == CAIRO_STATUS_SUCCESS;
    // The PDF or SVG document is completed and its file closed.
    cairo_surface_finish(surface_);
    return drawn && cairo_surface_status(surface_) == CAIRO_STATUS_SUCCESS;
}

}  // namespace tarnik::plot
