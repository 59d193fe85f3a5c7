#include "input/ods.h"

#include <algorithm>
#include <charconv>

#include "console/answers.h"
#include "input/text_helpers.h"
#include "input/zip_xml.h"

namespace tarnik {
namespace {

constexpr std::string_view kMimeType = "application/vnd.oasis.opendocument.spreadsheet";
constexpr std::string_view kOffice = "urn:oasis:names:tc:opendocument:xmlns:office:1.0|";
constexpr std::string_view kTable = "urn:oasis:names:tc:opendocument:xmlns:table:1.0|";
constexpr std::string_view kText = "urn:oasis:names:tc:opendocument:xmlns:text:1.0|";

// The name `name` in the namespace `ns` ("uri|local").
bool is(std::string_view name, std::string_view ns, std::string_view local) {
    return name.size() == ns.size() + local.size() && name.starts_with(ns) && name.ends_with(local);
}

// The value of the attribute `local` of the namespace `ns`; null without one.
const char* attribute_in(const char** attrs, std::string_view ns, std::string_view local) {
    for (const char** a = attrs; *a; a += 2)
        if (is(*a, ns, local)) return a[1];
    return nullptr;
}

// A repeat count: 1 without the attribute; no value when it is not a count.
std::optional<std::int64_t> repeat_count(const char** attrs, std::string_view local) {
    const char* r = attribute_in(attrs, kTable, local);
    if (!r) return 1;
    auto n = text::parse_integer(text::trim_blanks(r), 12);
    if (!n || *n < 1) return std::nullopt;
    return n;
}

}  // namespace

// META-INF/manifest.xml: whether any entry carries encryption data.
class OdsReader::Manifest : public XmlHandler {
public:
    void start(std::string_view name, const char**) override {
        if (local_name(name) == "encryption-data") encrypted = done = true;
    }
    void end(std::string_view) override {}
    bool encrypted = false;
};

// content.xml: the tables of the spreadsheet; the first one's cells go to the
// table as they come, the others are only counted.
class OdsReader::Content : public XmlHandler {
public:
    explicit Content(OdsReader& r) : r_(r) {}
    void start(std::string_view name, const char** attrs) override;
    void end(std::string_view name) override;
    void text(std::string_view s) override {
        if (in_cell_ && paragraph_ > 0 && annotation_ == 0) add_text(s);
    }
    std::int64_t tables = 0;

private:
    // The first non-empty cell of a repeated row, which its repetition gives again.
    struct FirstCell {
        std::int64_t column = 0;
        SheetCell cell;
        std::string text;
    };
    void add_text(std::string_view s) {
        if (text_.size() + s.size() > WorkbookSource::kMaxCellText)
            r_.cell_error(row_, column_, "the cell holds more than 1 MB of text");
        text_ += s;
    }
    void start_row(const char** attrs);
    void start_cell(const char** attrs);
    void end_cell();
    void end_row();

    OdsReader& r_;
    int spreadsheet_ = 0;       // inside office:spreadsheet
    int table_depth_ = 0;       // element depth inside the first table (0: outside it)
    int nested_ = 0;            // depth inside a cell's own content
    bool in_cell_ = false;
    int paragraph_ = 0, annotation_ = 0;
    std::int64_t row_ = 0;      // the row being read, counted from 1 (repeated rows counted)
    std::int64_t row_repeat_ = 1;
    std::int64_t column_ = 0;   // the next cell's column, from 1
    std::int64_t cell_repeat_ = 1;
    SheetCell cell_;
    std::string text_, value_;
    bool row_has_cell_ = false;
    FirstCell first_;
};

void OdsReader::Content::start(std::string_view name, const char** attrs) {
    if (is(name, kOffice, "spreadsheet")) {
        ++spreadsheet_;
        return;
    }
    if (spreadsheet_ == 0) return;
    if (table_depth_ == 0) {
        if (is(name, kTable, "table") && nested_ == 0) {
            if (++tables == 1) {
                const char* n = attribute_in(attrs, kTable, "name");
                r_.set_sheet(std::string(n ? n : "").substr(0, 256));
                table_depth_ = 1;
            } else {
                ++nested_;  // a later table: nothing in it is read
            }
        } else if (nested_ > 0) {
            ++nested_;
        }
        return;
    }
    ++table_depth_;
    if (in_cell_) {
        ++nested_;
        if (is(name, kOffice, "annotation")) ++annotation_;
        else if (is(name, kText, "p") || is(name, kText, "h")) {
            if (annotation_ == 0 && paragraph_++ == 0 && !text_.empty()) add_text(" ");
        } else if (paragraph_ > 0 && annotation_ == 0) {
            if (is(name, kText, "s")) {
                const char* c = attribute_in(attrs, kText, "c");
                const auto n = c ? text::parse_integer(c, 6) : std::optional<std::int64_t>(1);
                add_text(std::string(static_cast<std::size_t>(n && *n > 0 ? *n : 1), ' '));
            } else if (is(name, kText, "tab") || is(name, kText, "line-break")) {
                add_text(" ");
            }
        }
        return;
    }
    if (is(name, kTable, "table-row")) start_row(attrs);
    else if (is(name, kTable, "table-cell") || is(name, kTable, "covered-table-cell")) start_cell(attrs);
    else if (is(name, kTable, "table")) r_.cell_error(row_ + 1, 1, "the sheet holds a table inside its table");
}

void OdsReader::Content::end(std::string_view name) {
    if (is(name, kOffice, "spreadsheet")) {
        --spreadsheet_;
        return;
    }
    if (table_depth_ == 0) {
        if (nested_ > 0) --nested_;
        return;
    }
    if (--table_depth_ == 0) return;  // the end of the first table
    if (in_cell_ && nested_ > 0) {
        --nested_;
        if (is(name, kOffice, "annotation")) --annotation_;
        else if ((is(name, kText, "p") || is(name, kText, "h")) && annotation_ == 0) --paragraph_;
        return;
    }
    if (in_cell_ && (is(name, kTable, "table-cell") || is(name, kTable, "covered-table-cell"))) end_cell();
    else if (is(name, kTable, "table-row")) end_row();
}

void OdsReader::Content::start_row(const char** attrs) {
    const auto n = repeat_count(attrs, "number-rows-repeated");
    ++row_;
    if (!n) r_.cell_error(row_, 1, "the row's repeat count is not a number");
    row_repeat_ = *n;
    column_ = 1;
    row_has_cell_ = false;
}

void OdsReader::Content::start_cell(const char** attrs) {
    const auto n = repeat_count(attrs, "number-columns-repeated");
    if (!n) r_.cell_error(row_, column_, "the cell's repeat count is not a number");
    cell_repeat_ = *n;
    in_cell_ = true;
    nested_ = paragraph_ = annotation_ = 0;
    text_.clear();
    cell_ = SheetCell{};
    const char* type = attribute_in(attrs, kOffice, "value-type");
    const std::string_view t = type ? type : "";
    if (t == "float" || t == "percentage" || t == "currency") {
        const char* v = attribute_in(attrs, kOffice, "value");
        const std::string_view s = v ? text::trim_blanks(v) : "";
        double number = 0;
        const auto res = std::from_chars(s.data(), s.data() + s.size(), number);
        if (s.empty() || res.ec != std::errc() || res.ptr != s.data() + s.size())
            r_.cell_error(row_, column_, "the cell's number \"" + printable(s) + "\" cannot be read");
        cell_.kind = SheetCell::Kind::number;
        cell_.number = number;
    } else if (t == "string") {
        cell_.kind = SheetCell::Kind::text;
        if (const char* v = attribute_in(attrs, kOffice, "string-value")) add_text(v);
    } else if (!t.empty()) {
        cell_.kind = SheetCell::Kind::other;
        value_ = t == "boolean" ? "a logical value" : t == "date" ? "a date" : t == "time" ? "a time"
                                                                          : "a value of the type \"" + printable(t) + "\"";
    }
}

void OdsReader::Content::end_cell() {
    in_cell_ = false;
    if (cell_.kind == SheetCell::Kind::text) cell_.text = text_;
    if (cell_.kind == SheetCell::Kind::other) cell_.text = value_;
    const bool empty = cell_.kind == SheetCell::Kind::empty ||
                       (cell_.kind == SheetCell::Kind::text && text::trim_blanks(text_).empty());
    if (!empty) {
        // Repeated cells are that many cells; past the last column a sheet can
        // have, the table reader stops the run at the first of them.
        const std::int64_t last = std::min(column_ + cell_repeat_, WorkbookSource::kMaxColumns + 2);
        for (std::int64_t c = column_; c < last; ++c) r_.cell(row_, c, cell_);
        if (!row_has_cell_ && row_repeat_ > 1) first_ = {column_, cell_, cell_.kind == SheetCell::Kind::other ? value_ : text_};
        row_has_cell_ = true;
    }
    column_ = std::min(column_ + cell_repeat_, WorkbookSource::kMaxColumns + 2);
}

void OdsReader::Content::end_row() {
    if (row_has_cell_ && row_repeat_ > 1) {
        // The row given again: its first cell opens a row of the same year, or
        // one without a year, and so ends the run with the table's message.
        SheetCell c = first_.cell;
        c.text = first_.text;
        r_.cell(row_ + 1, first_.column, c);
    }
    row_ = std::min(row_ + row_repeat_ - 1, WorkbookSource::kMaxRows + 2);
    row_repeat_ = 1;
}

OdsReader::OdsReader(std::string content, std::string file)
    : WorkbookSource(std::move(file), "OpenDocument", "spreadsheet"), content_(std::move(content)) {}

bool OdsReader::looks_like(std::string_view content) {
    if (!ZipArchive::has_signature(content)) return false;
    std::string problem;
    const auto zip = ZipArchive::open(content, problem);
    if (!zip) {
        // A damaged archive is still a spreadsheet when it begins as the
        // format demands: an uncompressed mimetype part first.
        return content.size() > 30 && content.substr(30).starts_with(std::string("mimetype") + std::string(kMimeType));
    }
    const auto index = zip->find("mimetype");
    if (!index) return false;
    const auto type = zip->read_small(*index, kMimeType.size() + 2);
    return type && text::trim_blanks(*type) == kMimeType;
}

void OdsReader::read_table() {
    std::string problem;
    const auto zip = ZipArchive::open(content_, problem);
    if (!zip) workbook_error("its ZIP container", "the ZIP archive cannot be opened: " + problem);
    if (const auto manifest = zip->find("META-INF/manifest.xml")) {
        Manifest m;
        if (auto p = zip->parse(*manifest, m); p && p->encrypted) encrypted();
        if (m.encrypted) encrypted();
    }
    const auto content = zip->find("content.xml");
    if (!content) workbook_error("its ZIP container", "it holds no part content.xml");
    Content cells(*this);
    if (auto p = zip->parse(*content, cells)) {
        if (p->encrypted) encrypted();
        workbook_error("its ZIP container", p->what);
    }
    if (cells.tables == 0) no_worksheet();
    set_other_sheets(static_cast<std::int32_t>(std::min<std::int64_t>(cells.tables - 1, INT32_MAX)));
    end_sheet();
    content_ = {};
}

}  // namespace tarnik
