#pragma once
// The PAST4 project reader (.p4p: XML, root element PAST_4_PROJECT_FILE). Each
// RECORD element is one series; groups, settings and the project element are
// not series.
//  * The record's attributes: Keycode (the identifier), Offset (the first
//    year; without it the series is placed from year 1, told in the notice),
//    Length (the number of rings) and IsMeanValue (a mean curve when it is
//    neither 0 nor FALSE, counted in the notice).
//  * Its DATA text holds one ring a line, the fields separated by tabs: the
//    first field is the value (decimals allowed, a decimal comma too), the
//    others are not read. Blank lines are no rings. Length must equal the
//    number of value lines.
//  * Values are in 0.01 mm unless a `Unit=` line of the record's HEADER text
//    names a unit the Heidelberg or TRiDaS readers know ("1/1000 mm",
//    "1/100th millimetres", ...); any other unit is read as 0.01 mm and the
//    notice says so.
//  * A negative value is a missing ring (0, reported per series); a value that
//    is not a number ends the run with the read-error message naming the line
//    and the record.
//
// The document is parsed by Expat, and the parse stops after each record until
// the record is handed out: the reader holds the file and one record (at most
// MaxYears widths; a longer record is handed out by its length alone, for the
// reading loop to reject), whatever the file's size.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "input/converted_source.h"

namespace tarnik {

class Past4Reader : public ConvertedSource {
public:
    // `file` names the file in messages.
    Past4Reader(std::string content, std::string file);
    ~Past4Reader() override;

    bool next(SeriesRead& s) override;
    // Every value line takes at least two characters ("1\n").
    std::size_t value_count_bound() const override { return bound_; }

    // True when the content is XML markup from its first to its last character
    // whose root element is PAST_4_PROJECT_FILE.
    static bool looks_like(std::string_view content);

    struct Parse;  // the parser and what it has read of the record being parsed

private:
    // Parses on to the end of the next record or of the document.
    void advance();

    std::string content_;
    std::size_t bound_;
    std::unique_ptr<Parse> parse_;
    std::size_t fed_ = 0;       // bytes of the content handed to the parser
    bool suspended_ = false;    // the parser stopped after a record
    bool done_ = false;         // the document is parsed to its end
    std::vector<std::int64_t> rings_;
    std::int32_t unknown_unit_ = 0;
};

}  // namespace tarnik
