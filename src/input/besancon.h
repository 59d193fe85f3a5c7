#pragma once
// The Besançon reader (French and Belgian labs; also the tidier dialect of the
// program that followed the original one). A file holds many series; lines
// outside a series (a preamble, comments between series) are not read.
//  * A series starts at a line `. NAME` (a full stop in column 1, a blank, the
//    name). The lines after it up to the values hold keys: words known by
//    their first three letters in any case (`LON`, `longueur:`), each followed
//    by its whole-number value, anywhere in a line and several to a line:
//    LON the ring count, ORI the first year, TER the last year, POS the
//    position. Every other word is a comment.
//  * A line whose first word begins with VAL (`VAL`, `VALeur`, `Valeurs`)
//    starts the values. What follows that word up to a ':' (or its next word
//    without one), compared without case and without trailing '.' or ':',
//    says what the values are: nothing, NAT or a word beginning with VAL are
//    ring widths; any other word (`Aj/C`, `EBES`: indices) marks a series that
//    is skipped and counted in the notice.
//  * The values are numbers in 0.01 mm (decimals in mean curves) separated by
//    blanks or line ends; `,` is a ring seen but not measured (a missing ring)
//    and `;` ends the series. A year label `{ 1529}` at the start of a value
//    line and the signature marks `/` and `*` (glued to numbers or standing
//    alone) are not values.
//  * The values up to `;` are the series; a LON that disagrees is told in the
//    notice, and so is a TER that disagrees with ORI and the values.
//  * Years before our era are negative with no year 0 (ORI -81 is 81 BC, year
//    -80 here). The first year is ORI, else TER minus the ring count plus 1;
//    without either the series is placed from year 1 (told in the notice).
//  * CR, LF and CR LF line ends; Latin-1 or UTF-8 text (byte 0x85, a letter
//    in Latin-1, is no line end). Names are kept as written.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "input/converted_source.h"
#include "input/text_source.h"

namespace tarnik {

class BesanconReader : public ConvertedSource, private TextSource {
public:
    // `file` names the file in messages.
    BesanconReader(std::string content, std::string file);

    bool next(SeriesRead& s) override;
    std::size_t value_count_bound() const override { return bound_; }

    // True when the content holds a series with this structure: a `. NAME`
    // line, a key with its value on the lines after it, a VAL line, then
    // numbers or commas ending in ';'.
    static bool looks_like(std::string_view content);

    // The name on a line that starts a series, or nothing for another line.
    static std::optional<std::string_view> series_start(std::string_view line);
    // True for a line that starts the values.
    static bool is_values_line(std::string_view line);
    // True when the VAL line says its values are ring widths.
    static bool holds_widths(std::string_view values_line);

    // The keys of a series header this reader uses, as given on one line or
    // over the whole header (the last value of a key counts).
    struct Keys {
        std::optional<std::int64_t> lon, ori, ter, pos;
        bool any() const { return lon || ori || ter || pos; }
        // The keys of `line` added, replacing those given before.
        void add(std::string_view line);
    };

    // One item of a value line.
    enum class Item { number, missing, end, bad };
    // Walks through the items of one value line, the year label skipped.
    class ValueItems {
    public:
        explicit ValueItems(std::string_view line);
        // The next item and its text (a number's digits, the bad text); false
        // after the last item of the line.
        bool next(Item& item, std::string_view& text);
        // The value of the last number item.
        const Decimal& number() const { return number_; }

    private:
        std::string_view line_;
        Decimal number_;
        std::size_t pos_ = 0;
        bool bad_label_ = false;
    };

private:
    struct Header {
        std::string name;
        std::int32_t number = 0;  // counted in the file
        Keys keys;
    };
    bool find_series_start(Header& h);
    bool read_header(Header& h);  // false for a series of indices
    void read_values(const Header& h);
    void skip_values(const Header& h);
    std::int64_t year_of(std::int64_t written, const Header& h, const char* key);
    void place(SeriesRead& s, const Header& h);
    void end_of_file();

    std::size_t bound_;
    // The rings of the series being read (at most MaxYears of them; the
    // rest only counted) and their number.
    std::vector<std::int64_t> rings_;
    std::int64_t count_ = 0;
    std::int32_t lon_differs_ = 0, ter_differs_ = 0;
};

}  // namespace tarnik
