#include "input/heidelberg.h"

#include <algorithm>
#include <map>

#include "console/answers.h"
#include "input/text_helpers.h"

namespace tarnik {
namespace {

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
        if (!next_nonblank_line(line)) return finish_with_counts();
        const std::int32_t number = number_in_file();
        if (!is_header_line(line))
            read_error("line " + std::to_string(line_no()), "a series must begin with a HEADER: line", line);
        const Header h = read_header(number);
        const std::uint64_t rings = read_numbers(h);
        if (!h.ring_widths) {
            ++counts_.skipped;
            continue;
        }
        hand_out(s, h, rings);
        return true;
    }
}

HeidelbergReader::HeaderKeys HeidelbergReader::read_keys(std::int32_t number) {
    // key=value lines up to DATA:<kind>; the last of a repeated key counts.
    HeaderKeys h;
    std::string_view line;
    for (;;) {
        if (!next_line(line))
            read_error("series " + std::to_string(number), "the file ends before the DATA: line of the series");
        if (is_blank(line)) continue;
        if (is_data_line(line)) {
            h.kind = squeezed_lower(trim_blanks(line).substr(5));
            h.data_line = line;
            return h;
        }
        auto key = key_of(line);
        if (!key) continue;  // a line without '=' says nothing the reader uses
        std::string k = squeezed_lower(*key);
        if (is_used_key(k)) h.keys[std::move(k)] = {std::string(trim_blanks(line.substr(line.find('=') + 1))), line_no()};
    }
}

std::optional<std::int64_t> HeidelbergReader::integer_key(const Keys& keys, std::string_view shown, const std::string& label) {
    auto it = keys.find(squeezed_lower(shown));
    if (it == keys.end()) return std::nullopt;
    const std::string& text = it->second.first;
    const auto v = integer_token(text);
    if ((v && (*v < INT32_MIN || *v > INT32_MAX)) || (!v && text::is_whole_number(text)))
        read_error("line " + std::to_string(it->second.second) + ", " + label,
                   std::string(shown) + " is too large: \"" + printable(text) + "\"");
    if (!v)
        read_error("line " + std::to_string(it->second.second) + ", " + label,
                   std::string(shown) + " is not a whole number: \"" + printable(text) + "\"");
    return v;
}

HeidelbergReader::Header HeidelbergReader::read_header(std::int32_t number) {
    HeaderKeys keys = read_keys(number);
    const auto value = [&](const char* key) -> const std::string* {
        auto it = keys.keys.find(key);
        return it == keys.keys.end() ? nullptr : &it->second.first;
    };
    Header h;
    h.name = value("keycode") ? value("keycode")->substr(0, kMaxNameLength) : std::string();
    h.label = series_label(number, h.name);
    const std::size_t data_line = line_no();
    h.tuple = tuple_size(keys.kind);
    if (h.tuple == 0)
        read_error("line " + std::to_string(data_line) + ", " + h.label,
                   "the data kind is not one of Tree, Single, HalfChrono, Double, Chrono, Quad, Quadro", keys.data_line);
    h.length_key = integer_key(keys.keys, "Length", h.label);
    h.begin = integer_key(keys.keys, "DateBegin", h.label);
    h.end = integer_key(keys.keys, "DateEnd", h.label);
    const std::string* unit_text = value("unit");
    const auto unit = unit_exponent(unit_text ? squeezed_lower(*unit_text) : std::string());
    if (!unit)
        read_error("line " + std::to_string(keys.keys["unit"].second) + ", " + h.label,
                   "the unit \"" + printable(*unit_text) + "\" is not one of 1/100 mm, 1/1000 mm, 1/10 mm, mm");
    h.unit = *unit;
    h.length = h.length_key;
    if (h.length && *h.length < 0)
        read_error("line " + std::to_string(keys.keys["length"].second) + ", " + h.label, "Length is negative");
    if (!h.length && h.begin && h.end) {
        h.length = *h.end - *h.begin + 1;
        if (*h.length < 0)
            read_error("series " + std::to_string(number) + " (" + printable(h.name) + ")",
                       "DateEnd is before DateBegin and there is no Length");
    }
    const std::string* type = value("datatype");
    h.ring_widths = !type || squeezed_lower(*type) == "ringwidth";
    return h;
}

std::uint64_t HeidelbergReader::read_numbers(const Header& h) {
    // The numbers, up to the next header or the end of the file. Of the
    // first MaxYears tuples the first number (the ring) is kept; the rest
    // are only counted, with the place of the last number other than 0
    // (zeros after the last ring are padding).
    firsts_.clear();
    std::uint64_t numbers = 0, last_nonzero = 0;  // counted from 1; 0 for none
    std::string_view line;
    for (;;) {
        const LineCursor at = mark();
        if (!next_line(line)) break;
        if (is_header_line(line)) {
            back_to(at);
            break;
        }
        const std::string_view data = line.substr(0, line.find(';'));
        std::size_t pos = 0;
        while (const auto field = text::next_field(data, pos)) {
            auto v = integer_token(*field);
            if (!v)
                read_error("line " + std::to_string(line_no()) + ", " + h.label,
                           "\"" + printable(*field) + "\" is not a whole number", line);
            if (numbers % static_cast<std::uint64_t>(h.tuple) == 0 && firsts_.size() < static_cast<std::size_t>(MaxYears))
                firsts_.push_back(*v);
            if (*v != 0) last_nonzero = numbers + 1;
            ++numbers;
        }
    }
    return ring_count(h, numbers, last_nonzero);
}

std::uint64_t HeidelbergReader::ring_count(const Header& h, std::uint64_t numbers, std::uint64_t last_nonzero) {
    const auto per = static_cast<std::uint64_t>(h.tuple);
    const std::uint64_t tuples = numbers / per;
    std::uint64_t rings = tuples;
    if (h.length) {
        if (static_cast<std::uint64_t>(*h.length) > tuples)
            read_error(h.label, "Length (or DateEnd - DateBegin + 1) is " + std::to_string(*h.length) +
                                    " but the data hold only " + std::to_string(tuples) + " rings");
        rings = static_cast<std::uint64_t>(*h.length);
    } else {
        // Without a length, trailing tuples of zeros are padding.
        rings = std::min(tuples, (last_nonzero + per - 1) / per);
    }
    if (last_nonzero > rings * per)
        read_error(h.label, "the data hold more than the " + std::to_string(rings) + " rings of its Length");
    return rings;
}

void HeidelbergReader::hand_out(SeriesRead& s, const Header& h, std::uint64_t rings) {
    std::int64_t first = 1;
    if (h.begin) first = *h.begin;
    else if (h.end) first = *h.end - static_cast<std::int64_t>(rings) + 1;
    else ++counts_.undated;
    if (first < -1000000000 || first > 1000000000)
        read_error(h.label, "its first year " + std::to_string(first) + " is far outside any calendar");
    if (h.length_key && h.begin && h.end && *h.end - *h.begin + 1 != *h.length_key)
        notices_.push_back(" Series " + std::to_string(series_count() + 1) + " (" + printable(h.name) + "): DateBegin " +
                           std::to_string(*h.begin) + ", DateEnd " + std::to_string(*h.end) + " and Length " +
                           std::to_string(*h.length_key) + " do not agree; its " + std::to_string(*h.length_key) +
                           " rings were placed from DateBegin, in " + std::to_string(*h.begin) + " to " +
                           std::to_string(*h.begin + *h.length_key - 1) + ".");
    rings_.clear();
    for (std::size_t k = 0; k < firsts_.size() && k < rings; ++k) {
        const std::int64_t v = firsts_[k];
        if (v < 0) {
            rings_.push_back(kMissingRing);
            continue;
        }
        auto um = to_micrometres(Decimal{false, static_cast<std::uint64_t>(v), 0}, h.unit);
        if (!um) read_error(h.label, "the width " + std::to_string(v) + " is too large");
        rings_.push_back(*um);
    }
    if (h.tuple > 1) ++counts_.mean_curves;
    fill(s, h.name, static_cast<std::int32_t>(first), rings_, static_cast<std::int64_t>(rings));
}

}  // namespace tarnik
