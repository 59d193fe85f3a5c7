#include "input/sheffield.h"

#include <algorithm>
#include <filesystem>

#include "console/answers.h"
#include "input/text_helpers.h"

namespace tarnik {
namespace {

using text::trim_blanks;

constexpr std::size_t kHeaderLines = 22;

struct Header {
    std::int64_t count = 0;
    bool relative = false;
    std::int64_t year_field = 0;  // the year + 10000
    char type = 'R';
    char data_type = 'D';
};

// Why the header cannot be read: the line at fault (its number, its text) and the reason.
struct HeaderProblem {
    std::size_t line_no = 0;
    std::string_view line;
    std::string what;
};

std::optional<char> one_letter(std::string_view field) {
    field = trim_blanks(field);
    if (field.size() != 1 || !text::is_letter(field[0])) return std::nullopt;
    return static_cast<char>(field[0] & ~0x20);  // upper case
}

// The 22 header lines from `at` on; `at` ends after the last of them.
bool read_header(std::string_view content, LineCursor& at, Header& h, HeaderProblem& problem) {
    for (std::size_t field = 1; field <= kHeaderLines; ++field) {
        const auto line = at.next(content);
        if (!line) {
            problem = {at.line_no, {}, "the file ends inside the " + std::to_string(kHeaderLines) +
                                           " lines of its header, after line " + std::to_string(at.line_no)};
            return false;
        }
        const std::string_view f = trim_blanks(*line);
        std::optional<std::int64_t> number;
        std::optional<char> letter;
        switch (field) {
            case 2:
                if (!(number = text::parse_integer(f, 9)) || *number < 0) {
                    problem = {at.line_no, *line, "the ring count (line 2) is not a whole number"};
                    return false;
                }
                h.count = *number;
                break;
            case 3:
                if (f.size() != 1 || (text::to_lower(f[0]) != 'a' && text::to_lower(f[0]) != 'r')) {
                    problem = {at.line_no, *line, "the dating (line 3) is not A (absolute) or R (relative)"};
                    return false;
                }
                h.relative = text::to_lower(f[0]) == 'r';
                break;
            case 4:
                if (!(number = text::parse_integer(f, 6))) {
                    problem = {at.line_no, *line, "the first year plus 10000 (line 4) is not a whole number"};
                    return false;
                }
                h.year_field = *number;
                break;
            case 5:
            case kHeaderLines:
                if (!(letter = one_letter(f))) {
                    problem = {at.line_no, *line,
                               field == 5 ? "the type (line 5) is not one letter" : "the data type (line 22) is not one letter"};
                    return false;
                }
                (field == 5 ? h.type : h.data_type) = *letter;
                break;
            default:
                break;  // title and metadata: any text
        }
    }
    return true;
}

bool is_mean_curve(char type) { return std::string_view("WXTCM").find(type) != std::string_view::npos; }

// The series' name: the file's name without its extension, control characters as blanks.
std::string name_of(const std::string& path) {
    std::string name = std::filesystem::path(path).stem().string();
    for (char& c : name)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
    return name;
}

}  // namespace

SheffieldReader::SheffieldReader(std::string content, std::string file)
    : ConvertedSource(std::move(file), "Sheffield", "negative value", "negative values"),
      TextSource(std::move(content)),
      bound_(this->content().size() / 2 + 1) {}

bool SheffieldReader::looks_like(std::string_view content) {
    LineCursor at;
    Header h;
    HeaderProblem problem;
    if (!read_header(content, at, h, problem)) return false;
    if (h.data_type != 'D' || h.count == 0) return true;
    const auto first_value = at.next(content);
    return first_value && text::parse_integer(trim_blanks(*first_value), 9).has_value();
}

bool SheffieldReader::next(SeriesRead& s) {
    if (done_) return false;
    done_ = true;
    LineCursor at = mark();
    Header h;
    HeaderProblem problem;
    if (!read_header(content(), at, h, problem)) {
        if (problem.line.empty()) read_error("its header", problem.what);
        read_error("line " + std::to_string(problem.line_no), problem.what, problem.line);
    }
    back_to(at);
    std::vector<ReadDetail> details;
    if (h.data_type != 'D') {
        details.push_back({1, "series of other data than ring widths skipped",
                           "series of other data than ring widths skipped"});
        finish(std::move(details));  // ends the run: the file's one series is skipped
        return false;
    }
    const std::string name = name_of(file());
    read_values(h.count, series_label(1, name));
    // What follows the values (the counts and signatures of a mean curve) is not read.
    release_content();
    if (is_mean_curve(h.type)) details.push_back({1, "of them a mean curve", "of them mean curves"});
    if (h.relative) details.push_back({1, "relatively dated", "relatively dated"});
    fill(s, name, static_cast<std::int32_t>(h.year_field - 10000), rings_);
    finish(std::move(details));
    return true;
}

void SheffieldReader::read_values(std::int64_t count, const std::string& label) {
    rings_.clear();
    rings_.reserve(static_cast<std::size_t>(std::min<std::int64_t>(count, static_cast<std::int64_t>(bound_))));
    std::string_view line;
    for (std::int64_t k = 0; k < count; ++k) {
        if (!next_line(line))
            read_error(label, "the file ends after " + std::to_string(k) + " of its " + std::to_string(count) + " values");
        const std::string_view field = trim_blanks(line);
        const auto v = text::parse_integer(field, 9);
        if (!v)
            read_error("line " + std::to_string(line_no()) + ", " + label,
                       "\"" + printable(field) + "\" is not a whole number", line);
        if (*v * 10 > kMaxMicrometres)
            read_error("line " + std::to_string(line_no()) + ", " + label, "the width " + std::to_string(*v) + " is too large");
        rings_.push_back(*v < 0 ? kMissingRing : *v * 10);
    }
}

}  // namespace tarnik
