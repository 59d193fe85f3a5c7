#pragma once
// What the reading loop reads a ring-width file through: one series per call,
// whatever the file's format. The loop, not the source, applies the limits and
// fills the stores; a source only turns the file's content into series and says
// what it noticed on the way.

#include <cstdint>
#include <memory>
#include <string>
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
    // An upper bound of the number of widths in the file, for reserving storage.
    virtual std::size_t value_count_bound() const = 0;
};

// The source for a ring-width file; no value when the file cannot be read.
std::unique_ptr<SeriesSource> open_series_source(const std::string& path);

}  // namespace tarnik
