#include "input/xlsx.h"

#include <algorithm>
#include <charconv>
#include <unordered_map>

#include "console/answers.h"
#include "input/text_helpers.h"
#include "input/zip_xml.h"

namespace tarnik {
namespace {

constexpr std::string_view kWorkbookPart = "xl/workbook.xml";
constexpr std::string_view kWorkbookRelationships = "xl/_rels/workbook.xml.rels";

// A relationship's target as a part name: relative to xl/, or from the
// container's root when it begins with '/'; "." and ".." resolved.
std::string resolve_target(std::string_view target) {
    std::string joined = target.starts_with('/') ? std::string(target.substr(1)) : "xl/" + std::string(target);
    std::vector<std::string_view> parts;
    std::string_view rest = joined;
    while (!rest.empty()) {
        const auto slash = rest.find('/');
        const std::string_view p = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
        if (p.empty() || p == ".") continue;
        if (p == "..") {
            if (!parts.empty()) parts.pop_back();
            continue;
        }
        parts.push_back(p);
    }
    std::string path;
    for (std::string_view p : parts) path += (path.empty() ? "" : "/") + std::string(p);
    return path;
}

bool ends_with_type(std::string_view type, std::string_view kind) {
    return type.size() > kind.size() && type.ends_with(kind) && type[type.size() - kind.size() - 1] == '/';
}

// A cell reference such as "B7": its column and row (from 1).
struct CellRef {
    std::int64_t column = 0, row = 0;
};
std::optional<CellRef> parse_reference(std::string_view ref) {
    CellRef r;
    std::size_t i = 0;
    for (; i < ref.size() && i < 4 && text::is_letter(ref[i]); ++i)
        r.column = r.column * 26 + (ref[i] & 0x1F);  // 'A' and 'a' are 1
    auto row = text::parse_integer(ref.substr(i), 8);
    if (i == 0 || !row || *row < 1 || ref[i] == '+' || ref[i] == '-') return std::nullopt;
    r.row = *row;
    return r;
}

std::optional<std::int64_t> parse_index(const char* text) {
    if (!text) return std::nullopt;
    auto v = text::parse_integer(text::trim_blanks(text), 10);
    if (!v || *v < 1) return std::nullopt;
    return v;
}

// Appends `s` to the text of one cell or string, within the limit of one cell.
bool append_limited(std::string& to, std::string_view s) {
    if (to.size() + s.size() > WorkbookSource::kMaxCellText) return false;
    to += s;
    return true;
}

}  // namespace

// The sheets of xl/workbook.xml in order: name and relationship id.
class XlsxReader::SheetList : public XmlHandler {
public:
    struct Sheet {
        std::string name, id, target;
        bool worksheet = false;
    };
    explicit SheetList(XlsxReader& r) : r_(r) {}
    void start(std::string_view name, const char** attrs) override {
        if (local_name(name) != "sheet") return;
        if (sheets.size() == kMaxSheets)
            r_.workbook_error("its sheet list", "it lists more than " + std::to_string(kMaxSheets) + " sheets");
        const char* n = attribute(attrs, "name");
        const char* id = attribute(attrs, "id");
        // Names and ids are short (a sheet's name has at most 31 characters).
        sheets.push_back({std::string(n ? n : "").substr(0, 256), std::string(id ? id : "").substr(0, 256), "", false});
    }
    void end(std::string_view) override {}
    std::vector<Sheet> sheets;

private:
    XlsxReader& r_;
};

// The relationships of the workbook part: the targets of the listed sheets
// (only those, however many the part holds) and of the shared strings.
class XlsxReader::Relationships : public XmlHandler {
public:
    explicit Relationships(std::vector<SheetList::Sheet>& sheets) : sheets_(sheets) {
        for (std::size_t i = 0; i < sheets_.size(); ++i) by_id_.emplace(sheets_[i].id, i);
    }
    void start(std::string_view name, const char** attrs) override {
        if (local_name(name) != "Relationship") return;
        const char* id = attribute(attrs, "Id");
        const char* type = attribute(attrs, "Type");
        const char* target = attribute(attrs, "Target");
        const char* mode = attribute(attrs, "TargetMode");
        if (!id || !type || !target || (mode && std::string_view(mode) == "External")) return;
        if (ends_with_type(type, "sharedStrings")) shared_strings = resolve_target(target);
        auto it = by_id_.find(id);
        if (it == by_id_.end()) return;
        SheetList::Sheet& s = sheets_[it->second];
        s.target = resolve_target(target);
        s.worksheet = ends_with_type(type, "worksheet");
    }
    void end(std::string_view) override {}
    std::string shared_strings;

private:
    std::vector<SheetList::Sheet>& sheets_;
    std::unordered_map<std::string, std::size_t> by_id_;
};

// The shared strings: each <si>'s text runs, phonetic guides left out.
class XlsxReader::SharedStrings : public XmlHandler {
public:
    explicit SharedStrings(XlsxReader& r) : r_(r) {}
    void start(std::string_view name, const char**) override {
        const std::string_view n = local_name(name);
        if (n == "si") in_si_ = true, current_.clear();
        else if (n == "rPh") ++phonetic_;
        else if (n == "t" && in_si_ && phonetic_ == 0) in_t_ = true;
    }
    void end(std::string_view name) override {
        const std::string_view n = local_name(name);
        if (n == "t") in_t_ = false;
        else if (n == "rPh") --phonetic_;
        else if (n == "si" && in_si_) {
            in_si_ = false;
            r_.strings_ += current_;
            r_.string_ends_.push_back(r_.strings_.size());
            if (r_.strings_.size() + r_.string_ends_.size() * sizeof(std::uint64_t) > kMaxSharedStrings)
                r_.workbook_error("its shared strings", "they take more than 128 MB");
        }
    }
    void text(std::string_view s) override {
        if (in_t_ && !append_limited(current_, s))
            r_.workbook_error("its shared strings", "a string is longer than 1 MB");
    }

private:
    XlsxReader& r_;
    bool in_si_ = false, in_t_ = false;
    int phonetic_ = 0;
    std::string current_;
};

// The cells of the sheet's part, handed to the table as they come.
class XlsxReader::SheetCells : public XmlHandler {
public:
    explicit SheetCells(XlsxReader& r) : r_(r) {}
    void start(std::string_view name, const char** attrs) override {
        const std::string_view n = local_name(name);
        if (n == "sheetData") in_data_ = true;
        else if (!in_data_) return;
        else if (n == "row") start_row(attrs);
        else if (n == "c") start_cell(attrs);
        else if (!in_cell_) return;
        else if (n == "v") in_v_ = true, has_v_ = true;
        else if (n == "f") has_f_ = true;
        else if (n == "rPh") ++phonetic_;
        else if (n == "t" && phonetic_ == 0) in_t_ = true;
    }
    void end(std::string_view name) override {
        const std::string_view n = local_name(name);
        if (n == "sheetData") done = true;
        else if (n == "c" && in_cell_) end_cell();
        else if (n == "v") in_v_ = false;
        else if (n == "t") in_t_ = false;
        else if (n == "rPh") --phonetic_;
    }
    void text(std::string_view s) override {
        if ((in_v_ || in_t_) && !append_limited(text_, s)) r_.cell_error(row_, column_, "the cell holds more than 1 MB of text");
    }

private:
    void start_row(const char** attrs) {
        const auto r = parse_index(attribute(attrs, "r"));
        if (attribute(attrs, "r") && !r) r_.workbook_error("its sheet's rows", "a row's number is not a number");
        const std::int64_t row = r ? *r : row_ + 1;
        if (row <= row_) r_.cell_error(row, 1, "the rows of the sheet are not in order");
        row_ = row;
        column_ = 0;
    }
    void start_cell(const char** attrs) {
        std::int64_t column = column_ + 1;
        if (const char* ref = attribute(attrs, "r")) {
            const auto c = parse_reference(ref);
            if (!c) r_.cell_error(row_, column, "the cell's reference \"" + printable(ref) + "\" names no cell");
            if (c->row != row_) r_.cell_error(row_, column, "the cell " + printable(ref) + " stands in another row");
            column = c->column;
        }
        if (column <= column_) r_.cell_error(row_, column, "the cells of the row are not in order");
        column_ = column;
        const char* t = attribute(attrs, "t");
        type_ = t ? t : "n";
        in_cell_ = true;
        has_v_ = has_f_ = in_v_ = in_t_ = false;
        phonetic_ = 0;
        text_.clear();
    }
    void end_cell();

    XlsxReader& r_;
    bool in_data_ = false, in_cell_ = false, in_v_ = false, in_t_ = false, has_v_ = false, has_f_ = false;
    int phonetic_ = 0;
    std::int64_t row_ = 0, column_ = 0;
    std::string type_, text_;
};

void XlsxReader::SheetCells::end_cell() {
    in_cell_ = false;
    SheetCell c;
    if (type_ == "n" || type_.empty()) {
        if (!has_v_) {
            if (has_f_) r_.cell_error(row_, column_, "the cell holds a formula whose value was not saved");
            return;
        }
        const std::string_view v = text::trim_blanks(text_);
        double number = 0;
        const auto res = std::from_chars(v.data(), v.data() + v.size(), number);
        if (res.ec != std::errc() || res.ptr != v.data() + v.size())
            r_.cell_error(row_, column_, "the cell's number \"" + printable(v) + "\" cannot be read");
        c.kind = SheetCell::Kind::number;
        c.number = number;
    } else if (type_ == "s") {
        const auto i = text::parse_integer(text::trim_blanks(text_), 10);
        if (!i || *i < 0 || static_cast<std::uint64_t>(*i) >= r_.string_ends_.size())
            r_.cell_error(row_, column_, "the cell refers to a shared string the workbook does not hold");
        const auto k = static_cast<std::size_t>(*i);
        const std::uint64_t from = k == 0 ? 0 : r_.string_ends_[k - 1];
        c.kind = SheetCell::Kind::text;
        c.text = std::string_view(r_.strings_).substr(from, r_.string_ends_[k] - from);
    } else if (type_ == "inlineStr" || type_ == "str") {
        c.kind = SheetCell::Kind::text;
        c.text = text_;
    } else if (type_ == "e") {
        text_ = std::string(text::trim_blanks(text_));
        if (text_ != "#N/A") text_ = "the error " + printable(text_);
        c.kind = SheetCell::Kind::other;
        c.text = text_;
    } else {
        text_ = type_ == "b" ? "a logical value" : type_ == "d" ? "a date" : "a value of the type \"" + printable(type_) + "\"";
        c.kind = SheetCell::Kind::other;
        c.text = text_;
    }
    r_.cell(row_, column_, c);
}

XlsxReader::XlsxReader(std::string content, std::string file)
    : WorkbookSource(std::move(file), "Excel", "workbook"), content_(std::move(content)) {}

XlsxReader::~XlsxReader() = default;

bool XlsxReader::looks_like(std::string_view content) {
    if (!ZipArchive::has_signature(content)) return false;
    std::string problem;
    const auto zip = ZipArchive::open(content, problem);
    // A damaged archive is still a workbook when a local header names the part.
    return zip ? zip->find(kWorkbookPart).has_value() : content.find(kWorkbookPart) != std::string_view::npos;
}

void XlsxReader::parse_part(const ZipArchive& zip, const std::string& name, XmlHandler& handler, bool needed) {
    const auto index = zip.find(name);
    if (!index) {
        if (needed) workbook_error("its ZIP container", "it holds no part " + printable(name));
        return;
    }
    if (auto problem = zip.parse(*index, handler)) {
        if (problem->encrypted) encrypted();
        workbook_error("its ZIP container", problem->what);
    }
}

void XlsxReader::read_table() {
    std::string problem;
    const auto zip = ZipArchive::open(content_, problem);
    if (!zip) workbook_error("its ZIP container", "the ZIP archive cannot be opened: " + problem);
    SheetList list(*this);
    parse_part(*zip, std::string(kWorkbookPart), list, true);
    Relationships relationships(list.sheets);
    parse_part(*zip, std::string(kWorkbookRelationships), relationships, !list.sheets.empty());
    auto first = std::find_if(list.sheets.begin(), list.sheets.end(), [](const auto& s) { return s.worksheet; });
    if (first == list.sheets.end()) no_worksheet();
    set_sheet(first->name);
    set_other_sheets(static_cast<std::int32_t>(list.sheets.size() - 1));
    if (!relationships.shared_strings.empty()) {
        SharedStrings strings(*this);
        parse_part(*zip, relationships.shared_strings, strings, true);
    }
    SheetCells cells(*this);
    parse_part(*zip, first->target, cells, true);
    end_sheet();
    content_ = {};
}

}  // namespace tarnik
