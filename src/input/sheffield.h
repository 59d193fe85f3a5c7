#pragma once
// The Sheffield reader (.d files, the main British format): one series, one
// field a line.
//   line  1     title
//         2     ring count n
//         3     dating: A absolute, R relative (the year is read alike; the
//               notice counts relatively dated series)
//         4     first year + 10000 (10001 is AD 1, 10000 is 1 BC: the program's
//               year is the value minus 10000)
//         5     type: R raw, or an old species letter that also means raw;
//               W, X, T, C and M are mean curves
//         6-21  metadata ("?" where unknown)
//         22    data type: D ring widths; a series of any other data type is
//               skipped and counted
// Then n integers in 0.01 mm, one a line; a negative one is a missing ring.
// Mean curves may go on with H, R and F blocks (counts and signatures), which
// are not rings and are not read.
//  * The identifier is the file's name without its extension, as the program
//    that writes the format names its series.
//  * A file with fewer values than n cannot be read.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "input/converted_source.h"
#include "input/text_source.h"

namespace tarnik {

class SheffieldReader : public ConvertedSource, private TextSource {
public:
    // `file` is the file's path: it names the file in messages and gives the
    // series its identifier.
    SheffieldReader(std::string content, std::string file);

    bool next(SeriesRead& s) override;
    std::size_t value_count_bound() const override { return bound_; }

    // True when the lines have the format's structure: a count on line 2, A or
    // R on line 3, a whole number on line 4, one letter on lines 5 and 22, and
    // for ring widths a whole number on line 23. A decadal file never has it:
    // its lines start with an identifier and a year.
    static bool looks_like(std::string_view content);

private:
    void read_values(std::int64_t count, const std::string& label);

    std::size_t bound_;
    bool done_ = false;
    std::vector<std::int64_t> rings_;
};

}  // namespace tarnik
