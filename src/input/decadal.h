#pragma once
// The decadal ring-width reader. Each series gives its identifier (columns 1-8
// of its first line), its first year (columns 9-12) and its widths in units of
// its end marker (999: 0.01 mm, -9999: 0.001 mm), ten to a line in 6-column
// fields after the identifier and year; a series' first line holds the widths
// up to the end of its first decade. Years are read as they stand (0 is 1 BC).
// Years below -999 do not fit four columns; the data bank writes them in
// columns 8-12 after a 7-character identifier ("SS004B -2649"): a line whose
// column 8 is '-' directly followed by four digits is read so, its identifier
// being columns 1-7 and a blank.
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
//    column off) is read in order like any other, once per series told;
//  * when a series line holds a tab, every series line of the file is read as
//    fields separated by blanks and tabs: identifier, year and the widths of
//    the line (tabs in the title or the header lines alone do not count).
//  * values after the end marker on its line are not read, as the format has
//    it, and told with the line.
// Each of these is told in a notice.

#include <cstdint>
#include <string>
#include <string_view>

#include "input/series_source.h"
#include "input/text_source.h"

namespace tarnik {

class DecadalReader : public SeriesSource, private TextSource {
public:
    // `file` names the file in messages.
    DecadalReader(std::string content, std::string file);

    // Every file no other format claims is read as decadal.
    static bool looks_like(std::string_view) { return true; }

    // The next series: its name (the 8-character identifier), first year,
    // widths (never more than MaxYears of them; `length` counts them all) and
    // the scale of its end marker. A line that cannot be read ends the run with
    // the reader's error message (throws InternalError).
    bool next(SeriesRead& s) override;
    std::size_t value_count_bound() const override;
    ReadReport report() const override { return {"decadal", "file", series_, {}}; }

    // The title line (80 characters); blank for a file without one.
    const std::string& title() const { return title_; }

private:
    bool next_line(std::string_view& line);
    void back_one_line() { back_to(prev_); }
    [[noreturn]] void read_error(std::size_t line_number, std::string_view line) const;
    void detect_title_and_header();
    // Goes back to the first line, for a file whose first line starts a series.
    void read_without_title();
    bool read_widths(SeriesRead& s, std::string_view line, std::int32_t count);
    bool read_field_widths(SeriesRead& s, std::string_view line, std::int32_t count);
    void append_width(SeriesRead& s, std::int32_t w);
    void detect_fields();
    void tell_after_marker(const SeriesRead& s, std::string_view line, std::int32_t k, std::int32_t marker);
    void tell_year_slip(const SeriesRead& s, std::string_view line, std::int64_t line_in_series);

    std::string file_;
    std::size_t bound_ = 0;
    LineCursor prev_;              // before the line read last
    std::int32_t series_ = 0;      // series read so far
    bool started_ = false;         // title and header looked at
    bool slip_told_ = false;       // in the series being read
    std::size_t first_line_ = 0;   // the line of the series being read that holds its first year
    bool fields_ = false;          // series lines read as blank- or tab-separated fields
    std::string title_;
};

// The value format's count of widths on a series' first line: up to the end of
// the decade of `year` (1873 -> 7, 1870 -> 10; -2649 -> 9, up to -2641; a
// negative multiple of ten holds its whole decade: -2640 -> 10).
std::int32_t first_line_count(std::int32_t year);

}  // namespace tarnik
