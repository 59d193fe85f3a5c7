#pragma once
// The CATRAS reader: one series in a binary file of 128-byte records, numbers
// little-endian. The first record is the header:
//   bytes  0-31  title
//         32-39  key code
//         40-42  "CAT"
//         44-45  ring count n (unsigned 16 bits)
//         54-55  first year (signed 16 bits): 0 undated; a negative year is BC
//                without a year 0 (-5 is 5 BC, which the program counts as -4)
//         66     the number format of the values (1: 16-bit integers)
//         67     the variable: 0 ring width; 1 earlywood, 2 latewood
//         83     the kind: 0 raw; 1 tree curve, 2 chronology (mean curves)
// From byte 128 follow exactly n signed 16-bit values in 0.01 mm; a negative
// value is a missing ring. The rest of the last record is padding, often a 999
// or values of another series, and is never read; mean curves may follow with
// further blocks (sample depths and the like), each padded to whole records.
//  * The identifier is the key code, or the title when the key code is blank.
//  * An undated series is placed from year 1 (told in the notice).
//  * Earlywood and latewood series are skipped and counted in the notice.

#include <cstddef>
#include <string>
#include <string_view>

#include "input/converted_source.h"

namespace tarnik {

class CatrasReader : public ConvertedSource {
public:
    // `content` is the file's bytes; `file` names the file in messages.
    CatrasReader(std::string content, std::string file);

    bool next(SeriesRead& s) override;
    std::size_t value_count_bound() const override;

    // True when the bytes are a CATRAS file: the signature at bytes 40-42, a
    // file size that agrees with the ring count (the values, padded to whole
    // records, up to four blocks of them for mean curves; or the values
    // exactly), and a variable and kind of the known ones. No text file can
    // pass: the variable and kind bytes are control characters there.
    static bool looks_like(std::string_view bytes);

private:
    std::string content_;
    bool done_ = false;
};

}  // namespace tarnik
