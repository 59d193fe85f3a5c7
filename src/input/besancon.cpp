#include "input/besancon.h"

#include <algorithm>

#include "console/answers.h"
#include "data/limits.h"
#include "input/text_helpers.h"

namespace tarnik {
namespace {

using text::is_blank_char;
using text::is_digit;
using text::is_letter;
using text::to_lower;

// Blanks and the signature marks separate the items of a value line.
constexpr bool is_separator(char c) { return is_blank_char(c) || c == '/' || c == '*'; }

// The text without trailing full stops and colons ("NAT.:" is NAT).
std::string_view without_trailing_marks(std::string_view s) {
    while (!s.empty() && (s.back() == '.' || s.back() == ':')) s.remove_suffix(1);
    return s;
}

// The field of a header's keys that a word names.
using KeyField = std::optional<std::int64_t> BesanconReader::Keys::*;

// The key a word names: three letters or more, known by the first three in
// any case, a trailing colon or full stop allowed ("longueur:"); null for any
// other word.
KeyField key_word(std::string_view word) {
    word = without_trailing_marks(word);
    if (word.size() < 3 || !std::all_of(word.begin(), word.end(), is_letter)) return nullptr;
    const std::string first = text::lower(word.substr(0, 3));
    if (first == "lon") return &BesanconReader::Keys::lon;
    if (first == "ori") return &BesanconReader::Keys::ori;
    if (first == "ter") return &BesanconReader::Keys::ter;
    if (first == "pos") return &BesanconReader::Keys::pos;
    return nullptr;
}

// Years are written with at most 9 digits, ring counts too.
constexpr std::size_t kKeyDigits = 9;
constexpr std::int64_t kFarYear = 1000000000;

}  // namespace

BesanconReader::ValueItems::ValueItems(std::string_view line) : line_(line) {
    while (pos_ < line_.size() && is_blank_char(line_[pos_])) ++pos_;
    if (pos_ < line_.size() && line_[pos_] == '{') {
        const std::size_t close = line_.find('}', pos_);
        if (close == std::string_view::npos) bad_label_ = true;
        else pos_ = close + 1;
    }
}

bool BesanconReader::ValueItems::next(Item& item, std::string_view& text) {
    if (bad_label_) {  // a '{' without its '}'
        bad_label_ = false;
        item = Item::bad;
        text = line_.substr(pos_);
        pos_ = line_.size();
        return true;
    }
    while (pos_ < line_.size() && is_separator(line_[pos_])) ++pos_;
    if (pos_ >= line_.size()) return false;
    const std::size_t start = pos_;
    if (line_[pos_] == ',' || line_[pos_] == ';') {
        item = line_[pos_] == ',' ? Item::missing : Item::end;
        text = line_.substr(pos_++, 1);
        return true;
    }
    while (pos_ < line_.size() && !is_separator(line_[pos_]) && line_[pos_] != ',' && line_[pos_] != ';') ++pos_;
    text = line_.substr(start, pos_ - start);
    // A comma between digits would be a decimal comma, which the format does
    // not use: taken as a missing ring it would shift every later ring.
    if (pos_ + 1 < line_.size() && line_[pos_] == ',' && is_digit(line_[pos_ + 1]) && is_digit(line_[pos_ - 1])) {
        std::size_t end = pos_ + 1;
        while (end < line_.size() && is_digit(line_[end])) ++end;
        item = Item::bad;
        text = line_.substr(start, end - start);
        pos_ = end;
        return true;
    }
    const auto d = parse_decimal(text);
    item = d && !d->negative ? Item::number : Item::bad;
    if (d) number_ = *d;
    return true;
}

std::optional<std::string_view> BesanconReader::series_start(std::string_view line) {
    if (line.size() < 3 || line[0] != '.' || !is_blank_char(line[1])) return std::nullopt;
    const std::string_view name = text::trim_blanks(line.substr(1));
    if (name.empty()) return std::nullopt;
    return name;
}

bool BesanconReader::is_values_line(std::string_view line) {
    return line.size() >= 3 && to_lower(line[0]) == 'v' && to_lower(line[1]) == 'a' && to_lower(line[2]) == 'l';
}

bool BesanconReader::holds_widths(std::string_view line) {
    std::size_t word_end = 0;
    while (word_end < line.size() && is_letter(line[word_end])) ++word_end;
    std::string_view rest = line.substr(word_end);
    std::string_view what;
    if (!rest.starts_with(':')) {
        const std::size_t colon = rest.find(':');
        if (colon != std::string_view::npos) {
            what = text::trim_blanks(rest.substr(0, colon));
        } else {
            std::size_t pos = 0;
            what = text::next_field(rest, pos).value_or(std::string_view{});
        }
    }
    const std::string w = text::lower(without_trailing_marks(what));
    return w.empty() || w == "nat" || w.starts_with("val");
}

void BesanconReader::Keys::add(std::string_view line) {
    std::size_t pos = 0;
    std::optional<std::string_view> word = text::next_field(line, pos);
    while (word) {
        std::optional<std::string_view> after = text::next_field(line, pos);
        const auto key = key_word(*word);
        const auto value = after && key ? text::parse_integer(*after, kKeyDigits) : std::nullopt;
        if (value) {
            this->*key = value;
            after = text::next_field(line, pos);
        }
        word = after;
    }
}

BesanconReader::BesanconReader(std::string content, std::string file)
    : ConvertedSource(std::move(file), "Besançon", "comma", "commas"),
      TextSource(std::move(content)),
      bound_(this->content().size() / 2 + 1) {}

bool BesanconReader::looks_like(std::string_view content) {
    std::size_t pos = 0;
    std::optional<std::string_view> line;
    do line = next_text_line(content, pos);
    while (line && !series_start(*line));
    if (!line) return false;
    Keys keys;
    for (;;) {
        line = next_text_line(content, pos);
        if (!line || series_start(*line)) return false;
        if (is_values_line(*line)) break;
        keys.add(*line);
    }
    if (!keys.any()) return false;
    bool values = false;
    while ((line = next_text_line(content, pos)) && !series_start(*line)) {
        ValueItems items(*line);
        Item item;
        std::string_view text;
        while (items.next(item, text)) {
            if (item == Item::bad) return false;
            if (item == Item::end) return values;
            values = true;
        }
    }
    return false;
}

bool BesanconReader::next(SeriesRead& s) {
    for (;;) {
        Header h;
        if (!find_series_start(h)) {
            end_of_file();
            return false;
        }
        if (!read_header(h)) {
            skip_values(h);
            ++counts_.skipped;
            continue;
        }
        read_values(h);
        place(s, h);
        return true;
    }
}

bool BesanconReader::find_series_start(Header& h) {
    std::string_view line;
    while (next_line(line)) {
        if (auto name = series_start(line)) {
            h.name = text::collapse_blanks(*name);
            h.number = number_in_file();
            return true;
        }
    }
    return false;
}

bool BesanconReader::read_header(Header& h) {
    std::string_view line;
    for (;;) {
        if (!next_line(line))
            read_error(series_label(h.number, h.name), "the file ends before the VAL line that starts its values");
        if (series_start(line))
            read_error("line " + std::to_string(line_no()) + ", " + series_label(h.number, h.name),
                       "a new series begins before the VAL line that starts the values of this one", line);
        if (is_values_line(line)) return holds_widths(line);
        h.keys.add(line);
    }
}

void BesanconReader::read_values(const Header& h) {
    rings_.clear();
    count_ = 0;
    const auto add = [&](std::int64_t ring) {
        if (count_++ < MaxYears) rings_.push_back(ring);  // the rest is only counted
    };
    std::string_view line;
    for (;;) {
        if (!next_line(line)) read_error(series_label(h.number, h.name), "the file ends before the ';' that ends its values");
        const std::string where = "line " + std::to_string(line_no()) + ", " + series_label(h.number, h.name);
        if (series_start(line)) read_error(where, "a new series begins before the ';' that ends the values of this one", line);
        ValueItems items(line);
        Item item;
        std::string_view text;
        while (items.next(item, text)) {
            if (item == Item::end) return;
            if (item == Item::missing) {
                add(kMissingRing);
                continue;
            }
            if (item == Item::bad)
                read_error(where, "\"" + printable(text) + "\" is not a width, ',' (a missing ring) or ';' (the end)",
                           line);
            const auto um = to_micrometres(items.number(), -2);
            if (!um) read_error(where, "the width " + printable(text) + " is too large", line);
            add(*um);
        }
    }
}

void BesanconReader::skip_values(const Header& h) {
    std::string_view line;
    for (;;) {
        if (!next_line(line)) read_error(series_label(h.number, h.name), "the file ends before the ';' that ends its values");
        if (series_start(line))
            read_error("line " + std::to_string(line_no()) + ", " + series_label(h.number, h.name),
                       "a new series begins before the ';' that ends the values of this one", line);
        if (line.find(';') != std::string_view::npos) return;
    }
}

// A year as written (negative before our era, no year 0) in this program's
// count, where the year before 1 is 0.
std::int64_t BesanconReader::year_of(std::int64_t written, const Header& h, const char* key) {
    if (written == 0)
        read_error(series_label(h.number, h.name),
                   std::string(key) + " is 0, but the years before our era are negative and there is no year 0");
    return written < 0 ? written + 1 : written;
}

void BesanconReader::place(SeriesRead& s, const Header& h) {
    const Keys& k = h.keys;
    std::int64_t first = 1;
    if (k.ori) first = year_of(*k.ori, h, "ORI");
    else if (k.ter) first = year_of(*k.ter, h, "TER") - count_ + 1;
    else ++counts_.undated;
    if (k.ori && k.ter && year_of(*k.ter, h, "TER") != first + count_ - 1) ++ter_differs_;
    if (k.lon && *k.lon != count_) ++lon_differs_;
    if (first < -kFarYear || first > kFarYear)
        read_error(series_label(h.number, h.name),
                   "its first year " + std::to_string(first) + " is far outside any calendar");
    fill(s, h.name, static_cast<std::int32_t>(first), rings_);
    s.length = static_cast<std::int32_t>(std::min<std::int64_t>(count_, INT32_MAX));
}

void BesanconReader::end_of_file() {
    std::vector<ReadDetail> details;
    if (counts_.undated > 0) details.push_back({counts_.undated, "without dates, placed from year 1", "without dates, placed from year 1"});
    if (lon_differs_ > 0)
        details.push_back({lon_differs_, "of them with a LON other than its number of values",
                           "of them with a LON other than their number of values"});
    if (ter_differs_ > 0)
        details.push_back({ter_differs_, "of them with a TER that disagrees with ORI and its values",
                           "of them with a TER that disagrees with ORI and their values"});
    if (counts_.skipped > 0)
        details.push_back({counts_.skipped, "series of other values than ring widths (indices) skipped",
                           "series of other values than ring widths (indices) skipped"});
    finish(std::move(details));
}

}  // namespace tarnik
