#pragma once
// What the reading loop reads a ring-width file through: one series per call,
// whatever the file's format. A source turns one file's content into series and
// says what it noticed on the way; the data set (input/data_set.h) numbers the
// series of one file or of a whole folder, cuts identifiers to 8 characters and
// gives the notices; the reading loop applies the limits and fills the stores.
//
// Every format is one reader (its own file in input/) and one row of the format
// table (input/formats.cpp): its name, the test that recognises its content
// (`looks_like`, beside the reader) and how a reader is made.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tarnik {

// The longest series name a reader hands out; a longer one is cut (it only
// ever shows in notices, whose names printable() cuts shorter still).
inline constexpr std::size_t kMaxNameLength = 256;

// One series as read from the file.
struct SeriesRead {
    // The series' name as the file writes it, up to kMaxNameLength characters
    // (runs of blanks collapsed where the format allows them); the data set
    // cuts it to the 8 characters of `id`.
    std::string name;
    std::string id;               // 8 characters, set by the data set
    std::int32_t first_year = 0;  // calendar year of the first ring
    // Number of rings in the file. It may exceed MaxYears (the loop rejects the
    // series by this number); `values` then holds only the first MaxYears.
    std::int32_t length = 0;
    // Widths in units of 1/scale mm, oldest first; a missing ring is 0.
    std::vector<std::int32_t> values;
    std::int32_t scale = 100;     // 100 (0.01 mm) or 1000 (0.001 mm)
    // Rings without a width (stored as 0) and the year of the first of them.
    std::int32_t missing = 0;
    std::int32_t first_missing_year = 0;
};

// Rings without a width in one series (stored as 0).
struct MissingRings {
    std::int32_t series = 0;       // series number in the data set
    std::string id;                // its identifier
    std::int32_t count = 0;        // number of missing rings
    std::int32_t first_year = 0;   // calendar year of the first of them
    std::string words;             // what stood in the file, for `count`: "negative widths"
};

// A file of a known format that holds nothing the program can use (no
// ring-width series at all): the reading loop shows `lines` and ends the run.
struct UnusableFile {
    std::vector<std::string> lines;
};

// One count of what a file held besides its series, for the notice at its end:
// `count` followed by `one` or `many` ("2 of them mean curves"). A detail
// without a count (`count` below 0) is the text `one` alone.
struct ReadDetail {
    std::int32_t count = 0;
    std::string one, many;
    std::string text() const;
};

// What one file gave, for the notice " Read as a Heidelberg file: 16 series,
// 2 of them mean curves." (or, over a folder, " Read 3 Heidelberg files: ...").
struct ReadReport {
    std::string format;        // "Heidelberg"
    std::string noun = "file"; // "file", "workbook", ...
    std::int32_t series = 0;
    std::vector<ReadDetail> details;
};

class SeriesSource {
public:
    virtual ~SeriesSource() = default;
    // Reads the next series into `s`; false at the end of the file. A file that
    // cannot be read ends the run with the source's message (InternalError).
    virtual bool next(SeriesRead& s) = 0;
    // What stood in the file where `count` rings are missing, for the notice
    // "2 negative widths read as missing rings (0)".
    virtual std::string missing_ring_words(std::int32_t count) const {
        return count == 1 ? "negative width" : "negative widths";
    }
    // An upper bound of the number of widths in the file, for reserving storage.
    virtual std::size_t value_count_bound() const = 0;
    // What the file gave; complete once next() returned false.
    virtual ReadReport report() const = 0;

    // Notices collected since the last call; the caller prints and clears them.
    std::vector<std::string> take_notices() {
        std::vector<std::string> n;
        n.swap(notices_);
        return n;
    }

protected:
    std::vector<std::string> notices_;
};

}  // namespace tarnik
