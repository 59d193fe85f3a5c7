#pragma once
// Drawing many lines and points at the resolution of the device.
//
// A full-capacity file puts millions of values into one panel; the screen shows
// a few hundred thousand pixels, and the cairo renderer behind the screen window
// and the image file spends milliseconds on every anti-aliased line it strokes.
// So the displays hand their data lines and cloud points to the classes below,
// which draw what the device can show, and no more:
//
//  * Of the points of one line that fall into the same device column only the
//    first, the lowest, the highest and the last are kept, in their order: the
//    line covers the same cells as before (the per-pixel minimum and maximum of
//    a series keep its look).
//  * On a pixel device, where more lines cross a pixel column than the panel has
//    pixel rows, the lines there are dense: their pixels are collected in a mask
//    and drawn without anti-aliasing as a few paths along the pixel columns, one
//    per connected band. Elsewhere every line is stroked as before.
//  * Of the points of one cloud only the first in each device cell is drawn (a
//    symbol drawn again at the same place adds nothing). A cloud whose points
//    fall on the same cells many times over, and, while the clouds of a display
//    still hold more symbols than kSymbolBudget, the largest clouds, are drawn
//    as the mask of the pixels their symbols cover, the symbol's shape taken
//    from the library itself.
//
// Files of ordinary size (fewer series than the panel has pixel rows, fewer ring
// values than kSymbolBudget) are drawn with anti-aliasing as before; only points
// that coincide within one device cell are left out.

#include <plplot/plplot.h>

#include <cstdint>
#include <span>
#include <vector>

namespace tarnik::plot {

// Off by default. When on, every line and point is handed to the library as
// given (the drawing before this module existed); used to compare pictures.
void set_full_detail(bool on);
bool full_detail();

// The mapping of the current viewport from world coordinates to device cells:
// pixels for the cairo devices (y downward from the top of the page), the
// PostScript driver's own units for PostScript. In a saved PNG, PDF or SVG the
// cells are finer than the unit of the library's line width (a pixel of the
// 720 x 540 screen page): a line then covers line_cells cells across.
struct DeviceGrid {
    double page_width = 720.0, page_height = 540.0;  // in cells
    bool pixels = false;  // the cells are the pixels that are shown
    double line_cells = 1.0;  // the width of a line of the library's default width, in cells
    double vx0 = 0.0, vx1 = 1.0, vy0 = 0.0, vy1 = 1.0;  // viewport in cells, vy0 at its top
    double wx0 = 0.0, wx1 = 1.0, wy0 = 0.0, wy1 = 1.0;  // world window (plgvpw)

    // The grid of the viewport and window the library has now (plgvpd, plgvpw).
    static DeviceGrid current(double page_width, double page_height, bool pixels, double line_cells = 1.0);

    double cx(double x) const { return vx0 + (x - wx0) * (vx1 - vx0) / (wx1 - wx0); }
    double cy(double y) const { return vy1 - (y - wy0) * (vy1 - vy0) / (wy1 - wy0); }
    double wx(double cx) const { return wx0 + (cx - vx0) * (wx1 - wx0) / (vx1 - vx0); }
    double wy(double cy) const { return wy0 + (vy1 - cy) * (wy1 - wy0) / (vy1 - vy0); }
};

// Draws the points as one line (plline); nothing where there are none.
void draw_polyline(std::span<const PLFLT> x, std::span<const PLFLT> y);

// Keeps of every run of consecutive points in one device column the first, the
// lowest, the highest and the last, in their order. Returns the number kept;
// x and y are shortened to it.
std::size_t reduce_to_columns(const DeviceGrid& g, std::vector<PLFLT>& x, std::vector<PLFLT>& y);

// A set of device cells over the viewport (columns left to right, rows from the
// top), drawn in the current colour as paths along the cell columns.
class CellMask {
public:
    explicit CellMask(const DeviceGrid& g);
    std::int32_t columns() const { return cols_; }
    std::int32_t rows() const { return rows_; }
    // The device cell of column 0, row 0.
    std::int32_t first_column() const { return c0_; }
    std::int32_t first_row() const { return r0_; }
    // Column and row of a cell coordinate (may lie outside the mask).
    std::int32_t column_of(double cx) const;
    std::int32_t row_of(double cy) const;
    bool inside(std::int32_t c, std::int32_t r) const { return c >= 0 && c < cols_ && r >= 0 && r < rows_; }
    void set(std::int32_t c, std::int32_t r) {
        if (inside(c, r)) bits_[static_cast<std::size_t>(c) * static_cast<std::size_t>(rows_) + static_cast<std::size_t>(r)] = 1;
    }
    bool test(std::int32_t c, std::int32_t r) const {
        return inside(c, r) && bits_[static_cast<std::size_t>(c) * static_cast<std::size_t>(rows_) + static_cast<std::size_t>(r)] != 0;
    }
    // Rows r0..r1 (either order) of column c, clipped to the mask.
    void set_span(std::int32_t c, std::int32_t r0, std::int32_t r1);
    // The cells a straight line from (ax, ay) to (bx, by) crosses, in cell
    // coordinates; only in the columns where `in_column` is true (all when empty).
    void set_segment(double ax, double ay, double bx, double by, const std::vector<std::uint8_t>& in_column = {});
    // Widens every set cell by `radius` cells to all sides (a square), in the
    // columns where `in_column` is true (all when empty): the cells a line of
    // 2 * radius + 1 cells' width covers around the cells of its centre line.
    void widen(std::int32_t radius, const std::vector<std::uint8_t>& in_column = {});
    // Draws the set cells: every band of overlapping runs in neighbouring
    // columns is one path, one cell wide, that covers exactly its cells.
    // Returns the number of paths drawn.
    std::size_t draw() const;

private:
    DeviceGrid g_;
    std::int32_t c0_ = 0, r0_ = 0, cols_ = 0, rows_ = 0;
    std::vector<std::uint8_t> bits_;
};

// The series lines of one panel, all in the current colour and line style.
// First every line announces its X extent (span), then each is drawn (draw),
// and finish() draws the dense part collected on the way.
class SeriesLines {
public:
    // `style`: the library line style in use (1 solid). Dashed lines keep all
    // their points, so that the dash pattern runs along the same path as before.
    SeriesLines(const DeviceGrid& g, std::int32_t style);
    void span(double x_first, double x_last);
    void draw(const std::vector<PLFLT>& x, const std::vector<PLFLT>& y);
    void finish();

private:
    void count_columns();
    bool dense_at(double cx) const;
    void stroke(std::span<const PLFLT> x, std::span<const PLFLT> y);

    DeviceGrid g_;
    std::int32_t style_;
    bool raster_;
    CellMask mask_;
    std::vector<std::int32_t> lines_per_column_;  // difference array of the spans
    std::vector<std::uint8_t> dense_;
    bool counted_ = false, any_dense_ = false;
    std::vector<PLFLT> px_, py_;
};

// A cell relative to another.
struct CellOffset {
    std::int32_t dc, dr;
};

// The most symbols a display hands to the library one by one.
inline constexpr std::size_t kSymbolBudget = 50000;
// A cloud with this many points or more per device cell it covers is drawn as
// its mask whatever its size.
inline constexpr std::size_t kOverdrawn = 4;

// The clouds of one panel: every cloud is added first, then drawn in any order
// (each in the colour current at its drawing).
class CloudPoints {
public:
    explicit CloudPoints(const DeviceGrid& g);
    // Adds a cloud; returns its number for draw().
    std::size_t add(std::span<const float> x, std::span<const float> y, PLINT symbol);
    // Chooses the clouds drawn as pixel masks (after all clouds are added).
    void plan();
    void draw(std::size_t cloud);
    // Whether cloud k is drawn as a pixel mask (after plan()).
    bool as_mask(std::size_t cloud) const { return clouds_[cloud].mask; }

private:
    struct Cloud {
        std::span<const float> x, y;
        PLINT symbol = 0;
        std::vector<std::uint32_t> kept;  // indices of the points drawn
        bool mask = false;
        std::vector<CellOffset> shape;  // of the symbol, for a mask
    };
    DeviceGrid g_;
    std::vector<Cloud> clouds_;
    std::vector<std::uint64_t> seen_;  // one bit per cell of the extended viewport
    std::int32_t margin_ = 0, cols_ = 0, rows_ = 0;
    double ox_ = 0.0, oy_ = 0.0;
    bool planned_ = false;
};

// The pixels one symbol of the current size covers on a device of the given
// page size in cells, whose lines are line_cells cells wide, relative to the
// cell of its centre, drawn by the library's cairo renderer into memory. Empty
// for a symbol that draws nothing; false where that renderer is missing.
bool symbol_shapes(double page_width, double page_height, double line_cells, std::span<const PLINT> symbols,
                   std::vector<std::vector<CellOffset>>& shapes);

}  // namespace tarnik::plot
