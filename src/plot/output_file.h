#pragma once
// Saved plots: options 77 (black on white) and 88 (colour) of every display
// write the plot to a file named at the library's prompt, and the ending of the
// name chooses the type of file:
//
//   .pdf  PDF, a page of 720 x 540 points (10 x 7.5 inches), the screen's page
//   .svg  SVG, the same page
//   .png  PNG of kPngWidth x kPngHeight pixels (300 dpi on 8 x 6 inches): the
//         screen's page of 720 x 540 units scaled up, so that lines, dashes,
//         symbols and text keep their proportions
//
// in any case of letters; every other name is PostScript, as the library's
// "ps" and "psc" drivers write it. All are landscape, like the screen. The
// three cairo types are drawn by the library's external-context cairo device
// on a surface of our own (FileCanvas).

#include <string>
#include <string_view>

#include "console/console.h"

// The drawing library's own opaque types (cairo.h).
struct _cairo;
struct _cairo_surface;

namespace tarnik::plot {

enum class FileType { PostScript, Pdf, Svg, Png };

FileType file_type_of(std::string_view name);
// "PostScript", "PDF", "SVG", "PNG": for messages.
std::string_view file_type_name(FileType type);
// The plotting library's device that draws the type, in colour or not.
std::string_view library_device(FileType type, bool colour);

inline constexpr int kPngWidth = 2400, kPngHeight = 1800;
// The page of the cairo devices in their own units (pixels on the screen,
// points in PDF and SVG).
inline constexpr double kCairoPageWidth = 720.0, kCairoPageHeight = 540.0;

// Empty when the file can be created or replaced, otherwise the reason. An
// existing file is left as it is until the drawing replaces it.
std::string cannot_write(const std::string& name);

// Asks for the output file name with the library's own prompt, on the console
// (so that the end of input ends the run cleanly), until a name comes that can
// be created or replaced. A name that cannot be written is reported with the
// reason and asked again. "-" (standard output for the library) is a file
// in the working directory.
std::string ask_output_file(Console& con);

// The drawing surface of a saved PDF, SVG or PNG file: the library's
// external-context cairo device draws the screen's page of 720 x 540 units
// into it, on a PDF or SVG page of as many points, or on an image of
// kPngWidth x kPngHeight pixels scaled to it. The file is written (or
// finished) here, so that a failure to write it is known.
class FileCanvas {
public:
    // The page in the background colour; ok() is false when the surface
    // cannot be made (the file cannot be created, no memory for the image).
    FileCanvas(FileType type, const std::string& file, int red, int green, int blue);
    ~FileCanvas();
    FileCanvas(const FileCanvas&) = delete;
    FileCanvas& operator=(const FileCanvas&) = delete;

    bool ok() const { return cr_ != nullptr; }
    // Hands the drawing context to the library; after plinit on the "extcairo" device.
    void attach() const;
    // After plend: writes the PNG, or finishes the PDF or SVG file. False when
    // the file could not be written completely.
    bool finish();

private:
    FileType type_;
    std::string file_;
    _cairo_surface* surface_ = nullptr;
    _cairo* cr_ = nullptr;
};

}  // namespace tarnik::plot
