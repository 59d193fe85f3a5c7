#include "input/converted_source.h"

#include <algorithm>

#include "console/answers.h"
#include "console/console.h"
#include "console/errors.h"
#include "data/limits.h"

namespace tarnik {
namespace {

constexpr int kMaxDigits = 18;  // significant digits kept; 10^18 fits std::uint64_t

bool is_digit(char c) { return c >= '0' && c <= '9'; }

std::uint64_t pow10(int k) {
    std::uint64_t p = 1;
    for (int i = 0; i < k; ++i) p *= 10;
    return p;
}

}  // namespace

std::string_view trim_blanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

std::string squeezed_lower(std::string_view s) {
    std::string out;
    for (char c : s) {
        if (c == ' ' || c == '\t') continue;
        out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return out;
}

std::optional<Decimal> parse_decimal(std::string_view s, char point) {
    Decimal d;
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) d.negative = s[i++] == '-';
    int kept = 0;
    bool digits = false, after_point = false;
    std::int64_t exponent = 0;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (is_digit(c)) {
            digits = true;
            if (kept < kMaxDigits && (kept > 0 || c != '0')) {
                d.mantissa = d.mantissa * 10 + static_cast<std::uint64_t>(c - '0');
                ++kept;
                if (after_point) --exponent;
            } else if (kept >= kMaxDigits && !after_point) {
                ++exponent;  // a dropped digit before the point still counts a power of ten
            } else if (kept == 0 && after_point) {
                --exponent;  // leading zeros after the point: 0.005
            }
            continue;
        }
        if (c == point && !after_point) {
            after_point = true;
            continue;
        }
        break;
    }
    if (!digits) return std::nullopt;
    if (d.mantissa == 0) exponent = 0;
    if (i < s.size()) {
        if (s[i] != 'e' && s[i] != 'E') return std::nullopt;
        ++i;
        bool negative = false;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
        if (i == s.size()) return std::nullopt;
        std::int64_t e = 0;
        for (; i < s.size(); ++i) {
            if (!is_digit(s[i])) return std::nullopt;
            e = std::min<std::int64_t>(e * 10 + (s[i] - '0'), 1000000);
        }
        exponent += negative ? -e : e;
    }
    d.exponent = static_cast<std::int32_t>(std::clamp<std::int64_t>(exponent, -2000000, 2000000));
    return d;
}

std::optional<Decimal> parse_real_field_exact(std::string_view field, int decimals) {
    std::string s;
    for (char c : field)
        if (c != ' ') s += c;
    if (s.empty()) return Decimal{};
    auto d = parse_decimal(s);
    if (d && s.find('.') == std::string::npos) d->exponent -= decimals;
    return d;
}

std::optional<std::int64_t> to_micrometres(const Decimal& d, int unit_exponent) {
    if (d.mantissa == 0) return 0;
    const std::int64_t k = std::int64_t{d.exponent} + unit_exponent + 3;
    if (k >= 0) {
        if (k > 9 || d.mantissa > static_cast<std::uint64_t>(kMaxMicrometres)) return std::nullopt;
        const std::uint64_t v = d.mantissa * pow10(static_cast<int>(k));  // below 2^31 * 10^9: no overflow
        if (v > static_cast<std::uint64_t>(kMaxMicrometres)) return std::nullopt;
        return static_cast<std::int64_t>(v);
    }
    if (k < -kMaxDigits) return 0;  // the mantissa is below 10^18, so less than half a micrometre
    const std::uint64_t p = pow10(static_cast<int>(-k));
    std::uint64_t q = d.mantissa / p;
    if ((d.mantissa % p) * 2 >= p) ++q;  // half up
    if (q > static_cast<std::uint64_t>(kMaxMicrometres)) return std::nullopt;
    return static_cast<std::int64_t>(q);
}

ConvertedSource::ConvertedSource(std::string file, std::string format, std::string missing_one,
                                 std::string missing_many)
    : file_(std::move(file)),
      format_(std::move(format)),
      missing_one_(std::move(missing_one)),
      missing_many_(std::move(missing_many)) {}

std::vector<std::string> ConvertedSource::take_notices() {
    std::vector<std::string> n;
    n.swap(notices_);
    return n;
}

std::string ConvertedSource::series_label(std::int32_t number, std::string_view name) const {
    return "series " + std::to_string(number) + " (" + printable(name) + ")";
}

void ConvertedSource::fill(SeriesRead& s, std::string_view name, std::int32_t first_year,
                           const std::vector<std::int64_t>& rings) {
    const std::int32_t number = ++series_count_;
    if (name.size() > 8) {
        if (cut_++ == 0) first_cut_ = std::string(name);
        name = name.substr(0, 8);
    }
    s.id.assign(name);
    s.id.resize(8, ' ');
    ++ids_[s.id];
    s.first_year = first_year;
    s.length = static_cast<std::int32_t>(std::min<std::size_t>(rings.size(), INT32_MAX));
    const std::size_t kept = std::min<std::size_t>(rings.size(), MaxYears);
    // Whole 0.01 mm throughout: the 999 scale; otherwise micrometres.
    bool hundredths = true;
    for (std::size_t i = 0; i < kept && hundredths; ++i) hundredths = rings[i] == kMissingRing || rings[i] % 10 == 0;
    s.scale = hundredths ? 100 : 1000;
    s.values.clear();
    s.values.reserve(kept);
    MissingRings m{number, s.id, 0, 0};
    for (std::size_t i = 0; i < rings.size(); ++i) {
        if (rings[i] == kMissingRing) {
            if (m.count++ == 0) m.first_year = first_year + static_cast<std::int32_t>(i);
            if (i < kept) s.values.push_back(0);
        } else if (i < kept) {
            s.values.push_back(static_cast<std::int32_t>(hundredths ? rings[i] / 10 : rings[i]));
        }
    }
    if (m.count > 0) missing_.push_back(m);
}

void ConvertedSource::finish(const std::vector<std::string>& details) {
    if (finished_) return;
    finished_ = true;
    std::string tail;
    for (const std::string& d : details) tail += ", " + d;
    if (series_count_ == 0) {
        throw UnusableFile{{" The " + format_ + " file " + file_ + " holds no ring-width series" + tail + ".",
                            " There is nothing to analyse. The run ends here."}};
    }
    notices_.push_back(" Read as a " + format_ + " file: " + std::to_string(series_count_) + " series" + tail +
                       ".");
    std::int32_t shared = 0;
    std::string first_shared;
    for (const auto& [id, n] : ids_) {
        if (n < 2) continue;
        shared += n;
        if (first_shared.empty() || id < first_shared) first_shared = id;
    }
    std::vector<std::string> parts;
    if (cut_ > 0) {
        parts.push_back(std::to_string(cut_) + " longer than 8 characters " + (cut_ == 1 ? "keeps its" : "keep their") +
                        " first 8 (" + printable(first_cut_) + " is " + printable(first_cut_.substr(0, 8)) + ")");
    }
    if (shared > 0) {
        parts.push_back(std::to_string(shared) + " series share an identifier with another series (" +
                        printable(trim_right(first_shared)) + (shared > 2 ? " and others)" : ")"));
    }
    if (!parts.empty()) {
        std::string text = " Identifiers: " + parts[0];
        if (parts.size() > 1) text += "; " + parts[1];
        notices_.push_back(text + ".");
    }
}

void ConvertedSource::read_error(const std::string& where, const std::string& what,
                                 std::optional<std::string_view> line) const {
    std::vector<std::string> lines = {" error reading data",
                                      ind13("The " + format_ + " file " + file_ + " cannot be read, " + where + ":"),
                                      ind13(what)};
    if (line) lines.push_back(ind13(printable(*line)));
    lines.push_back(ind13("This should not happen. Check file format and LF"));
    throw InternalError{std::move(lines), ind13("Hit RETURN to Terminate program : "), true};
}

}  // namespace tarnik
