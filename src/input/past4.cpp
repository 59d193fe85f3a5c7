#include "input/past4.h"

#include <expat.h>

#include <algorithm>
#include <new>
#include <optional>

#include "console/answers.h"
#include "data/limits.h"
#include "input/heidelberg.h"
#include "input/text_helpers.h"
#include "input/tridas.h"
#include "input/xml_markup.h"

namespace tarnik {

using text::trim_blanks;

namespace {

// The most of one line kept: more than any value or unit takes.
constexpr std::size_t kLineCap = 256;

const XML_Char* attribute(const XML_Char** attrs, std::string_view name) {
    for (const XML_Char** a = attrs; *a; a += 2)
        if (name == a[0]) return a[1];
    return nullptr;
}

// A value as written: a decimal point, or a decimal comma where there is no point.
std::optional<Decimal> value_of(std::string_view field) {
    if (field.find(',') != std::string_view::npos && field.find('.') == std::string_view::npos)
        return parse_decimal(field, ',');
    return parse_decimal(field);
}

// The power of ten in millimetres of a unit named in a HEADER; nothing for a
// unit neither the Heidelberg nor the TRiDaS reader knows.
std::optional<int> unit_exponent(std::string_view unit) {
    if (auto e = HeidelbergReader::unit_power(unit)) return e;
    return TridasReader::unit_power(unit);
}

}  // namespace

struct Past4Reader::Parse {
    enum class Text { none, header, data };

    // One RECORD as parsed.
    struct Record {
        std::int32_t number = 0;              // in the file, from 1
        std::size_t line = 0;                 // of its start tag
        std::string name;                     // Keycode
        std::optional<std::int64_t> length;   // Length
        std::optional<std::int64_t> first_year;  // Offset
        bool mean = false;
        std::optional<std::string> unit;      // of the last Unit= line of its HEADER
        std::int64_t lines = 0;               // value lines of its DATA
        std::vector<Decimal> values;          // the first MaxYears of them
    };

    XML_Parser parser;
    std::size_t depth = 0;             // of the element being read
    std::size_t record_depth = 0;      // of the open RECORD; 0 outside one
    Text text = Text::none;            // the element whose text is read
    std::size_t text_depth = 0;
    Record record;
    bool ready = false;                // `record` is complete
    std::int32_t records = 0;
    // The line of text being collected: its first kLineCap characters, the
    // number of the line it starts on, and whether anything but blanks is in it.
    std::string line;
    std::size_t line_no = 0;
    bool line_open = false, line_nonblank = false;
    // The first error: where and what.
    bool failed = false;
    std::string where, what, failed_line;

    // A parser whose handlers feed this parse; std::bad_alloc when none can be made.
    Parse();
    ~Parse() {
        if (parser) XML_ParserFree(parser);
    }
    Parse(const Parse&) = delete;
    Parse& operator=(const Parse&) = delete;

    std::size_t current_line() const { return static_cast<std::size_t>(XML_GetCurrentLineNumber(parser)); }

    std::string record_where(std::size_t at) const {
        return "line " + std::to_string(at) + ", series " + std::to_string(record.number) + " (" +
               printable(record.name) + ")";
    }

    void fail(std::string w, std::string message, std::string_view text = {}) {
        if (failed) return;
        failed = true;
        where = std::move(w);
        what = std::move(message);
        failed_line = std::string(text);
        XML_StopParser(parser, XML_FALSE);
    }

    std::optional<std::int64_t> integer_attribute(const XML_Char** attrs, const char* name) {
        const XML_Char* v = attribute(attrs, name);
        if (!v) return std::nullopt;
        const auto n = text::parse_integer(trim_blanks(v), 9);
        if (!n) fail(record_where(record.line), std::string("its ") + name + " \"" + printable(v) +
                                                    "\" is not a whole number");
        return n;
    }

    void start(const XML_Char* name, const XML_Char** attrs) {
        ++depth;
        const std::string_view n(name);
        if (n == "RECORD") {
            if (record_depth != 0) return fail(record_where(current_line()), "a RECORD inside a RECORD");
            record = Record{};
            record.number = ++records;
            record.line = current_line();
            record_depth = depth;
            if (const XML_Char* key = attribute(attrs, "Keycode")) record.name = key;
            record.length = integer_attribute(attrs, "Length");
            record.first_year = integer_attribute(attrs, "Offset");
            if (record.length && *record.length < 0)
                fail(record_where(record.line), "its Length is negative");
            if (record.first_year && (*record.first_year < -1000000000 || *record.first_year > 1000000000))
                fail(record_where(record.line), "its Offset is far outside any calendar");
            if (const XML_Char* mean = attribute(attrs, "IsMeanValue")) {
                const std::string m = text::lower(trim_blanks(mean));
                record.mean = !(m.empty() || m == "0" || m == "false");
            }
        } else if (record_depth != 0 && depth == record_depth + 1 && (n == "HEADER" || n == "DATA")) {
            text = n == "HEADER" ? Text::header : Text::data;
            text_depth = depth;
        }
    }

    void end() {
        if (text != Text::none && depth == text_depth) {
            end_line();
            text = Text::none;
        } else if (record_depth != 0 && depth == record_depth) {
            record_depth = 0;
            end_record();
        }
        --depth;
    }

    void on_text(std::string_view s) {
        // Text inside an element of the DATA or HEADER is not theirs.
        if (text == Text::none || depth != text_depth) return;
        std::size_t at = current_line();
        for (char c : s) {
            if (c == '\n') {
                end_line();
                ++at;
                continue;
            }
            if (!line_open) {
                line_open = true;
                line_no = at;
            }
            if (line.size() < kLineCap) line += c;
            if (!text::is_space(c)) line_nonblank = true;
        }
    }

    void end_line() {
        if (line_open && line_nonblank) {
            if (text == Text::data) value_line();
            else header_line();
        }
        line.clear();
        line_open = line_nonblank = false;
    }

    void value_line() {
        ++record.lines;
        const std::size_t tab = line.find('\t');
        if (tab == std::string::npos && line.size() == kLineCap)
            return fail(record_where(line_no), "the first field is longer than any value", line);
        const std::string_view field = trim_blanks(std::string_view(line).substr(0, tab));
        const auto v = value_of(field);
        if (!v)
            return fail(record_where(line_no),
                        field.empty() ? "a line has no value in its first field"
                                      : "the value \"" + printable(field) + "\" is not a number",
                        line);
        if (record.values.size() < static_cast<std::size_t>(MaxYears)) record.values.push_back(*v);
    }

    void header_line() {
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos) return;
        if (text::lower(trim_blanks(std::string_view(line).substr(0, eq))) == "unit")
            record.unit = std::string(trim_blanks(std::string_view(line).substr(eq + 1)));
    }

    void end_record() {
        if (record.length && *record.length != record.lines)
            return fail(record_where(record.line), "its Length is " + std::to_string(*record.length) +
                                                       " but its DATA hold " + std::to_string(record.lines) +
                                                       " value lines");
        ready = true;
        XML_StopParser(parser, XML_TRUE);  // resumed once the record is handed out
    }
};

namespace {

extern "C" void on_past4_start(void* data, const XML_Char* name, const XML_Char** attrs) {
    static_cast<Past4Reader::Parse*>(data)->start(name, attrs);
}
extern "C" void on_past4_end(void* data, const XML_Char*) { static_cast<Past4Reader::Parse*>(data)->end(); }
extern "C" void on_past4_text(void* data, const XML_Char* s, int len) {
    static_cast<Past4Reader::Parse*>(data)->on_text(std::string_view(s, static_cast<std::size_t>(len)));
}

}  // namespace

Past4Reader::Parse::Parse() : parser(XML_ParserCreate(nullptr)) {
    if (!parser) throw std::bad_alloc();
    XML_SetUserData(parser, this);
    XML_SetElementHandler(parser, on_past4_start, on_past4_end);
    XML_SetCharacterDataHandler(parser, on_past4_text);
}

Past4Reader::Past4Reader(std::string content, std::string file)
    : ConvertedSource(std::move(file), "PAST4", "negative value", "negative values", "project"),
      content_(std::move(content)),
      bound_(content_.size() / 2 + 1),
      parse_(std::make_unique<Parse>()) {}

Past4Reader::~Past4Reader() = default;

bool Past4Reader::looks_like(std::string_view content) {
    const auto root = xml::root_element(content);
    return root && *root == "PAST_4_PROJECT_FILE";
}

void Past4Reader::advance() {
    Parse& p = *parse_;
    XML_Status status;
    if (suspended_) {
        status = XML_ResumeParser(p.parser);
    } else {
        constexpr std::size_t kChunk = std::size_t{1} << 20;
        const std::size_t n = std::min(kChunk, content_.size() - fed_);
        const bool last = fed_ + n == content_.size();
        status = XML_Parse(p.parser, content_.data() + fed_, static_cast<int>(n), last);
        fed_ += n;
    }
    suspended_ = status == XML_STATUS_SUSPENDED;
    if (p.failed) read_error(p.where, p.what, p.failed_line.empty() ? std::nullopt : std::optional{p.failed_line});
    if (status == XML_STATUS_ERROR)
        read_error("line " + std::to_string(XML_GetCurrentLineNumber(p.parser)) + ", column " +
                       std::to_string(XML_GetCurrentColumnNumber(p.parser) + 1),
                   std::string("the XML is not well-formed: ") + XML_ErrorString(XML_GetErrorCode(p.parser)));
    if (status == XML_STATUS_OK && fed_ == content_.size()) {
        XML_ParsingStatus ps;
        XML_GetParsingStatus(p.parser, &ps);
        if (ps.parsing == XML_FINISHED) {
            done_ = true;
            content_ = std::string();
        }
    }
}

bool Past4Reader::next(SeriesRead& s) {
    Parse& p = *parse_;
    while (!p.ready) {
        if (done_) {
            std::vector<ReadDetail> details;
            if (counts_.mean_curves > 0) details.push_back({counts_.mean_curves, "of them a mean curve", "of them mean curves"});
            if (counts_.undated > 0)
                details.push_back({counts_.undated, "without an Offset, placed from year 1",
                                   "without an Offset, placed from year 1"});
            if (unknown_unit_ > 0)
                details.push_back({unknown_unit_, "in a unit not known here, read as 1/100 mm",
                                   "in a unit not known here, read as 1/100 mm"});
            finish(std::move(details));
            return false;
        }
        advance();
    }
    p.ready = false;
    Parse::Record& r = p.record;
    std::optional<int> unit = r.unit ? unit_exponent(*r.unit) : -2;
    if (!unit) ++unknown_unit_;
    if (!r.first_year) ++counts_.undated;
    if (r.mean) ++counts_.mean_curves;
    const auto first = static_cast<std::int32_t>(r.first_year.value_or(1));
    if (r.lines > MaxYears) {
        fill_unkept(s, r.name, first, r.lines);
        return true;
    }
    rings_.clear();
    for (const Decimal& d : r.values) {
        if (d.negative && d.mantissa != 0) {
            rings_.push_back(kMissingRing);
            continue;
        }
        const auto um = to_micrometres(d, unit.value_or(-2));
        if (!um) read_error(p.record_where(r.line), "a value is too large for a ring width");
        rings_.push_back(*um);
    }
    fill(s, r.name, first, rings_);
    return true;
}

}  // namespace tarnik
