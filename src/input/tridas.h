#pragma once
// The TRiDaS reader (the international XML exchange standard). Every
// measurementSeries and derivedSeries with a non-empty block of ring-width
// values is one series:
//  * a `values` block holds ring widths when its variable has
//    normalTridas="ring width" (any case) or, without normalTridas, the text
//    "ring width" or "total ring width"; blocks of other variables are skipped
//    and counted in the notice, empty blocks are ignored;
//  * first year: interpretation/firstYear with its suffix (AD n is n, BC n is
//    1 - n, BP n is 1950 - n); with only lastYear, lastYear - rings + 1; with
//    neither, year 1 (told in the notice);
//  * unit normalTridas: 1/100th, 1/1000th, 1/10th millimetres, micrometres,
//    millimetres; unitless or a unit not known here is read as 1/100 mm, and
//    the notice says so;
//  * a negative value is a missing ring (0, reported per series); a value that
//    is not a number ends the run with the read-error message naming the series.
//
// Identifiers. A series is called by its title, runs of blanks collapsed,
// wherever that title tells it apart: no other series of the file has the
// same title. Series that share a title (files written by some programs call
// every series "1" and put the name on the element) are told apart by the
// titles of the levels above them (project, object, element, sample, radius):
// the identifier joins, with '-', the titles of those levels that differ
// among the series sharing the title, from the outermost level inward. When no
// level differs, or for a lone series whose title is empty, the series keeps
// its title, or takes the innermost title above it that is not empty.
//
// The document is parsed by Expat, a streaming parser: the values go straight
// into the series without a document tree, so a full-capacity file needs
// little more memory than its own size. What is kept follows the series, not
// the document's shape: the levels above the series are kept once and shared
// by every series inside them; a series keeps at most MaxYears widths and,
// past the stores' limits, only its length (see ConvertedSource); at most the
// MaxSeries + 1 first series are kept (the reading loop ends at the next
// one). Elements nested deeper than kMaxNesting end the reading with the
// read-error message. Text converted from UTF-16 is read as UTF-8, whatever
// its XML declaration says.

#include <optional>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "input/converted_source.h"

namespace tarnik {

class TridasReader : public ConvertedSource {
public:
    // `file` names the file in messages.
    TridasReader(std::string content, std::string file);

    bool next(SeriesRead& s) override;

    // True when the content is XML markup from its first to its last character
    // (blanks, comments and processing instructions aside) whose root element
    // is `tridas` or `project` (any namespace prefix), or that has an element
    // in a namespace beginning http://www.tridas.org/ (the versions of the
    // standard).
    static bool looks_like(std::string_view content);
    // The power of ten in millimetres of a unit as the standard names it
    // ("1/100th millimetres", "micrometres", ...); nothing for a unit not
    // known here.
    static std::optional<int> unit_power(std::string_view unit);
    // Every value takes at least the 16 characters of <value value=""/>.
    std::size_t value_count_bound() const override { return bound_; }

    // How deep elements may nest: far beyond any TRiDaS document (some ten
    // levels), and low enough that the parser's memory for the open elements
    // stays small.
    static constexpr std::size_t kMaxNesting = 1000;

    // The levels above the series (project, object, element, sample, radius)
    // that hold a series, each kept once, with its title (runs of blanks
    // collapsed) and the level around it.
    class Levels {
    public:
        static constexpr std::uint32_t kNone = UINT32_MAX;
        // A new level inside `outer` (kNone: an outermost level).
        std::uint32_t add(std::uint32_t outer, std::string_view title);
        std::uint32_t outer(std::uint32_t level) const { return nodes_[level].outer; }
        // The number of levels around it.
        std::size_t depth(std::uint32_t level) const { return nodes_[level].depth; }
        std::string_view title(std::uint32_t level) const {
            return std::string_view(titles_).substr(nodes_[level].title_at, nodes_[level].title_size);
        }

    private:
        struct Node {
            std::uint64_t title_at = 0;
            std::uint32_t outer = kNone;
            std::uint16_t depth = 0;
            std::uint16_t title_size = 0;
        };
        std::vector<Node> nodes_;
        std::string titles_;
    };

    // One series as parsed, before it is handed out.
    struct Parsed {
        std::string title;                  // runs of blanks collapsed
        std::uint32_t level = Levels::kNone;  // the innermost level above it
        std::int32_t first_year = 1;
        std::vector<std::int32_t> rings;    // the kept widths: micrometres, or -1 for a missing ring
        std::int64_t length = 0;            // all its rings
        std::string id;                     // as built by the identifier rule
    };

    // The identifiers of `series` by the rule above (sets Parsed::id).
    static void build_identifiers(std::vector<Parsed>& series, const Levels& levels);

private:
    void parse();
    // Counts one more series of `widths` kept widths; false once past the
    // stores' limits (the widths are then dropped).
    bool keep(std::int64_t widths);

    std::string content_;
    std::size_t bound_;
    bool parsed_ = false;
    Levels levels_;
    std::vector<Parsed> series_;
    std::size_t next_ = 0;
    std::vector<ReadDetail> details_;
    std::vector<std::int64_t> rings_;
};

}  // namespace tarnik
