#pragma once
// The reader of the data bank's compact format. A series starts with a header
// line such as
//   454=N 1530=I CAM011                                -2(26F3.0)~
// the ring count (N) and the first year (I), in either order, the identifier,
// a power of ten for the unit (-2: the values are 0.01 mm) directly before a
// record format of repeated fields, and '~' at the end. The values follow in
// that format over as many lines as needed; the next series starts on the
// line after the last value. A negative value is a missing ring.
//
// The record format is read by the program's one implementation of the
// notation (console/record_format.h), with Fortran's rules for real fields:
// blanks count as nothing and a value without a decimal point has the
// descriptor's implied decimals.

#include <string>
#include <string_view>
#include <vector>

#include "console/record_format.h"
#include "input/converted_source.h"
#include "input/text_source.h"

namespace tarnik {

class CompactReader : public ConvertedSource, private TextSource {
public:
    // `file` names the file in messages.
    CompactReader(std::string content, std::string file);

    bool next(SeriesRead& s) override;
    std::size_t value_count_bound() const override { return bound_; }

    // A compact series header, taken apart.
    struct Header {
        std::int64_t count = 0;       // N
        std::int64_t first_year = 0;  // I
        std::string name;             // runs of blanks collapsed
        std::int32_t power = 0;       // values are 10^power mm
        std::string format;           // "(26F3.0)"
    };
    // The parts of a header line; nothing for a line of another form. The
    // record format is taken as written: whether it can read numbers is the
    // caller's to check (the line is a header all the same).
    static std::optional<Header> parse_header(std::string_view line);

    // True when the content starts with a compact series whose values read in
    // its format, end their last line, and are followed by the end, a blank
    // line or another header.
    static bool looks_like(std::string_view content);

private:
    std::size_t bound_;
    Rings rings_;
    // The line of the last value read and the column after that value.
    std::string_view last_line_;
    std::int64_t last_end_ = 0;
};

}  // namespace tarnik
