#include "plot/resolution.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "plot/cycle.h"

namespace tarnik::plot {
namespace {

bool g_full_detail = false;

// A cell coordinate as an integer, bounded so that far-away values (a zoomed
// axis) stay representable; lo - 1 and hi + 1 stand for "beyond".
std::int32_t bounded_floor(double v, std::int32_t lo, std::int32_t hi) {
    if (!(v >= static_cast<double>(lo))) return lo - 1;  // also NaN
    if (v >= static_cast<double>(hi) + 1.0) return hi + 1;
    return static_cast<std::int32_t>(std::floor(v));
}

}  // namespace

void draw_polyline(std::span<const PLFLT> x, std::span<const PLFLT> y) {
    if (!x.empty()) plline(static_cast<PLINT>(x.size()), x.data(), y.data());
}

void set_full_detail(bool on) { g_full_detail = on; }
bool full_detail() { return g_full_detail; }

DeviceGrid DeviceGrid::current(double page_width, double page_height, bool pixels, double line_cells) {
    DeviceGrid g;
    g.page_width = page_width;
    g.page_height = page_height;
    g.pixels = pixels;
    g.line_cells = line_cells;
    PLFLT x0 = 0.0, x1 = 1.0, y0 = 0.0, y1 = 1.0;
    plgvpd(&x0, &x1, &y0, &y1);
    g.vx0 = x0 * page_width;
    g.vx1 = x1 * page_width;
    g.vy0 = (1.0 - y1) * page_height;
    g.vy1 = (1.0 - y0) * page_height;
    plgvpw(&g.wx0, &g.wx1, &g.wy0, &g.wy1);
    return g;
}

std::size_t reduce_to_columns(const DeviceGrid& g, std::vector<PLFLT>& x, std::vector<PLFLT>& y) {
    const std::size_t n = std::min(x.size(), y.size());
    std::size_t out = 0;
    std::size_t i = 0;
    while (i < n) {
        const double col = std::floor(g.cx(x[i]));
        std::size_t j = i + 1;
        while (j < n && std::floor(g.cx(x[j])) == col) ++j;
        // Points i..j-1 share a column: the first, the lowest, the highest, the last.
        std::size_t lo = i, hi = i;
        for (std::size_t k = i + 1; k < j; ++k) {
            if (y[k] < y[lo]) lo = k;
            if (y[k] > y[hi]) hi = k;
        }
        std::size_t keep[4] = {i, std::min(lo, hi), std::max(lo, hi), j - 1};
        std::size_t last = n;  // index last written
        for (std::size_t k : keep) {
            if (k == last) continue;
            x[out] = x[k];
            y[out] = y[k];
            ++out;
            last = k;
        }
        i = j;
    }
    x.resize(out);
    y.resize(out);
    return out;
}

CellMask::CellMask(const DeviceGrid& g) : g_(g) {
    c0_ = static_cast<std::int32_t>(std::floor(std::min(g.vx0, g.vx1)));
    r0_ = static_cast<std::int32_t>(std::floor(std::min(g.vy0, g.vy1)));
    cols_ = std::max(0, static_cast<std::int32_t>(std::ceil(std::max(g.vx0, g.vx1))) - c0_);
    rows_ = std::max(0, static_cast<std::int32_t>(std::ceil(std::max(g.vy0, g.vy1))) - r0_);
    bits_.assign(static_cast<std::size_t>(cols_) * static_cast<std::size_t>(rows_), 0);
}

std::int32_t CellMask::column_of(double cx) const { return bounded_floor(cx - c0_, 0, cols_ - 1); }
std::int32_t CellMask::row_of(double cy) const { return bounded_floor(cy - r0_, 0, rows_ - 1); }

void CellMask::set_span(std::int32_t c, std::int32_t r0, std::int32_t r1) {
    if (c < 0 || c >= cols_) return;
    if (r0 > r1) std::swap(r0, r1);
    r0 = std::max(r0, 0);
    r1 = std::min(r1, rows_ - 1);
    if (r0 > r1) return;
    std::uint8_t* col = bits_.data() + static_cast<std::size_t>(c) * static_cast<std::size_t>(rows_);
    std::fill(col + r0, col + r1 + 1, std::uint8_t{1});
}

void CellMask::set_segment(double ax, double ay, double bx, double by, const std::vector<std::uint8_t>& in_column) {
    if (bx < ax) {
        std::swap(ax, bx);
        std::swap(ay, by);
    }
    const std::int32_t first = std::max(column_of(ax), 0);
    const std::int32_t last = std::min(column_of(bx), cols_ - 1);
    const double dx = bx - ax;
    for (std::int32_t c = first; c <= last; ++c) {
        if (!in_column.empty() && in_column[static_cast<std::size_t>(c)] == 0) continue;
        const double left = std::max(ax, static_cast<double>(c0_ + c));
        const double right = std::min(bx, static_cast<double>(c0_ + c + 1));
        double y_left = ay, y_right = by;
        if (dx > 0.0) {
            y_left = ay + (by - ay) * ((left - ax) / dx);
            y_right = ay + (by - ay) * ((right - ax) / dx);
        }
        set_span(c, row_of(std::min(y_left, y_right)), row_of(std::max(y_left, y_right)));
    }
}

void CellMask::widen(std::int32_t radius, const std::vector<std::uint8_t>& in_column) {
    if (radius <= 0 || cols_ == 0 || rows_ == 0) return;
    const auto rows = static_cast<std::size_t>(rows_);
    auto chosen = [&](std::int32_t c) { return in_column.empty() || in_column[static_cast<std::size_t>(c)] != 0; };
    // Down the columns: a run of set cells grows by radius at both ends.
    std::vector<std::uint8_t> col(rows);
    for (std::int32_t c = 0; c < cols_; ++c) {
        if (!chosen(c)) continue;
        std::uint8_t* bits = bits_.data() + static_cast<std::size_t>(c) * rows;
        std::copy(bits, bits + rows, col.begin());
        for (std::int32_t r = 0; r < rows_; ++r)
            if (col[static_cast<std::size_t>(r)] != 0) set_span(c, r - radius, r + radius);
    }
    // Across the columns, from a copy of the columns widened so far.
    const std::vector<std::uint8_t> tall = bits_;
    for (std::int32_t c = 0; c < cols_; ++c) {
        if (!chosen(c)) continue;
        std::uint8_t* bits = bits_.data() + static_cast<std::size_t>(c) * rows;
        for (std::int32_t d = -radius; d <= radius; ++d) {
            const std::int32_t from = c + d;
            if (d == 0 || from < 0 || from >= cols_) continue;
            const std::uint8_t* src = tall.data() + static_cast<std::size_t>(from) * rows;
            for (std::size_t r = 0; r < rows; ++r) bits[r] |= src[r];
        }
    }
}

namespace {

// A run of set cells in one column of a CellMask: rows top to bot, inclusive,
// and the band (path) it belongs to.
struct MaskRun {
    std::int32_t top, bot;
    std::int32_t band = -1;
};

// The runs of set cells of one column, from the top.
void column_runs(const std::uint8_t* col, std::int32_t rows, std::vector<MaskRun>& runs) {
    runs.clear();
    for (std::int32_t r = 0; r < rows;) {
        if (col[r] == 0) {
            ++r;
            continue;
        }
        std::int32_t e = r;
        while (e + 1 < rows && col[e + 1] != 0) ++e;
        runs.push_back({r, e, -1});
        r = e + 1;
    }
}

// For every run of a column, the run of the previous column that continues
// into it: the one it overlaps where each overlaps only the other, else -1.
std::vector<std::int32_t> continued_runs(const std::vector<MaskRun>& prev, const std::vector<MaskRun>& cur) {
    std::vector<std::int32_t> prev_hits(prev.size(), 0), cur_hits(cur.size(), 0);
    std::vector<std::int32_t> partner(cur.size(), -1);
    for (std::size_t i = 0, j = 0; i < prev.size() && j < cur.size();) {
        if (std::max(prev[i].top, cur[j].top) <= std::min(prev[i].bot, cur[j].bot)) {
            ++prev_hits[i];
            ++cur_hits[j];
            partner[j] = static_cast<std::int32_t>(i);
        }
        if (prev[i].bot < cur[j].bot) ++i;
        else ++j;
    }
    for (std::size_t j = 0; j < cur.size(); ++j) {
        if (cur_hits[j] != 1 || prev_hits[static_cast<std::size_t>(partner[j])] != 1) partner[j] = -1;
    }
    return partner;
}

// The paths of a CellMask, traced column by column: a band of overlapping runs
// in neighbouring columns is one path in cell coordinates, drawn once no run
// of the next column continues it.
class BandPaths {
public:
    BandPaths(const DeviceGrid& g, std::int32_t first_row) : g_(g), r0_(first_row) {}

    // Continues the bands of the runs `prev` into the runs `cur` of the column
    // whose centre is at xc, starts new bands for the other runs of `cur`, and
    // draws the bands that end in `prev`.
    void step(const std::vector<MaskRun>& prev, std::vector<MaskRun>& cur, double xc) {
        const std::vector<std::int32_t> partner = continued_runs(prev, cur);
        std::vector<bool> continued(prev.size(), false);
        for (std::size_t j = 0; j < cur.size(); ++j) {
            MaskRun& run = cur[j];
            const std::int32_t i = partner[j];
            if (i >= 0) {
                continued[static_cast<std::size_t>(i)] = true;
                extend(prev[static_cast<std::size_t>(i)], run, xc);
            } else {
                start(run, xc);
            }
        }
        for (std::size_t i = 0; i < prev.size(); ++i) {
            if (continued[i]) continue;
            emit(open_[static_cast<std::size_t>(prev[i].band)]);
            free_bands_.push_back(static_cast<std::size_t>(prev[i].band));
        }
    }

    std::size_t drawn() const { return drawn_; }

private:
    struct Band {
        std::vector<PLFLT> x, y;  // the path in cell coordinates
    };

    // Back to a row both runs share, one step across, then over the run.
    void extend(const MaskRun& p, MaskRun& run, double xc) {
        run.band = p.band;
        Band& b = open_[static_cast<std::size_t>(run.band)];
        const double yo = r0_ + std::max(p.top, run.top) + 0.5;
        b.x.insert(b.x.end(), {xc - 1.0, xc, xc, xc});
        b.y.insert(b.y.end(), {yo, yo, static_cast<double>(r0_ + run.top), static_cast<double>(r0_ + run.bot + 1)});
    }

    void start(MaskRun& run, double xc) {
        run.band = new_band();
        Band& b = open_[static_cast<std::size_t>(run.band)];
        b.x = {xc, xc};
        b.y = {static_cast<double>(r0_ + run.top), static_cast<double>(r0_ + run.bot + 1)};
    }

    std::int32_t new_band() {
        if (!free_bands_.empty()) {
            const std::size_t k = free_bands_.back();
            free_bands_.pop_back();
            return static_cast<std::int32_t>(k);
        }
        open_.emplace_back();
        return static_cast<std::int32_t>(open_.size() - 1);
    }

    void emit(Band& b) {
        if (b.x.size() == 2) {
            // A path of two points gets round caps from the library, which reach
            // beyond the cells; a midpoint makes it a polyline with flat ends.
            b.x.insert(b.x.begin() + 1, b.x[0]);
            b.y.insert(b.y.begin() + 1, 0.5 * (b.y[0] + b.y[1]));
        }
        for (std::size_t k = 0; k < b.x.size(); ++k) {
            b.x[k] = g_.wx(b.x[k]);
            b.y[k] = g_.wy(b.y[k]);
        }
        plline(static_cast<PLINT>(b.x.size()), b.x.data(), b.y.data());
        ++drawn_;
        b.x.clear();
        b.y.clear();
    }

    const DeviceGrid& g_;
    std::int32_t r0_;
    std::vector<Band> open_;
    std::vector<std::size_t> free_bands_;
    std::size_t drawn_ = 0;
};

}  // namespace

std::size_t CellMask::draw() const {
    pllsty(1);
    // A path one cell wide (the library's width is in units of the page, which
    // hold line_cells cells); set back to the default width at the end. Where
    // the cells are finer than the page's units (a saved file), the library
    // places the paths to a fraction of a cell only; they reach a quarter of
    // a cell further on both sides, so that no seam shows where two paths meet.
    const bool finer = g_.line_cells != 1.0;
    if (finer) plwidth(1.5 / g_.line_cells);
    BandPaths paths(g_, r0_);
    std::vector<MaskRun> prev, cur;
    // One step past the last column ends the bands still open.
    for (std::int32_t c = 0; c <= cols_; ++c) {
        cur.clear();
        if (c < cols_) column_runs(bits_.data() + static_cast<std::size_t>(c) * static_cast<std::size_t>(rows_), rows_, cur);
        paths.step(prev, cur, c0_ + c + 0.5);
        std::swap(prev, cur);
    }
    if (finer) plwidth(1.0);
    return paths.drawn();
}

SeriesLines::SeriesLines(const DeviceGrid& g, std::int32_t style)
    : g_(g), style_(style), raster_(g.pixels && !full_detail()), mask_(raster_ ? g : DeviceGrid{}) {
    if (raster_) lines_per_column_.assign(static_cast<std::size_t>(mask_.columns()) + 1, 0);
}

void SeriesLines::span(double x_first, double x_last) {
    if (!raster_) return;
    double a = g_.cx(x_first), b = g_.cx(x_last);
    if (b < a) std::swap(a, b);
    const std::int32_t lo = mask_.column_of(a), hi = mask_.column_of(b);
    if (hi < 0 || lo >= mask_.columns()) return;
    ++lines_per_column_[static_cast<std::size_t>(std::max(lo, 0))];
    --lines_per_column_[static_cast<std::size_t>(std::min(hi, mask_.columns() - 1)) + 1];
}

void SeriesLines::count_columns() {
    counted_ = true;
    dense_.assign(static_cast<std::size_t>(mask_.columns()), 0);
    std::int32_t lines = 0;
    for (std::int32_t c = 0; c < mask_.columns(); ++c) {
        lines += lines_per_column_[static_cast<std::size_t>(c)];
        if (lines > mask_.rows()) {
            dense_[static_cast<std::size_t>(c)] = 1;
            any_dense_ = true;
        }
    }
}

bool SeriesLines::dense_at(double cx) const {
    const std::int32_t c = mask_.column_of(cx);
    return c >= 0 && c < mask_.columns() && dense_[static_cast<std::size_t>(c)] != 0;
}

void SeriesLines::stroke(std::span<const PLFLT> x, std::span<const PLFLT> y) {
    if (style_ != 1 || x.size() < 3) {
        draw_polyline(x, y);
        return;
    }
    px_.assign(x.begin(), x.end());
    py_.assign(y.begin(), y.end());
    reduce_to_columns(g_, px_, py_);
    draw_polyline(px_, py_);
}

void SeriesLines::draw(const std::vector<PLFLT>& x, const std::vector<PLFLT>& y) {
    const std::size_t n = std::min(x.size(), y.size());
    if (full_detail()) {
        draw_polyline({x.data(), n}, {y.data(), n});
        return;
    }
    if (raster_ && !counted_) count_columns();
    if (!any_dense_ || n < 2) {
        stroke({x.data(), n}, {y.data(), n});
        return;
    }
    // Segments between two points in dense columns go into the mask; the
    // others are stroked, each stretch of them as one line.
    std::size_t piece = 0;  // first point of the stretch being collected
    bool prev_dense = dense_at(g_.cx(x[0]));
    for (std::size_t k = 1; k < n; ++k) {
        const bool here_dense = dense_at(g_.cx(x[k]));
        if (prev_dense && here_dense) {
            if (k - 1 > piece) stroke({x.data() + piece, k - piece}, {y.data() + piece, k - piece});
            mask_.set_segment(g_.cx(x[k - 1]), g_.cy(y[k - 1]), g_.cx(x[k]), g_.cy(y[k]), dense_);
            piece = k;
        }
        prev_dense = here_dense;
    }
    if (n - 1 > piece) stroke({x.data() + piece, n - piece}, {y.data() + piece, n - piece});
}

void SeriesLines::finish() {
    if (!raster_ || !any_dense_) return;
    // The mask holds the cells the centre lines cross; a line is line_cells wide.
    mask_.widen(static_cast<std::int32_t>(std::lround((g_.line_cells - 1.0) / 2.0)), dense_);
    mask_.draw();
    pllsty(style_);
}

CloudPoints::CloudPoints(const DeviceGrid& g) : g_(g) {
    // Symbols whose centre lies this far outside the viewport still reach into it.
    margin_ = static_cast<std::int32_t>(std::ceil(0.03 * g.page_width));
    ox_ = std::floor(std::min(g.vx0, g.vx1)) - margin_;
    oy_ = std::floor(std::min(g.vy0, g.vy1)) - margin_;
    cols_ = static_cast<std::int32_t>(std::ceil(std::max(g.vx0, g.vx1)) - ox_) + margin_;
    rows_ = static_cast<std::int32_t>(std::ceil(std::max(g.vy0, g.vy1)) - oy_) + margin_;
    cols_ = std::max(cols_, 0);
    rows_ = std::max(rows_, 0);
}

std::size_t CloudPoints::add(std::span<const float> x, std::span<const float> y, PLINT symbol) {
    Cloud cl;
    cl.x = x.subspan(0, std::min(x.size(), y.size()));
    cl.y = y.subspan(0, cl.x.size());
    cl.symbol = symbol;
    if (!full_detail()) {
        const std::size_t cells = static_cast<std::size_t>(cols_) * static_cast<std::size_t>(rows_);
        seen_.assign((cells + 63) / 64, 0);
        for (std::size_t i = 0; i < cl.x.size(); ++i) {
            const double cx = g_.cx(cl.x[i]) - ox_, cy = g_.cy(cl.y[i]) - oy_;
            const std::int32_t c = bounded_floor(cx, 0, cols_ - 1), r = bounded_floor(cy, 0, rows_ - 1);
            if (c < 0 || c >= cols_ || r < 0 || r >= rows_) continue;
            const std::size_t bit = static_cast<std::size_t>(c) * static_cast<std::size_t>(rows_) + static_cast<std::size_t>(r);
            std::uint64_t& word = seen_[bit / 64];
            const std::uint64_t m = std::uint64_t{1} << (bit % 64);
            if ((word & m) != 0) continue;
            word |= m;
            cl.kept.push_back(static_cast<std::uint32_t>(i));
        }
    }
    clouds_.push_back(std::move(cl));
    return clouds_.size() - 1;
}

void CloudPoints::plan() {
    planned_ = true;
    if (full_detail()) return;
    std::size_t total = 0;
    for (Cloud& c : clouds_) {
        // Symbols drawn over each other many times leave every pixel they touch
        // fully inked, which is what the mask draws.
        c.mask = c.x.size() >= kOverdrawn * c.kept.size() && !c.kept.empty();
        if (!c.mask) total += c.kept.size();
    }
    // Then the largest clouds become masks until the symbols left fit the budget.
    std::vector<std::size_t> order(clouds_.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return clouds_[a].kept.size() > clouds_[b].kept.size(); });
    for (std::size_t k : order) {
        if (total <= kSymbolBudget) break;
        if (clouds_[k].mask) continue;
        clouds_[k].mask = true;
        total -= clouds_[k].kept.size();
    }
    std::vector<PLINT> symbols;
    for (const Cloud& c : clouds_) {
        if (c.mask && std::find(symbols.begin(), symbols.end(), c.symbol) == symbols.end()) symbols.push_back(c.symbol);
    }
    if (symbols.empty()) return;
    std::vector<std::vector<CellOffset>> shapes;
    if (!symbol_shapes(g_.page_width, g_.page_height, g_.line_cells, symbols, shapes)) {
        for (Cloud& c : clouds_) c.mask = false;  // no renderer for the shapes: symbols it is
        return;
    }
    for (Cloud& c : clouds_) {
        if (!c.mask) continue;
        const auto at = std::find(symbols.begin(), symbols.end(), c.symbol) - symbols.begin();
        c.shape = shapes[static_cast<std::size_t>(at)];
    }
}

void CloudPoints::draw(std::size_t k) {
    const Cloud& cl = clouds_[k];
    std::vector<PLFLT> x, y;
    if (full_detail()) {
        x.assign(cl.x.begin(), cl.x.end());
        y.assign(cl.y.begin(), cl.y.end());
    } else if (cl.mask) {
        CellMask m(g_);
        for (std::uint32_t i : cl.kept) {
            const std::int32_t c = m.column_of(g_.cx(cl.x[i])), r = m.row_of(g_.cy(cl.y[i]));
            for (const CellOffset& o : cl.shape) m.set(c + o.dc, r + o.dr);
        }
        m.draw();
        return;
    } else {
        x.reserve(cl.kept.size());
        y.reserve(cl.kept.size());
        for (std::uint32_t i : cl.kept) {
            x.push_back(cl.x[i]);
            y.push_back(cl.y[i]);
        }
    }
    if (!x.empty()) plpoin(static_cast<PLINT>(x.size()), x.data(), y.data(), cl.symbol);
}

bool symbol_shapes(double page_width, double page_height, double line_cells, std::span<const PLINT> symbols,
                   std::vector<std::vector<CellOffset>>& shapes) {
    shapes.assign(symbols.size(), {});
    if (symbols.empty()) return true;
    if (!device_available("memcairo")) return false;
    const auto w = static_cast<std::int32_t>(std::lround(page_width));
    const auto h = static_cast<std::int32_t>(std::lround(page_height));
    // One slot per symbol in the upper half of the page, as wide as the margin
    // of CloudPoints on both sides.
    const std::int32_t slot = std::max<std::int32_t>(8, 2 * static_cast<std::int32_t>(std::ceil(0.03 * page_width)));
    const std::int32_t per_row = std::max(1, w / slot), per_column = std::max(1, h / 2 / slot);
    if (static_cast<std::size_t>(per_row) * static_cast<std::size_t>(per_column) < symbols.size()) return false;

    std::vector<unsigned char> rgba(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4, 0);
    PLINT drawing = 0, probe = 0;
    plgstrm(&drawing);
    plmkstrm(&probe);
    plsdev("memcairo");
    plsmema(w, h, rgba.data());
    plinit();
    // The same page layout as the displays, so that symbols get the same size.
    plssub(1, 2);
    pladv(0);
    plvpor(0.0, 1.0, 0.0, 1.0);
    plwind(0.0, static_cast<PLFLT>(w), static_cast<PLFLT>(h) / 2.0, 0.0);  // world units are pixels
    plwidth(line_cells);
    plcol0(15);
    for (std::size_t k = 0; k < symbols.size(); ++k) {
        const auto col = static_cast<std::int32_t>(k) % per_row, row = static_cast<std::int32_t>(k) / per_row;
        PLFLT x = col * slot + slot / 2 + 0.5, y = row * slot + slot / 2 + 0.5;
        plpoin(1, &x, &y, symbols[k]);
    }
    plend1();
    plsstrm(drawing);

    for (std::size_t k = 0; k < symbols.size(); ++k) {
        const auto col = static_cast<std::int32_t>(k) % per_row, row = static_cast<std::int32_t>(k) / per_row;
        const std::int32_t cx = col * slot + slot / 2, cy = row * slot + slot / 2;
        for (std::int32_t py = row * slot; py < (row + 1) * slot && py < h; ++py) {
            for (std::int32_t px = col * slot; px < (col + 1) * slot && px < w; ++px) {
                // An eighth covered or more counts as a pixel of the symbol: many
                // symbols drawn over each other ink such pixels fully.
                const unsigned char alpha = rgba[(static_cast<std::size_t>(py) * static_cast<std::size_t>(w) + static_cast<std::size_t>(px)) * 4 + 3];
                if (alpha >= 32) shapes[k].push_back({px - cx, py - cy});
            }
        }
    }
    return true;
}

}  // namespace tarnik::plot
