// Saved plots (options 77 and 88): the file type chosen by the ending of the
// name, a valid file of every type, black and white without colour, names that
// cannot be written, and the PNG drawn on its own pixels: the same picture as
// the screen, dense lines covering the same pixels as when every point is drawn.

#include <cairo.h>
#include <expat.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "plot/cycle.h"
#include "plot/output_file.h"
#include "plot/picture_fixture.h"
#include "plot/rwl_fixture.h"
#include "plot/series_display.h"
#include "support/test_support.h"

namespace tarnik::plot {
namespace {

using test::PlotSandbox;

// A PNG file as premultiplied red, green, blue and alpha bytes (the layout of
// the in-memory screen); empty when it cannot be read.
struct Image {
    int width = 0, height = 0;
    std::vector<unsigned char> rgba;
};

Image read_png(const std::string& file) {
    Image im;
    cairo_surface_t* s = cairo_image_surface_create_from_png(file.c_str());
    if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS) {
        im.width = cairo_image_surface_get_width(s);
        im.height = cairo_image_surface_get_height(s);
        const int stride = cairo_image_surface_get_stride(s);
        const bool alpha = cairo_image_surface_get_format(s) == CAIRO_FORMAT_ARGB32;
        const unsigned char* data = cairo_image_surface_get_data(s);
        for (int y = 0; y < im.height; ++y) {
            const auto* row = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
            for (int x = 0; x < im.width; ++x) {
                const std::uint32_t p = row[x];
                im.rgba.insert(im.rgba.end(), {static_cast<unsigned char>(p >> 16), static_cast<unsigned char>(p >> 8),
                                               static_cast<unsigned char>(p), alpha ? static_cast<unsigned char>(p >> 24)
                                                                                    : static_cast<unsigned char>(255)});
            }
        }
    }
    cairo_surface_destroy(s);
    return im;
}

// The first element's name, and whether the whole text is well-formed XML.
struct XmlCheck {
    bool well_formed = false;
    std::string root;
};

XmlCheck parse_xml(const std::string& text) {
    XmlCheck c;
    XML_Parser p = XML_ParserCreate(nullptr);
    XML_SetUserData(p, &c.root);
    XML_SetStartElementHandler(p, [](void* root, const XML_Char* name, const XML_Char**) {
        auto& r = *static_cast<std::string*>(root);
        if (r.empty()) r = name;
    });
    c.well_formed = XML_Parse(p, text.data(), static_cast<int>(text.size()), 1) == XML_STATUS_OK;
    XML_ParserFree(p);
    return c;
}

// The text of a PDF file as pdftotext (poppler-utils) extracts it.
std::string pdf_text(const std::string& file) {
    std::string text;
    if (std::FILE* pipe = popen(("pdftotext -q '" + file + "' - 2>/dev/null").c_str(), "r")) {
        char buf[4096];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) text.append(buf, n);
        if (pclose(pipe) != 0) ADD_FAILURE() << "pdftotext failed on " << file << " (is poppler-utils installed?)";
    }
    return text;
}

const Stores& ca533() {
    static const Stores st = test::make_stores(test::parse_rwl_hundredths(test::read_file(test::data_file("ca533.rwl"))));
    return st;
}

// The series display by cambial age with the display's default appearance.
struct SeriesPlot {
    const Stores* st = &ca533();
    SeriesDisplayInput in{AnalysisVariable::ring_widths, SeriesAlignment::cambial_age, ca533().summary.y_min, ca533().summary.y_max, {}, "ca533.rwl"};
    PlotAppearance ap;
    bool dark = false;

    SeriesPlot() { reset(); }
    explicit SeriesPlot(const Stores& stores) : st(&stores), in{AnalysisVariable::ring_widths, SeriesAlignment::cambial_age, stores.summary.y_min, stores.summary.y_max, {}, "s"} {
        reset();
    }
    void reset() {
        test::MemConsole mc;
        plot_style_dialog(mc.con(), 99, ap, PlotKind::series_by_age, 0, {}, {}, dark);
        series_ranges(*st, in, series_y_top(in.y_max), ap);
    }
    // Draws on the device; the console answers the file name prompt. Gives the output.
    std::string draw(std::string_view device, std::string_view answers = {}) const {
        test::MemConsole mc(answers);
        draw_series(mc.con(), device, *st, in, ap, dark);
        return mc.output();
    }
};

TEST(FileType, ChosenByTheEndingOfTheNameInAnyCase) {
    EXPECT_EQ(file_type_of("fig.pdf"), FileType::Pdf);
    EXPECT_EQ(file_type_of("dir.x/Fig.PDF"), FileType::Pdf);
    EXPECT_EQ(file_type_of("a.Svg"), FileType::Svg);
    EXPECT_EQ(file_type_of("slides/f.png"), FileType::Png);
    EXPECT_EQ(file_type_of(".png"), FileType::Png);
    for (const char* ps : {"plot.ps", "plot", "pdf", "plot.pdf.bak", "plot.pn", "plot_png", "./-", "x.eps"})
        EXPECT_EQ(file_type_of(ps), FileType::PostScript) << ps;
}

// Every type written from ca533's series display is a valid file of its type
// with the plot in it.
TEST(SavedPlot, EveryTypeIsAValidFileWithThePlot) {
    PlotSandbox box;
    const SeriesPlot plot;
    EXPECT_EQ(plot.draw("psc", "s.pdf\n"), "Enter graphics output file name: ");
    plot.draw("psc", "s.svg\n");
    plot.draw("psc", "s.png\n");
    plot.draw("ps", "s.eps\n");
    const std::string pdf = box.dir().read("s.pdf"), svg = box.dir().read("s.svg");
    EXPECT_TRUE(pdf.starts_with("%PDF-"));
    const std::string text = pdf_text((box.dir() / "s.pdf").string());
    for (const char* label : {"Cambial Growth Years", "Ring Widths(mm.)", "Sample Depth", "Number of Observations", "ca533.rwl"})
        EXPECT_NE(text.find(label), std::string::npos) << label << " in\n" << text;
    const XmlCheck xml = parse_xml(svg);
    EXPECT_TRUE(xml.well_formed);
    EXPECT_EQ(xml.root, "svg");
    EXPECT_NE(svg.find("viewBox=\"0 0 720 540\""), std::string::npos);  // landscape
    EXPECT_TRUE(box.dir().read("s.png").starts_with("\x89PNG\r\n\x1a\n"));
    const Image png = read_png((box.dir() / "s.png").string());
    EXPECT_EQ(png.width, kPngWidth);
    EXPECT_EQ(png.height, kPngHeight);
    EXPECT_GE(png.width, 2400);
    EXPECT_GE(png.height, 1800);
    // Ink on a white page: lines, frames and labels.
    EXPECT_GT(test::pixels_differing(png.rgba, std::vector<unsigned char>(png.rgba.size(), 255)), 100000u);
    EXPECT_TRUE(box.dir().read("s.eps").starts_with("%!PS"));
}

// Every colour of the palette drawn black on a white page, whatever the
// background: a PNG of 77 has no pixel of colour, only black, white and the
// greys of smoothed edges. The same settings in colour (88) do have colour.
TEST(SavedPlot, BlackAndWhiteHasNoColourInAnyPixel) {
    PlotSandbox box;
    SeriesPlot plot;
    plot.ap.line_colour[0] = 1;  // red series
    plot.ap.frame_colour = 9;    // blue frame
    plot.ap.text_colour = 3;     // green text
    plot.ap.bg_red = 10, plot.ap.bg_green = 60, plot.ap.bg_blue = 30;
    plot.draw("ps", "bw.png\n");
    plot.draw("psc", "colour.png\n");
    plot.ap.bg_red = plot.ap.bg_green = plot.ap.bg_blue = 0;
    plot.dark = true;  // black background: entry 15 white
    plot.ap.frame_colour = plot.ap.text_colour = 15;
    plot.draw("ps", "dark.png\n");
    const auto colour_pixels = [](const Image& im) {
        std::size_t n = 0;
        for (std::size_t i = 0; i + 3 < im.rgba.size(); i += 4)
            if (im.rgba[i] != im.rgba[i + 1] || im.rgba[i + 1] != im.rgba[i + 2]) ++n;
        return n;
    };
    const auto black_pixels = [](const Image& im) {
        std::size_t n = 0;
        for (std::size_t i = 0; i + 3 < im.rgba.size(); i += 4) n += im.rgba[i] + im.rgba[i + 1] + im.rgba[i + 2] == 0;
        return n;
    };
    for (const char* f : {"bw.png", "dark.png"}) {
        const Image im = read_png((box.dir() / f).string());
        ASSERT_EQ(im.width, kPngWidth) << f;
        EXPECT_EQ(colour_pixels(im), 0u) << f;
        EXPECT_GT(black_pixels(im), 50000u) << f;
        EXPECT_EQ(im.rgba[0] + im.rgba[1] + im.rgba[2], 3 * 255) << f;  // a white page
    }
    EXPECT_GT(colour_pixels(read_png((box.dir() / "colour.png").string())), 50000u);
}

// A name whose folder does not exist, or that is a folder, is reported with the
// reason and asked again; an existing file is replaced.
TEST(SavedPlot, NameThatCannotBeWrittenIsAskedAgain) {
    PlotSandbox box;
    std::filesystem::create_directory(box.dir() / "folder.pdf");
    box.dir().write("old.svg", "not a picture");
    const std::string out = SeriesPlot().draw("psc", "/no/such/dir/f.pdf\nfolder.pdf\n\nold.svg\n");
    EXPECT_EQ(out, "Enter graphics output file name: "
                   " Cannot write the file /no/such/dir/f.pdf (No such file or directory): please enter another name.\n"
                   "Enter graphics output file name: "
                   " Cannot write the file folder.pdf (Is a directory): please enter another name.\n"
                   "Enter graphics output file name: Enter graphics output file name: ");
    EXPECT_EQ(parse_xml(box.dir().read("old.svg")).root, "svg");
    EXPECT_TRUE(std::filesystem::is_directory(box.dir() / "folder.pdf"));
}

// Image `big` shrunk to w x h pixels over white: every pixel the mean of the
// pixels of `big` whose centres lie in it.
std::vector<unsigned char> shrink(const Image& big, int w, int h) {
    std::vector<std::uint32_t> sum(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 3, 0), count(sum.size() / 3, 0);
    for (int y = 0; y < big.height; ++y) {
        for (int x = 0; x < big.width; ++x) {
            const std::size_t from = (static_cast<std::size_t>(y) * static_cast<std::size_t>(big.width) + static_cast<std::size_t>(x)) * 4;
            const std::size_t to = static_cast<std::size_t>(y * h / big.height) * static_cast<std::size_t>(w) +
                                   static_cast<std::size_t>(x * w / big.width);
            for (std::size_t c = 0; c < 3; ++c) sum[3 * to + c] += std::min(255, big.rgba[from + c] + 255 - big.rgba[from + 3]);
            ++count[to];
        }
    }
    std::vector<unsigned char> out(count.size() * 4, 255);
    for (std::size_t i = 0; i < count.size(); ++i)
        for (std::size_t c = 0; c < 3; ++c)
            if (count[i] > 0) out[4 * i + c] = static_cast<unsigned char>(sum[3 * i + c] / count[i]);
    return out;
}

// The ink of a picture over white: the sum over its pixels of how far each is from white.
double total_ink(const std::vector<unsigned char>& p) {
    double t = 0.0;
    for (std::size_t i = 0; i + 3 < p.size(); i += 4)
        t += 255 - std::min({p[i] + 255 - p[i + 3], p[i + 1] + 255 - p[i + 3], p[i + 2] + 255 - p[i + 3], 255});
    return t;
}

// The PNG is the screen's picture at a higher resolution: shrunk to the
// screen's size, it inks the pixels the screen inks, within one pixel, no
// others, and as much. (The library's own PNG of 2400 x 1800 pixels draws
// lines a third as wide: it loses some 1800 pixels and a third of the ink.)
TEST(SavedPlot, PngShowsTheScreenPicture) {
    PlotSandbox box;
    const SeriesPlot plot;
    const auto screen = test::picture(false, [&] { plot.draw("Mac1"); });
    plot.draw("psc", "s.png\n");
    const auto shrunk = shrink(read_png((box.dir() / "s.png").string()), 720, 540);
    EXPECT_GT(test::pixels_differing(screen, std::vector<unsigned char>(screen.size(), 255)), 10000u);
    EXPECT_LE(test::ink_lost(screen, shrunk, 720), 20u);
    EXPECT_LE(test::ink_lost(shrunk, screen, 720), 20u);
    EXPECT_NEAR(total_ink(shrunk) / total_ink(screen), 1.0, 0.1);
}

// Far more series than the PNG's panel has pixel rows: drawn as the pixels the
// lines cover, they cover the same pixels as the lines drawn with every point.
// Only at the tip of a sharp spike, where the library's line join cuts the
// stroke short, may the pixels stand out by a pixel or two.
TEST(SavedPlot, DensePngSeriesCoverTheSamePixels) {
    const Stores st = test::make_stores(test::dense_series(800, 150, 5, 40, 30));
    const SeriesPlot plot(st);
    PlotSandbox box;
    plot.draw("psc", "fast.png\n");
    set_full_detail(true);
    plot.draw("psc", "full.png\n");
    set_full_detail(false);
    const Image fast = read_png((box.dir() / "fast.png").string()), full = read_png((box.dir() / "full.png").string());
    ASSERT_EQ(fast.width, kPngWidth);
    EXPECT_EQ(test::ink_lost(full.rgba, fast.rgba, kPngWidth), 0u);
    EXPECT_LE(test::ink_lost(fast.rgba, full.rgba, kPngWidth), 20u);
}

// Widening grows every set cell to a square of 2r + 1 cells, only in the
// columns chosen.
TEST(CellMask, WidenGrowsCellsToSquaresInTheChosenColumns) {
    DeviceGrid g;
    g.vx0 = 0.0, g.vx1 = 20.0, g.vy0 = 0.0, g.vy1 = 10.0;
    CellMask m(g);
    m.set(5, 5);
    m.set(0, 0);
    m.set(12, 9);
    std::vector<std::uint8_t> chosen(20, 1);
    chosen[14] = 0;
    m.widen(2, chosen);
    std::size_t set = 0;
    for (std::int32_t c = 0; c < 20; ++c) {
        for (std::int32_t r = 0; r < 10; ++r) {
            const bool near5 = std::abs(c - 5) <= 2 && std::abs(r - 5) <= 2;
            const bool near0 = c <= 2 && r <= 2;
            const bool near12 = std::abs(c - 12) <= 2 && r >= 7 && c != 14;
            EXPECT_EQ(m.test(c, r), near5 || near0 || near12) << c << "," << r;
            set += m.test(c, r);
        }
    }
    EXPECT_EQ(set, 25u + 9u + 12u);
    m.widen(0);
    std::size_t again = 0;
    for (std::int32_t c = 0; c < 20; ++c)
        for (std::int32_t r = 0; r < 10; ++r) again += m.test(c, r);
    EXPECT_EQ(again, set);
}

}  // namespace
}  // namespace tarnik::plot
