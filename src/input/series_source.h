#pragma once
// What the reading loop reads a ring-width file through: one series per call,
// whatever the file's format. The loop, not the source, applies the limits and
// fills the stores; a source only turns the file's content into series and says
// what it noticed on the way.
//
// open_series_source looks at the content: a Heidelberg file, a TRiDaS
// document, a CSV table or a file in the data bank's compact format is read by
// its own reader; any other file by the decadal reader (see detect_format for
// how a format is recognised).

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tarnik {

// One series as read from the file.
struct SeriesRead {
    std::string id;               // 8 characters
    std::int32_t first_year = 0;  // calendar year of the first ring
    // Number of rings in the file. It may exceed MaxYears (the loop rejects the
    // series by this number); `values` then holds only the first MaxYears.
    std::int32_t length = 0;
    // Widths in units of 1/scale mm, oldest first; a missing ring is 0.
    std::vector<std::int32_t> values;
    std::int32_t scale = 100;     // 100 (0.01 mm) or 1000 (0.001 mm)
};

// Rings without a width in one series (stored as 0).
struct MissingRings {
    std::int32_t series = 0;       // series number
    std::string id;                // its identifier
    std::int32_t count = 0;        // number of missing rings
    std::int32_t first_year = 0;   // calendar year of the first of them
};

// A file of a known format that holds nothing the program can use (no
// ring-width series at all): the reading loop shows `lines` and ends the run.
struct UnusableFile {
    std::vector<std::string> lines;
};

class SeriesSource {
public:
    virtual ~SeriesSource() = default;
    // Reads the next series into `s`; false at the end of the file. A file that
    // cannot be read ends the run with the source's message (InternalError).
    virtual bool next(SeriesRead& s) = 0;
    // Notices collected since the last call; the caller prints and clears them.
    virtual std::vector<std::string> take_notices() = 0;
    // Series that had missing rings, in file order.
    virtual const std::vector<MissingRings>& missing_rings() const = 0;
    // What stood in the file where `count` rings are missing, for the notice
    // "2 negative widths read as missing rings (0)".
    virtual std::string missing_ring_words(std::int32_t count) const {
        return count == 1 ? "negative width" : "negative widths";
    }
    // An upper bound of the number of widths in the file, for reserving storage.
    virtual std::size_t value_count_bound() const = 0;
};

enum class FileFormat { decadal, heidelberg, tridas, csv, compact };

// The format of a ring-width file's content. Each format is recognised by its
// structure beyond the first line, never by a word alone, because the title
// line of a decadal file may hold any text:
//  * TRiDaS: the content is XML markup from its first to its last character
//    (blanks, comments and processing instructions aside), its root element is
//    `tridas` (any namespace prefix), and the root's end tag closes it;
//  * Heidelberg: the first line that is not blank is `HEADER:`, the lines up to
//    the next `DATA:<kind>` line are all `key=value`, and there is such a line;
//  * CSV: the first row has a separator (`,`, `;` or a tab) and a first cell
//    `Year`, `year` or empty, and the first row after it that is not blank
//    starts with a year and holds only numbers, empty cells and NA, not more
//    cells than the header;
//  * compact: the first line is a compact series header (`454=N 1530=I name
//    -2(26F3.0)~`), its values read in its record format from the lines after
//    it, and the line after them is the end of the file, blank or another
//    compact header.
// Everything else is decadal.
FileFormat detect_format(std::string_view content);

// The source for a ring-width file; no value when the file cannot be read.
// `path` also names the file in the messages of the readers.
std::unique_ptr<SeriesSource> open_series_source(const std::string& path);

}  // namespace tarnik
