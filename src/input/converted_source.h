#pragma once
// What the readers of other programs' files (Heidelberg, TRiDaS, CSV tables,
// compact) share:
//  * numbers as written, exactly (a decimal mantissa and exponent), and their
//    conversion to whole micrometres, rounded half up;
//  * the units of the stores: a series whose widths are all whole 0.01 mm is
//    stored in 0.01 mm (the scale of the decadal 999 marker), any other in
//    0.001 mm (the -9999 scale), so that a decadal export writes every width
//    back exactly;
//  * missing rings, counted per series for the driver's notice;
//  * the report of what was read, and the end of the run for a file of the
//    format that holds no ring-width series;
//  * the read-error message, naming the file, the line or series and what is
//    wrong, in the pattern of the decadal reader's.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "data/limits.h"
#include "input/series_source.h"

namespace tarnik {

// A number as written: (-1)^negative * mantissa * 10^exponent.
struct Decimal {
    bool negative = false;
    std::uint64_t mantissa = 0;
    std::int32_t exponent = 0;
};

// Reads a whole text as a decimal number: an optional sign, digits with at most
// one decimal point (`point`, '.' or ','), at least one digit, and an optional
// exponent (e or E, an optional sign, digits). Nothing else, blanks included.
// Digits beyond the 18th significant one are dropped (they cannot change a
// width rounded to micrometres).
std::optional<Decimal> parse_decimal(std::string_view text, char point = '.');

// A Fortran real field read with `decimals` implied decimals: blanks count as
// nothing, an all-blank field is 0, and a number without a decimal point is
// divided by 10^decimals.
std::optional<Decimal> parse_real_field_exact(std::string_view field, int decimals);

// The largest width in micrometres the stores take (their values are 32-bit).
inline constexpr std::int64_t kMaxMicrometres = 2147483647;

// The width in whole micrometres of `d` units of 10^unit_exponent mm (unit
// exponent -2: 0.01 mm), rounded half up; no value past kMaxMicrometres. The
// sign of `d` is ignored.
std::optional<std::int64_t> to_micrometres(const Decimal& d, int unit_exponent);

// A ring as the readers collect it: its width in micrometres, or kMissingRing.
inline constexpr std::int64_t kMissingRing = -1;

// The rings of one series as a reader collects them (widths in micrometres or
// kMissingRing): the first MaxYears are kept, every later one only counted, so
// that a series of any length takes at most MaxYears entries. The reading loop
// rejects a longer series by its length before any width of it is used.
class Rings {
public:
    void clear() {
        kept_.clear();
        count_ = 0;
    }
    void push_back(std::int64_t ring) {
        if (kept_.size() < static_cast<std::size_t>(MaxYears)) kept_.push_back(ring);
        ++count_;
    }
    // All rings, kept or only counted.
    std::size_t size() const { return count_; }
    std::span<const std::int64_t> kept() const { return kept_; }

private:
    std::vector<std::int64_t> kept_;
    std::size_t count_ = 0;
};

class ConvertedSource : public SeriesSource {
public:
    std::string missing_ring_words(std::int32_t count) const override {
        return count == 1 ? missing_one_ : missing_many_;
    }
    ReadReport report() const override { return report_; }

protected:
    // `file` is the name the user gave; `format` names the format in messages
    // ("Heidelberg", "TRiDaS", "CSV", "compact") and `noun` what a file of it
    // is called ("file"); the missing-ring words say what the file held where a
    // ring is missing ("negative width").
    ConvertedSource(std::string file, std::string format, std::string missing_one, std::string missing_many,
                    std::string noun = "file");

    // Fills `s` with series number series_count() + 1: its name as written
    // (cut to kMaxNameLength), the first year, and the rings in the stores'
    // units: `kept` holds the first of the series' `length` rings (widths in
    // micrometres or kMissingRing), at least min(length, MaxYears) of them.
    void fill(SeriesRead& s, std::string_view name, std::int32_t first_year, std::span<const std::int64_t> kept,
              std::int64_t length);
    void fill(SeriesRead& s, std::string_view name, std::int32_t first_year, const Rings& rings) {
        fill(s, name, first_year, rings.kept(), static_cast<std::int64_t>(rings.size()));
    }
    // All the series' rings at hand (a reader that keeps them bounded itself).
    void fill(SeriesRead& s, std::string_view name, std::int32_t first_year, const std::vector<std::int64_t>& rings) {
        fill(s, name, first_year, rings, static_cast<std::int64_t>(rings.size()));
    }
    std::int32_t series_count() const { return report_.series; }

    // Readers that take in the whole file before they hand out their first
    // series (tables, XML documents) keep no more than the stores can take:
    // at most MaxYears widths a series (the rest only counted in its length).
    // keep_series() counts one more series to be kept, keep_widths(n) n more
    // widths. Once the widths kept pass MaxValues, or the series MaxSeries,
    // the data set cannot be stored whatever the rest of the file holds: the
    // reading loop is certain to end at a limit before any width is used. From
    // then on both are false, and the reader drops the widths it kept, keeps
    // only each series' length and hands it out through fill_unkept.
    bool keep_series() {
        if (!over_limits_ && ++kept_series_ > MaxSeries) over_limits_ = true;
        return !over_limits_;
    }
    bool keep_widths(std::int64_t widths) {
        if (!over_limits_ && (kept_widths_ += widths) > MaxValues) over_limits_ = true;
        return !over_limits_;
    }
    bool over_limits() const { return over_limits_; }
    // Fills `s` with a series of `length` rings whose widths were not kept:
    // each a 0, for the reading loop to reject the data set by its limits.
    void fill_unkept(SeriesRead& s, std::string_view name, std::int32_t first_year, std::int64_t length);

    // At the end of the file: the report with its `details`. Without any
    // series the run ends with a message that names the file and the
    // `details` (UnusableFile).
    void finish(std::vector<ReadDetail> details);
    // finish() with the details of `counts_`, those above 0 in this order:
    // mean curves, series without dates (placed from year 1) and series of
    // other data than ring widths (skipped). Returns false, for the end of
    // a reader's next().
    bool finish_with_counts();
    // The number of the series about to be read, counted in the file (the
    // skipped series included).
    std::int32_t number_in_file() const { return series_count() + counts_.skipped + 1; }

    // What a reader counts besides the series it hands out, for finish_with_counts.
    struct SeriesCounts {
        std::int32_t mean_curves = 0, undated = 0, skipped = 0;
    };
    SeriesCounts counts_;

    // Ends the run with the read-error message: where (a line, a series or
    // both), what is wrong, and the line's text when there is one.
    [[noreturn]] void read_error(const std::string& where, const std::string& what,
                                 std::optional<std::string_view> line = std::nullopt) const;

    // "series 3 (CAM031)" for the series being read: `name` as written.
    std::string series_label(std::int32_t number, std::string_view name) const;

    const std::string& file() const { return file_; }
    const std::string& format() const { return report_.format; }

private:
    std::string file_, missing_one_, missing_many_;
    ReadReport report_;
    bool finished_ = false;
    std::int64_t kept_widths_ = 0, kept_series_ = 0;
    bool over_limits_ = false;
};

}  // namespace tarnik
