#pragma once
// The reader of the Göttingen V format (files such as .!oj, .#oj; German and
// Dutch archaeology), many series to a file, in fixed columns.
//  * Per series a header line: columns 1-8 the identifier, 9 '.', 10 the kind
//    ('!' a single series, '%' a partial one, '#' a mean curve), 11 the
//    treatment, 12 the parameter ('J' ring width; a series of any other
//    parameter is skipped and counted), 16-20 the ring count n, 25-30 the year
//    of the last ring (blank: undated, placed from year 1 and told in the
//    notice), 69-70 the format version.
//  * Then one line of free text, and from version 10 on a line of
//    coordinates, from version 20 on also a user line.
//  * Then the n values, ten 8-column fields a line: three flag characters and
//    a 5-column whole number in 0.01 mm (the unit field of the header says mm,
//    but the numbers are hundredths). The first flag column is the value's
//    validity: any character there but a blank (as in `&   9999`) marks the
//    value invalid, a missing ring. n ends the series; the next header
//    follows on the next line.
//  * First year = last - n + 1, years as written.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "input/converted_source.h"
#include "input/text_source.h"

namespace tarnik {

class VFormatReader : public ConvertedSource, private TextSource {
public:
    // `file` names the file in messages.
    VFormatReader(std::string content, std::string file);

    bool next(SeriesRead& s) override;
    std::size_t value_count_bound() const override { return bound_; }

    // True when the first line that is not blank is a header whose fixed
    // fields read, and its series' value lines hold exactly its n values in
    // 8-column fields, followed by the end, a blank line or another header.
    static bool looks_like(std::string_view content);

    enum class Kind { single, partial, mean };
    // A header line, taken apart.
    struct Header {
        std::string_view id;  // columns 1-8
        Kind kind = Kind::single;
        char parameter = 'J';
        std::int64_t count = 0;                // n
        std::optional<std::int64_t> last_year; // none when blank
        int version = 0;                       // 0 when blank
    };
    // The fields of a header line; nothing for a line of another form.
    static std::optional<Header> parse_header(std::string_view line);
    // The number of lines between a header of `version` and its values.
    static int lines_after_header(int version);

private:
    std::size_t bound_;
    std::vector<std::int64_t> rings_;
};

}  // namespace tarnik
