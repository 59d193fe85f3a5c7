#include "input/heidelberg.h"

#include <algorithm>
#include <map>

#include "console/answers.h"
#include "input/text_helpers.h"

namespace tarnik {
namespace {

using text::is_digit;
using text::is_letter;
using text::squeezed_lower;
using text::trim_blanks;

// Numbers per tuple of a data kind; 0 for a kind this reader does not know.
int tuple_size(const std::string& kind) {
    if (kind == "tree" || kind == "single") return 1;
    if (kind == "halfchrono" || kind == "double") return 2;
    if (kind == "chrono" || kind == "quad" || kind == "quadro") return 4;
    return 0;
}

// The unit's power of ten in millimetres; nothing for a unit not known here.
std::optional<int> unit_exponent(const std::string& unit) {
    if (unit.empty() || unit == "1/100mm" || unit == "0.01mm") return -2;
    if (unit == "1/1000mm" || unit == "0.001mm") return -3;
    if (unit == "1/10mm" || unit == "0.1mm") return -1;
    if (unit == "mm") return 0;
    return std::nullopt;
}

// A whole integer token; nothing for anything else or beyond +-10^15.
std::optional<std::int64_t> integer_token(std::string_view t) { return text::parse_integer(t, 15); }

// True for a sign and digits only: a whole number, however long.
bool is_whole_number(std::string_view t) {
    if (!t.empty() && (t[0] == '+' || t[0] == '-')) t.remove_prefix(1);
    return !t.empty() && std::all_of(t.begin(), t.end(), is_digit);
}

// The header keys the reader uses; the values of all others are not kept.
bool is_used_key(std::string_view key) {
    for (const char* used : {"keycode", "length", "datebegin", "dateend", "unit", "datatype"})
        if (key == used) return true;
    return false;
}

}  // namespace

std::optional<int> HeidelbergReader::unit_power(std::string_view unit) { return unit_exponent(squeezed_lower(unit)); }

HeidelbergReader::HeidelbergReader(std::string content, std::string file)
    : ConvertedSource(std::move(file), "Heidelberg", "negative width", "negative widths"),
      TextSource(std::move(content)),
      bound_(this->content().size() / 2 + 1) {}

bool HeidelbergReader::looks_like(std::string_view content) {
    std::size_t pos = 0;
    std::optional<std::string_view> line;
    do line = next_text_line(content, pos);
    while (line && is_blank(*line));
    if (!line || !is_header_line(*line)) return false;
    // Header lines without '=' are ignored, but the header must end at a
    // DATA: line before another series begins.
    while ((line = next_text_line(content, pos))) {
        if (is_data_line(*line)) return true;
        if (is_header_line(*line)) return false;
    }
    return false;
}

bool HeidelbergReader::is_header_line(std::string_view line) { return squeezed_lower(line) == "header:"; }

bool HeidelbergReader::is_data_line(std::string_view line) {
    const std::string_view t = trim_blanks(line);
    if (t.size() < 6 || squeezed_lower(t.substr(0, 5)) != "data:") return false;
    const std::string_view kind = trim_blanks(t.substr(5));
    return !kind.empty() && std::all_of(kind.begin(), kind.end(), is_letter);
}

std::optional<std::string_view> HeidelbergReader::key_of(std::string_view line) {
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    const std::string_view key = trim_blanks(line.substr(0, eq));
    if (key.empty()) return std::nullopt;
    return key;
}

bool HeidelbergReader::next(SeriesRead& s) {
    for (;;) {
        // The header line of the next series; blank lines before it are skipped.
        std::string_view line;
        do {
            if (!next_line(line)) {
                std::vector<ReadDetail> details;
                if (mean_curves_ > 0) details.push_back({mean_curves_, "of them a mean curve", "of them mean curves"});
                if (floating_ > 0)
                    details.push_back({floating_, "without dates, placed from year 1", "without dates, placed from year 1"});
                if (skipped_ > 0)
                    details.push_back({skipped_, "series of other data than ring widths skipped",
                                       "series of other data than ring widths skipped"});
                finish(std::move(details));
                return false;
            }
        } while (is_blank(line));
        const std::int32_t number = series_count() + skipped_ + 1;  // counted in the file
        if (!is_header_line(line))
            read_error("line " + std::to_string(line_no()), "a series must begin with a HEADER: line", line);

        // key=value lines up to DATA:<kind>; the last of a repeated key counts.
        std::map<std::string, std::pair<std::string, std::size_t>> keys;  // key -> value, line
        std::string kind;
        for (;;) {
            if (!next_line(line))
                read_error("series " + std::to_string(number), "the file ends before the DATA: line of the series");
            if (is_blank(line)) continue;
            if (is_data_line(line)) {
                kind = squeezed_lower(trim_blanks(line).substr(5));
                break;
            }
            auto key = key_of(line);
            if (!key) continue;  // a line without '=' says nothing the reader uses
            std::string k = squeezed_lower(*key);
            if (is_used_key(k)) keys[std::move(k)] = {std::string(trim_blanks(line.substr(line.find('=') + 1))), line_no()};
        }
        const auto value = [&](const char* key) -> const std::string* {
            auto it = keys.find(key);
            return it == keys.end() ? nullptr : &it->second.first;
        };
        const std::string name = value("keycode") ? value("keycode")->substr(0, kMaxNameLength) : std::string();
        const std::string label = series_label(number, name);
        const std::size_t data_line = line_no();
        const int tuple = tuple_size(kind);
        if (tuple == 0)
            read_error("line " + std::to_string(data_line) + ", " + label,
                       "the data kind is not one of Tree, Single, HalfChrono, Double, Chrono, Quad, Quadro", line);
        const auto integer_key = [&](const char* key, const char* shown) -> std::optional<std::int64_t> {
            auto it = keys.find(key);
            if (it == keys.end()) return std::nullopt;
            const std::string& text = it->second.first;
            const auto v = integer_token(text);
            if ((v && (*v < INT32_MIN || *v > INT32_MAX)) || (!v && is_whole_number(text)))
                read_error("line " + std::to_string(it->second.second) + ", " + label,
                           std::string(shown) + " is too large: \"" + printable(text) + "\"");
            if (!v)
                read_error("line " + std::to_string(it->second.second) + ", " + label,
                           std::string(shown) + " is not a whole number: \"" + printable(text) + "\"");
            return v;
        };
        const auto length_key = integer_key("length", "Length");
        const auto begin = integer_key("datebegin", "DateBegin");
        const auto end = integer_key("dateend", "DateEnd");
        const std::string* unit_text = value("unit");
        const auto unit = unit_exponent(unit_text ? squeezed_lower(*unit_text) : std::string());
        if (!unit)
            read_error("line " + std::to_string(keys["unit"].second) + ", " + label,
                       "the unit \"" + printable(*unit_text) + "\" is not one of 1/100 mm, 1/1000 mm, 1/10 mm, mm");
        std::optional<std::int64_t> length = length_key;
        if (length && *length < 0)
            read_error("line " + std::to_string(keys["length"].second) + ", " + label, "Length is negative");
        if (!length && begin && end) {
            length = *end - *begin + 1;
            if (*length < 0)
                read_error("series " + std::to_string(number) + " (" + printable(name) + ")",
                           "DateEnd is before DateBegin and there is no Length");
        }

        // The numbers, up to the next header or the end of the file. Of the
        // first MaxYears tuples the first number (the ring) is kept; the rest
        // are only counted, with the place of the last number other than 0
        // (zeros after the last ring are padding).
        firsts_.clear();
        std::uint64_t numbers = 0, last_nonzero = 0;  // counted from 1; 0 for none
        for (;;) {
            const LineCursor at = mark();
            if (!next_line(line)) break;
            if (is_header_line(line)) {
                back_to(at);
                break;
            }
            const std::string_view data = line.substr(0, line.find(';'));
            std::size_t i = 0;
            while (i < data.size()) {
                while (i < data.size() && (data[i] == ' ' || data[i] == '\t')) ++i;
                std::size_t j = i;
                while (j < data.size() && data[j] != ' ' && data[j] != '\t') ++j;
                if (j == i) break;
                auto v = integer_token(data.substr(i, j - i));
                if (!v)
                    read_error("line " + std::to_string(line_no()) + ", " + label,
                               "\"" + printable(data.substr(i, j - i)) + "\" is not a whole number", line);
                if (numbers % static_cast<std::uint64_t>(tuple) == 0 && firsts_.size() < static_cast<std::size_t>(MaxYears))
                    firsts_.push_back(*v);
                if (*v != 0) last_nonzero = numbers + 1;
                ++numbers;
                i = j;
            }
        }

        const auto per = static_cast<std::uint64_t>(tuple);
        const std::uint64_t tuples = numbers / per;
        std::uint64_t rings = tuples;
        if (length) {
            if (static_cast<std::uint64_t>(*length) > tuples)
                read_error(label, "Length (or DateEnd - DateBegin + 1) is " + std::to_string(*length) +
                                      " but the data hold only " + std::to_string(tuples) + " rings");
            rings = static_cast<std::uint64_t>(*length);
        } else {
            // Without a length, trailing tuples of zeros are padding.
            rings = std::min(tuples, (last_nonzero + per - 1) / per);
        }
        if (last_nonzero > rings * per)
            read_error(label, "the data hold more than the " + std::to_string(rings) + " rings of its Length");

        const std::string* type = value("datatype");
        if (type && squeezed_lower(*type) != "ringwidth") {
            ++skipped_;
            continue;
        }
        std::int64_t first = 1;
        if (begin) first = *begin;
        else if (end) first = *end - static_cast<std::int64_t>(rings) + 1;
        else ++floating_;
        if (first < -1000000000 || first > 1000000000)
            read_error(label, "its first year " + std::to_string(first) + " is far outside any calendar");
        if (length_key && begin && end && *end - *begin + 1 != *length_key)
            notices_.push_back(" Series " + std::to_string(series_count() + 1) + " (" + printable(name) + "): DateBegin " +
                               std::to_string(*begin) + ", DateEnd " + std::to_string(*end) + " and Length " +
                               std::to_string(*length_key) + " do not agree; its " + std::to_string(*length_key) +
                               " rings were placed from DateBegin, in " + std::to_string(*begin) + " to " +
                               std::to_string(*begin + *length_key - 1) + ".");
        rings_.clear();
        for (std::size_t k = 0; k < firsts_.size() && k < rings; ++k) {
            const std::int64_t v = firsts_[k];
            if (v < 0) {
                rings_.push_back(kMissingRing);
                continue;
            }
            auto um = to_micrometres(Decimal{false, static_cast<std::uint64_t>(v), 0}, *unit);
            if (!um) read_error(label, "the width " + std::to_string(v) + " is too large");
            rings_.push_back(*um);
        }
        if (tuple > 1) ++mean_curves_;
        fill(s, name, static_cast<std::int32_t>(first), rings_, static_cast<std::int64_t>(rings));
        return true;
    }
}

}  // namespace tarnik
