#include "input/tridas.h"

#include <expat.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>

#include "console/answers.h"
#include "data/limits.h"
#include "input/text_helpers.h"
#include "input/xml_markup.h"

namespace tarnik {
namespace {

constexpr char kNamespaceSeparator = '|';  // never part of a name or a namespace URI

// The local part of a name as Expat reports it ("uri|local" or "local").
std::string_view local(const XML_Char* name) {
    std::string_view n(name);
    const std::size_t bar = n.rfind(kNamespaceSeparator);
    return bar == std::string_view::npos ? n : n.substr(bar + 1);
}

const XML_Char* attribute(const XML_Char** attrs, std::string_view name) {
    for (const XML_Char** a = attrs; *a; a += 2)
        if (local(a[0]) == name) return a[1];
    return nullptr;
}

using text::is_space;
using text::lower;
using text::trim_blanks;
std::string collapsed(std::string_view s) { return text::collapse_blanks(s); }

// The power of ten in millimetres of a unit; nothing for unitless or a unit
// not known here.
std::optional<int> unit_exponent(std::string unit) {
    unit = lower(collapsed(unit));
    // American spelling too: millimeters, micrometers.
    for (std::size_t at = unit.find("meter"); at != std::string::npos; at = unit.find("meter", at))
        unit.replace(at, 5, "metre");
    if (unit == "1/100th millimetres" || unit == "1/100th millimetre") return -2;
    if (unit == "1/1000th millimetres" || unit == "1/1000th millimetre") return -3;
    if (unit == "1/10th millimetres" || unit == "1/10th millimetre") return -1;
    if (unit == "micrometres" || unit == "micrometre") return -3;
    if (unit == "millimetres" || unit == "millimetre") return 0;
    return std::nullopt;
}

struct Year {
    bool present = false;
    std::string text, suffix;
    std::size_t line = 0;
};

constexpr std::size_t kNoOpenLevel = SIZE_MAX;

struct Level {
    std::size_t depth;    // of its element
    bool series;          // measurementSeries or derivedSeries
    bool derived;
    std::string title;
    Year first, last;
    // The nearest level around it that is not a series (an index into the
    // open levels), and its entry in the kept levels once a series inside it
    // is kept.
    std::size_t outer = kNoOpenLevel;
    std::uint32_t kept = TridasReader::Levels::kNone;
};

// A finished block of ring widths, waiting for the end of its series.
struct Pending {
    std::vector<std::int32_t> rings;  // the kept widths
    std::int64_t length = 0;          // all its values
};

struct Block {
    std::size_t depth = 0;
    bool variable_attr = false;  // normalTridas given
    std::string variable_norm, variable_text;
    bool unit_attr = false;
    std::string unit_norm, unit_text;
    bool unitless = false;
    std::vector<Decimal> values;  // the first MaxYears values
    std::int64_t count = 0;       // all values
};

// The parser's state; Expat calls the handlers with it. A handler never throws
// through Expat (a C library): it records the error and stops the parser.
struct Sax {
    XML_Parser parser = nullptr;
    std::vector<std::string> stack;          // local names of the open elements
    std::vector<Level> levels;
    std::vector<Block> blocks;
    std::vector<std::vector<Pending>> done;  // per open series: its finished ring-width blocks
    std::string* capture = nullptr;          // where character data go, if anywhere
    std::size_t capture_depth = 0;
    std::vector<TridasReader::Parsed>* out = nullptr;
    TridasReader::Levels* kept_levels = nullptr;
    std::function<bool(std::int64_t)> keep;  // counts a series of n widths; false past the limits
    bool widths_dropped = false;
    std::int32_t other_variables = 0, derived = 0, undated = 0, unknown_unit = 0;
    bool root_seen = false;
    // The first error: where and what.
    bool failed = false;
    std::string where, what;

    std::size_t line() const { return static_cast<std::size_t>(XML_GetCurrentLineNumber(parser)); }

    // "series 3 (title)" for the innermost open series.
    std::string series_where() const {
        for (auto it = levels.rbegin(); it != levels.rend(); ++it)
            if (it->series)
                return "series " + std::to_string(out->size() + 1) + " (" + printable(it->title) + ")";
        return "outside any series";
    }

    void fail(std::string w, std::string message) {
        if (failed) return;
        failed = true;
        where = std::move(w);
        what = std::move(message);
        XML_StopParser(parser, XML_FALSE);
    }

    Level* innermost_series() {
        for (auto it = levels.rbegin(); it != levels.rend(); ++it)
            if (it->series) return &*it;
        return nullptr;
    }

    void start(const XML_Char* raw, const XML_Char** attrs) {
        // Text is taken from elements without child elements only: an element
        // inside a title ends its capture, so no captured string can move while
        // new levels and blocks are added.
        capture = nullptr;
        const std::string_view name = local(raw);
        stack.emplace_back(name);
        const std::size_t depth = stack.size();
        if (depth > TridasReader::kMaxNesting)
            return fail("line " + std::to_string(line()),
                        "elements are nested more than " + std::to_string(TridasReader::kMaxNesting) + " deep");
        // A <tridas> root only holds projects; any other root (a <project>,
        // or an element of the namespace) is read as the element it is.
        if (!root_seen) {
            root_seen = true;
            if (name == "tridas") return;
        }
        const bool parent_is_level = !levels.empty() && levels.back().depth == depth - 1;
        const bool parent_is_block = !blocks.empty() && blocks.back().depth == depth - 1;
        if (name == "project" || name == "object" || name == "element" || name == "sample" || name == "radius") {
            levels.push_back({depth, false, false, {}, {}, {}, outer_level(), TridasReader::Levels::kNone});
        } else if (name == "measurementSeries" || name == "derivedSeries") {
            levels.push_back({depth, true, name == "derivedSeries", {}, {}, {}, outer_level(), TridasReader::Levels::kNone});
            done.emplace_back();
        } else if (name == "title" && parent_is_level) {
            // A level kept with its former title stays so for the series kept
            // already; the series still to come get it with this title.
            levels.back().title.clear();
            levels.back().kept = TridasReader::Levels::kNone;
            begin_capture(&levels.back().title, depth);
        } else if ((name == "firstYear" || name == "lastYear") && depth >= 3 && stack[depth - 2] == "interpretation") {
            start_year(name, attrs, depth);
        } else if (name == "values" && innermost_series()) {
            Block b;
            b.depth = depth;
            blocks.push_back(std::move(b));
        } else if (parent_is_block) {
            start_in_block(blocks.back(), name, attrs, depth);
        }
    }

    // A <firstYear> or <lastYear> of the <interpretation> of a series.
    void start_year(std::string_view name, const XML_Char** attrs, std::size_t depth) {
        Level* s = innermost_series();
        if (s && s->depth == depth - 2) {
            Year& y = name == "firstYear" ? s->first : s->last;
            y = Year{true, {}, {}, line()};
            if (const XML_Char* suffix = attribute(attrs, "suffix")) y.suffix = suffix;
            begin_capture(&y.text, depth);
        }
    }

    // An element directly inside a <values> block: its variable, unit or a value.
    void start_in_block(Block& b, std::string_view name, const XML_Char** attrs, std::size_t depth) {
        if (name == "variable") {
            if (const XML_Char* n = attribute(attrs, "normalTridas")) b.variable_attr = true, b.variable_norm = n;
            b.variable_text.clear();
            begin_capture(&b.variable_text, depth);
        } else if (name == "unit") {
            if (const XML_Char* n = attribute(attrs, "normalTridas")) b.unit_attr = true, b.unit_norm = n;
            b.unit_text.clear();
            begin_capture(&b.unit_text, depth);
        } else if (name == "unitless") {
            b.unitless = true;
        } else if (name == "value") {
            start_value(b, attrs);
        }
    }

    // A <value>: its value attribute, kept among the block's first MaxYears.
    void start_value(Block& b, const XML_Char** attrs) {
        const XML_Char* v = attribute(attrs, "value");
        if (!v) return fail("line " + std::to_string(line()) + ", " + series_where(),
                            "a <value> element has no value attribute");
        auto d = parse_decimal(trim_blanks(v));
        if (!d && (!variable_known(b) || is_ring_width(b)))
            return fail("line " + std::to_string(line()) + ", " + series_where(),
                        "the value \"" + printable(v) + "\" is not a number");
        if (b.values.size() < static_cast<std::size_t>(MaxYears)) b.values.push_back(d.value_or(Decimal{}));
        ++b.count;
    }

    // The nearest open level that is not a series, for a level opened now.
    std::size_t outer_level() const {
        if (levels.empty()) return kNoOpenLevel;
        return levels.back().series ? levels.back().outer : levels.size() - 1;
    }

    void begin_capture(std::string* where_to, std::size_t depth) {
        capture = where_to;
        capture_depth = depth;
    }

    static bool variable_known(const Block& b) { return b.variable_attr || !b.variable_text.empty(); }

    static bool is_ring_width(const Block& b) {
        if (b.variable_attr) return lower(collapsed(b.variable_norm)) == "ring width";
        const std::string t = lower(collapsed(b.variable_text));
        return t == "ring width" || t == "total ring width";
    }

    void end() {
        const std::size_t depth = stack.size();
        if (capture && capture_depth == depth) capture = nullptr;
        if (!blocks.empty() && blocks.back().depth == depth) {
            end_block();
        } else if (!levels.empty() && levels.back().depth == depth) {
            if (levels.back().series) end_series();
            levels.pop_back();
        }
        stack.pop_back();
    }

    void end_block() {
        Block b = std::move(blocks.back());
        blocks.pop_back();
        if (b.count == 0) return;
        if (!is_ring_width(b)) {
            ++other_variables;
            return;
        }
        std::optional<int> unit;
        if (!b.unitless) unit = unit_exponent(b.unit_attr ? b.unit_norm : b.unit_text);
        if (!unit) ++unknown_unit;
        Pending p;
        p.length = b.count;
        if (keep(static_cast<std::int64_t>(b.values.size()))) {
            p.rings.reserve(b.values.size());
            for (const Decimal& d : b.values) {
                if (d.negative && d.mantissa != 0) {
                    p.rings.push_back(-1);
                    continue;
                }
                auto um = to_micrometres(d, unit.value_or(-2));
                if (!um) return fail(series_where(), "a value is too large for a ring width");
                p.rings.push_back(static_cast<std::int32_t>(*um));
            }
        } else {
            drop_widths();
        }
        done.back().push_back(std::move(p));
    }

    // Past the stores' limits no width will be used: only the lengths stay.
    void drop_widths() {
        if (widths_dropped) return;
        widths_dropped = true;
        for (TridasReader::Parsed& p : *out) std::vector<std::int32_t>().swap(p.rings);
        for (auto& pending : done)
            for (Pending& p : pending) std::vector<std::int32_t>().swap(p.rings);
    }

    // The kept entry of open level i and of the levels around it, added from
    // the outermost one not kept yet.
    std::uint32_t keep_level(std::size_t i) {
        std::vector<std::size_t> chain;
        for (; i != kNoOpenLevel && levels[i].kept == TridasReader::Levels::kNone; i = levels[i].outer) chain.push_back(i);
        std::uint32_t outer = i == kNoOpenLevel ? TridasReader::Levels::kNone : levels[i].kept;
        for (auto it = chain.rbegin(); it != chain.rend(); ++it)
            outer = levels[*it].kept = kept_levels->add(outer, collapsed(levels[*it].title));
        return outer;
    }

    // The calendar year of a firstYear or lastYear element.
    std::optional<std::int64_t> year_of(const Year& y) {
        const auto year = text::parse_integer(collapsed(y.text), 9);
        if (!year) {
            fail("line " + std::to_string(y.line) + ", " + series_where(),
                 "the year \"" + printable(y.text) + "\" is not a whole number");
            return std::nullopt;
        }
        const std::int64_t v = *year;
        const std::string suffix = lower(collapsed(y.suffix));
        if (suffix.empty() || suffix == "ad") return v;
        if (suffix == "bc") return 1 - v;
        if (suffix == "bp") return 1950 - v;
        fail("line " + std::to_string(y.line) + ", " + series_where(),
             "the year suffix \"" + printable(y.suffix) + "\" is not AD, BC or BP");
        return std::nullopt;
    }

    void end_series() {
        const Level& s = levels.back();
        std::vector<Pending> blocks_done = std::move(done.back());
        done.pop_back();
        // The reading loop stops at series MaxSeries + 1: later ones are not kept.
        constexpr std::size_t kMostSeries = static_cast<std::size_t>(MaxSeries) + 1;
        for (Pending& b : blocks_done) {
            TridasReader::Parsed p;
            p.title = collapsed(s.title);
            std::optional<std::int64_t> first;
            if (s.first.present) {
                first = year_of(s.first);
                if (!first) return;
            } else if (s.last.present) {
                auto last = year_of(s.last);
                if (!last) return;
                first = *last - b.length + 1;
            } else {
                first = 1;
                ++undated;
            }
            if (*first < -1000000000 || *first > 1000000000)
                return fail(series_where(), "its first year is far outside any calendar");
            if (s.derived) ++derived;
            if (out->size() == kMostSeries) continue;
            p.first_year = static_cast<std::int32_t>(*first);
            p.rings = std::move(b.rings);
            p.length = b.length;
            p.level = keep_level(s.outer);
            out->push_back(std::move(p));
        }
    }
};

extern "C" void on_start(void* data, const XML_Char* name, const XML_Char** attrs) {
    static_cast<Sax*>(data)->start(name, attrs);
}
extern "C" void on_end(void* data, const XML_Char*) { static_cast<Sax*>(data)->end(); }
extern "C" void on_text(void* data, const XML_Char* s, int len) {
    Sax* sax = static_cast<Sax*>(data);
    // A title or year runs to a few words; anything longer is cut.
    if (sax->capture && sax->capture->size() < 4096)
        sax->capture->append(s, static_cast<std::size_t>(std::min(len, 4096)));
}

// True when the XML declaration at the start of `text` names a UTF-16 encoding.
bool declares_utf16(std::string_view text) {
    if (!text.starts_with("<?xml")) return false;
    const std::string declaration = lower(text.substr(0, std::min(text.find("?>"), std::size_t{512})));
    const std::size_t at = declaration.find("encoding");
    if (at == std::string::npos) return false;
    std::size_t v = declaration.find_first_of("\"'", at);
    return v != std::string::npos && (declaration.compare(v + 1, 6, "utf-16") == 0 ||
                                      declaration.compare(v + 1, 5, "ucs-2") == 0);
}

}  // namespace

TridasReader::TridasReader(std::string content, std::string file)
    : ConvertedSource(std::move(file), "TRiDaS", "negative value", "negative values"),
      content_(std::move(content)),
      bound_(content_.size() / 16 + 1) {}

bool TridasReader::looks_like(std::string_view s) {
    const auto root = xml::root_element(s);
    if (!root) return false;
    const std::string_view name = xml::local_name(*root);
    return name == "tridas" || name == "project" || xml::has_element_in_namespace(s, "http://www.tridas.org/");
}

std::optional<int> TridasReader::unit_power(std::string_view unit) { return unit_exponent(std::string(unit)); }

void TridasReader::parse() {
    Sax sax;
    sax.out = &series_;
    sax.kept_levels = &levels_;
    sax.keep = [this](std::int64_t widths) { return keep(widths); };
    // Text converted from UTF-16 keeps its declaration (encoding="UTF-16"),
    // which no longer holds: the parser is told the text is UTF-8.
    XML_Parser parser = XML_ParserCreateNS(declares_utf16(content_) ? "UTF-8" : nullptr, kNamespaceSeparator);
    if (!parser) throw std::bad_alloc();
    sax.parser = parser;
    XML_SetUserData(parser, &sax);
    XML_SetElementHandler(parser, on_start, on_end);
    XML_SetCharacterDataHandler(parser, on_text);
    constexpr std::size_t kChunk = std::size_t{1} << 20;
    bool ok = true;
    for (std::size_t at = 0;; at += kChunk) {
        const std::size_t n = at < content_.size() ? std::min(kChunk, content_.size() - at) : 0;
        const bool last = at + n >= content_.size();
        if (XML_Parse(parser, content_.data() + at, static_cast<int>(n), last) != XML_STATUS_OK) {
            ok = false;
            break;
        }
        if (last) break;
    }
    std::string where, what;
    if (!ok && !sax.failed) {
        where = "line " + std::to_string(XML_GetCurrentLineNumber(parser)) + ", column " +
                std::to_string(XML_GetCurrentColumnNumber(parser) + 1);
        what = std::string("the XML is not well-formed: ") + XML_ErrorString(XML_GetErrorCode(parser));
    }
    XML_ParserFree(parser);
    if (sax.failed) read_error(sax.where, sax.what);
    if (!ok) read_error(where, what);
    content_ = std::string();  // the series hold everything now

    build_identifiers(series_, levels_);
    const auto same = [](std::string words) { return std::pair{words, words}; };
    const auto add = [&](std::int32_t count, std::pair<std::string, std::string> words) {
        if (count > 0) details_.push_back({count, std::move(words.first), std::move(words.second)});
    };
    add(sax.derived, {"of them a derived series", "of them derived series"});
    add(sax.undated, same("without a first or last year, placed from year 1"));
    add(sax.unknown_unit, same("unitless or in a unit not known here, read as 1/100 mm"));
    add(sax.other_variables, {"block of other variables than ring width skipped",
                              "blocks of other variables than ring width skipped"});
}

bool TridasReader::keep(std::int64_t widths) {
    const bool series = keep_series();
    return keep_widths(widths) && series;
}

std::uint32_t TridasReader::Levels::add(std::uint32_t outer, std::string_view title) {
    Node n;
    n.outer = outer;
    n.depth = static_cast<std::uint16_t>(outer == kNone ? 0 : nodes_[outer].depth + 1);
    title = title.substr(0, std::min<std::size_t>(title.size(), UINT16_MAX));
    n.title_at = titles_.size();
    n.title_size = static_cast<std::uint16_t>(title.size());
    titles_ += title;
    nodes_.push_back(n);
    return static_cast<std::uint32_t>(nodes_.size() - 1);
}

namespace {

// The titles of the levels above a series, outermost first.
std::vector<std::string_view> path_of(const TridasReader::Levels& levels, std::uint32_t level) {
    if (level == TridasReader::Levels::kNone) return {};
    std::vector<std::string_view> path(levels.depth(level) + 1);
    for (std::size_t k = path.size(); k-- > 0; level = levels.outer(level)) path[k] = levels.title(level);
    return path;
}

}  // namespace

void TridasReader::build_identifiers(std::vector<Parsed>& series, const Levels& levels) {
    std::map<std::string, std::vector<std::size_t>> by_title;
    for (std::size_t i = 0; i < series.size(); ++i) by_title[series[i].title].push_back(i);
    for (const auto& [title, members] : by_title) {
        if (members.size() == 1 && !title.empty()) {
            series[members[0]].id = title;
            continue;
        }
        std::size_t depth = 0;
        for (std::size_t i : members)
            if (series[i].level != Levels::kNone) depth = std::max(depth, levels.depth(series[i].level) + 1);
        const auto at = [](const std::vector<std::string_view>& path, std::size_t level) {
            return level < path.size() ? path[level] : std::string_view{};
        };
        const std::vector<std::string_view> first = path_of(levels, series[members[0]].level);
        std::vector<bool> differs(depth, false);
        for (std::size_t i : members) {
            const std::vector<std::string_view> path = path_of(levels, series[i].level);
            for (std::size_t level = 0; level < depth; ++level)
                differs[level] = differs[level] || at(path, level) != at(first, level);
        }
        for (std::size_t i : members) {
            const std::vector<std::string_view> path = path_of(levels, series[i].level);
            std::string id;
            for (std::size_t level = 0; level < depth && id.size() < kMaxNameLength; ++level) {
                if (!differs[level] || at(path, level).empty()) continue;
                if (!id.empty()) id += '-';
                id += at(path, level);
            }
            if (id.empty()) id = title;
            for (std::size_t level = path.size(); id.empty() && level > 0; --level) id = path[level - 1];
            series[i].id = id.substr(0, std::min(id.size(), kMaxNameLength));
        }
    }
}

bool TridasReader::next(SeriesRead& s) {
    if (!parsed_) {
        parsed_ = true;
        parse();
    }
    if (next_ == series_.size()) {
        finish(details_);
        return false;
    }
    Parsed& p = series_[next_++];
    if (over_limits()) {
        fill_unkept(s, p.id, p.first_year, p.length);
    } else {
        rings_.assign(p.rings.begin(), p.rings.end());
        for (std::int64_t& r : rings_)
            if (r < 0) r = kMissingRing;
        fill(s, p.id, p.first_year, rings_, p.length);
    }
    std::vector<std::int32_t>().swap(p.rings);
    return true;
}

}  // namespace tarnik
