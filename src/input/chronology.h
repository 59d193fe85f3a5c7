#pragma once
// A chronology of the public data bank (.crn): the mean curve of a site as
// indices, not ring widths. After a header of up to three lines, decade lines
// of 80 columns: a 6-column site code, the 4-column year of the line's first
// value, then ten fields of a 4-column index (1000 is the mean) and a
// 3-column sample depth; years without a value hold 9990 with depth 0. A file
// may hold several chronologies, each after its own header.
//
// Nothing in such a file can be analysed as ring widths, so the run ends with
// a message saying what the file is, instead of reading its lines as decadal
// series of nonsense widths.

#include <string>
#include <string_view>

#include "input/series_source.h"

namespace tarnik {

class ChronologyReader : public SeriesSource {
public:
    // `file` names the file in the message.
    ChronologyReader(std::string content, std::string file);

    // Ends the run: throws UnusableFile with the message.
    bool next(SeriesRead& s) override;
    std::size_t value_count_bound() const override { return 0; }
    ReadReport report() const override { return {"chronology", "file", 0, {}}; }

    // True when every line but blank ones and headers (at most three lines
    // before each run of decade lines) is a decade line of the layout above,
    // each run continuing its site's decades, and some field holds the 9990
    // fill. A decadal file of ring widths (6-column fields after a 12-column
    // identifier and year) never has that layout.
    static bool looks_like(std::string_view content);

private:
    std::string file_;
};

}  // namespace tarnik
