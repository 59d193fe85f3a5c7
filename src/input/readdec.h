#pragma once
// The decadal ring-width reader. One call of readdec returns one series: its
// identifier (columns 1-8 of its first line), its first year (columns 9-12), its
// widths in millimetres and its end marker (999: 0.01 mm, -9999: 0.001 mm).
// Years are read as they stand (0 is 1 BC). Years below -999 do not fit four
// columns; the data bank writes them in columns 8-12 after a 7-character
// identifier ("SS004B -2649"): a line whose column 8 is '-' directly followed by
// four digits is read so, its identifier being columns 1-7 and a blank.
//
// Beyond the strict layout it reads the files users actually have:
//  * lines may end in LF, CR LF, CR CR LF or a CR alone;
//  * a file without a title line (its first line already starts a series that
//    the second line continues) is read from its first line;
//  * the three-line header of the public data bank (two lines after the title
//    whose year columns are not a number) is skipped;
//  * empty or all-blank lines between series are skipped;
//  * a negative width other than the -9999 marker is a missing ring, stored as 0;
//  * a continuation line whose year is not the next decade (a year typed one
//    column off) is read in order like any other, once per series told.
// Each of these is reported through notices() so the driver can show it.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "input/series_source.h"
#include "input/text_lines.h"

namespace tarnik {

class DecadalReader : public SeriesSource {
public:
    // Takes the whole file content.
    explicit DecadalReader(std::string content);
    // Reads the named file; no value when it cannot be opened.
    static std::optional<DecadalReader> open(const std::string& path);

    // Reads the next series. capacity must be 2100. Returns 1 at end of file (the
    // series data are then undefined), 0 when a series was read. `length` counts
    // every width of the series; `values` holds them, but never more than
    // capacity of them (the caller rejects longer series by their length).
    // `raw` receives the integer widths as read (before division). `title` is
    // set when series_number is 1. A line that cannot be read ends the run with
    // the reader's error message (throws InternalError).
    std::int32_t readdec(std::int32_t capacity, std::string& id, std::int32_t& first_year, std::int32_t& length,
                         std::vector<float>& values, std::vector<std::int32_t>& raw, std::int32_t& marker,
                         std::int32_t series_number, std::string& title);

    // The next series through readdec, counted from 1, with the scale of its
    // end marker.
    bool next(SeriesRead& s) override;
    // An upper bound of the number of widths in the file, for reserving storage.
    std::size_t value_count_bound() const override;

    // Notices collected since the last call (header skipped, no title line, a
    // last series without an end marker); the caller prints and clears them.
    std::vector<std::string> take_notices() override;
    // Series that held negative widths, in file order.
    const std::vector<MissingRings>& missing_rings() const override { return missing_; }

private:
    bool next_line(std::string_view& line);
    void back_one_line();
    [[noreturn]] void read_error(std::size_t line_number, std::string_view line) const;
    void detect_title_and_header(std::string& title);

    std::string content_;
    LineCursor cursor_;            // in content_
    LineCursor prev_;              // before the line read last
    std::vector<std::string> notices_;
    std::vector<MissingRings> missing_;
    std::int32_t series_number_ = 0;  // of the last series next() read
    std::string title_;
    std::vector<float> mm_;           // next()'s widths in millimetres (unused)
};

// The value format's count of widths on a series' first line: up to the end of
// the decade of `year` (1873 -> 7, 1870 -> 10; -2649 -> 9, up to -2641; a
// negative multiple of ten holds its whole decade: -2640 -> 10).
std::int32_t first_line_count(std::int32_t year);

}  // namespace tarnik
