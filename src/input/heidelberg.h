#pragma once
// The Heidelberg reader (.fh files, the common format of European labs). Per
// series a `HEADER:` line, `key=value` lines and a `DATA:<kind>` line, then the
// numbers up to the next `HEADER:` or the end of the file. Keys and kinds are
// matched without regard to case.
//  * Kinds: Tree and Single hold one number per ring; HalfChrono and Double
//    pairs (value, count); Chrono, Quad and Quadro quadruples. The value is the
//    first number of each tuple; series with tuples are mean curves.
//  * The numbers are blank-separated integers whatever the kind (text after
//    ';' is a comment), so the layout never depends on the kind.
//  * Length is the number of rings, or DateEnd - DateBegin + 1 without Length;
//    zeros after the last ring are padding. Without Length and dates, every
//    tuple up to the last one that is not all zeros is a ring.
//  * First year: DateBegin; else DateEnd - Length + 1; else 1 (a floating
//    series, told in the notice). Years as written, whatever Dated= says.
//    Where DateBegin, DateEnd and Length disagree, Length and DateBegin are
//    used, and a notice says so.
//  * Unit: 1/100 mm when absent; also 1/1000 mm, 1/10 mm and mm.
//  * Only ring widths: a series whose DataType is given and is not Ringwidth
//    is skipped and counted in the notice.
//  * A negative number is a missing ring (read as 0, reported per series).
//  * The identifier is KeyCode as written.
//  * Keys may hold any character but '=' ("Comment[0]", "Site Name"); a header
//    line without '=' is ignored.

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "input/converted_source.h"
#include "input/text_source.h"

namespace tarnik {

class HeidelbergReader : public ConvertedSource, private TextSource {
public:
    // `file` names the file in messages.
    HeidelbergReader(std::string content, std::string file);

    bool next(SeriesRead& s) override;
    std::size_t value_count_bound() const override { return bound_; }

    // True when the first line that is not blank is HEADER: and a DATA:<kind>
    // line follows before any other HEADER: line.
    static bool looks_like(std::string_view content);

    // True for a line that starts a Heidelberg series header.
    static bool is_header_line(std::string_view line);
    // True for a `DATA:<kind>` line (any word as the kind).
    static bool is_data_line(std::string_view line);
    // The key of a `key=value` line: any text before the first '=' but blanks
    // alone ("Comment[0]", "Site Name"), blanks around it taken off; nothing
    // for a line without '='.
    static std::optional<std::string_view> key_of(std::string_view line);
    // The power of ten in millimetres of a unit as a Unit= line writes it
    // ("1/100 mm", "0.001mm", "mm"; blanks and case do not count); nothing for
    // a unit not known here.
    static std::optional<int> unit_power(std::string_view unit);

private:
    // The used keys of a header: key (lower case, no blanks) -> value, line.
    using Keys = std::map<std::string, std::pair<std::string, std::size_t>>;
    struct HeaderKeys {
        Keys keys;
        std::string kind;            // of the DATA: line, lower case
        std::string_view data_line;  // the DATA: line
    };
    // What the header of a series says.
    struct Header {
        std::string name;
        std::string label;
        int tuple = 1;             // numbers per ring
        std::optional<std::int64_t> length_key, begin, end;
        std::optional<std::int64_t> length;  // Length, or DateEnd - DateBegin + 1
        int unit = -2;             // power of ten in millimetres
        bool ring_widths = true;   // DataType is RingWidth (or not given)
    };

    // The key=value lines after a HEADER: line, up to its DATA: line.
    HeaderKeys read_keys(std::int32_t number);
    // The header of series `number`, read after its HEADER: line.
    Header read_header(std::int32_t number);
    // The whole-number value of the key `shown` (as messages name it), if given.
    std::optional<std::int64_t> integer_key(const Keys& keys, std::string_view shown, const std::string& label);
    // Reads the numbers of the series (keeping the rings in firsts_) and
    // returns its ring count.
    std::uint64_t read_numbers(const Header& h);
    // The ring count of `numbers` numbers, the last nonzero one at `last_nonzero`.
    std::uint64_t ring_count(const Header& h, std::uint64_t numbers, std::uint64_t last_nonzero);
    // Places the series of `rings` rings and fills `s`.
    void hand_out(SeriesRead& s, const Header& h, std::uint64_t rings);

    std::size_t bound_;
    std::vector<std::int64_t> rings_;   // the kept rings of the series being read
    std::vector<std::int64_t> firsts_;  // the first number of each of its first MaxYears tuples
};

}  // namespace tarnik
