#include "input/converted_source.h"

#include <algorithm>

#include "console/answers.h"
#include "console/console.h"
#include "console/errors.h"
#include "data/limits.h"
#include "input/text_helpers.h"

namespace tarnik {
namespace {

constexpr int kMaxDigits = 18;  // significant digits kept; 10^18 fits std::uint64_t

std::uint64_t pow10(int k) {
    std::uint64_t p = 1;
    for (int i = 0; i < k; ++i) p *= 10;
    return p;
}

}  // namespace

std::optional<Decimal> parse_decimal(std::string_view s, char point) {
    Decimal d;
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) d.negative = s[i++] == '-';
    int kept = 0;
    bool digits = false, after_point = false;
    std::int64_t exponent = 0;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (text::is_digit(c)) {
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
            if (!text::is_digit(s[i])) return std::nullopt;
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
                                 std::string missing_many, std::string noun)
    : file_(std::move(file)), missing_one_(std::move(missing_one)), missing_many_(std::move(missing_many)) {
    report_.format = std::move(format);
    report_.noun = std::move(noun);
}

std::string ConvertedSource::series_label(std::int32_t number, std::string_view name) const {
    return "series " + std::to_string(number) + " (" + printable(name) + ")";
}

void ConvertedSource::fill(SeriesRead& s, std::string_view name, std::int32_t first_year,
                           std::span<const std::int64_t> kept_rings, std::int64_t length) {
    ++report_.series;
    s.name.assign(name.substr(0, std::min(name.size(), kMaxNameLength)));
    s.first_year = first_year;
    s.length = static_cast<std::int32_t>(std::clamp<std::int64_t>(length, 0, INT32_MAX));
    const std::size_t kept = std::min<std::size_t>({kept_rings.size(), static_cast<std::size_t>(s.length),
                                                    static_cast<std::size_t>(MaxYears)});
    const std::span<const std::int64_t> rings = kept_rings.first(kept);
    // Whole 0.01 mm throughout: the 999 scale; otherwise micrometres.
    bool hundredths = true;
    for (std::size_t i = 0; i < kept && hundredths; ++i) hundredths = rings[i] == kMissingRing || rings[i] % 10 == 0;
    s.scale = hundredths ? 100 : 1000;
    s.values.clear();
    s.values.reserve(kept);
    s.missing = 0;
    s.first_missing_year = 0;
    for (std::size_t i = 0; i < kept; ++i) {
        if (rings[i] == kMissingRing) {
            if (s.missing++ == 0) s.first_missing_year = first_year + static_cast<std::int32_t>(i);
            s.values.push_back(0);
        } else {
            s.values.push_back(static_cast<std::int32_t>(hundredths ? rings[i] / 10 : rings[i]));
        }
    }
}

void ConvertedSource::fill_unkept(SeriesRead& s, std::string_view name, std::int32_t first_year,
                                  std::int64_t length) {
    ++report_.series;
    s.name.assign(name.substr(0, std::min(name.size(), kMaxNameLength)));
    s.first_year = first_year;
    s.length = static_cast<std::int32_t>(std::clamp<std::int64_t>(length, 0, INT32_MAX));
    s.values.assign(static_cast<std::size_t>(std::min<std::int64_t>(length, MaxYears)), 0);
    s.scale = 100;
    s.missing = 0;
    s.first_missing_year = 0;
}

bool ConvertedSource::finish_with_counts() {
    const auto [mean_curves, undated, skipped] = counts_;
    std::vector<ReadDetail> details;
    if (mean_curves > 0) details.push_back({mean_curves, "of them a mean curve", "of them mean curves"});
    if (undated > 0) details.push_back({undated, "without dates, placed from year 1", "without dates, placed from year 1"});
    if (skipped > 0)
        details.push_back({skipped, "series of other data than ring widths skipped",
                           "series of other data than ring widths skipped"});
    finish(std::move(details));
    return false;
}

void ConvertedSource::finish(std::vector<ReadDetail> details) {
    if (finished_) return;
    finished_ = true;
    report_.details = std::move(details);
    if (report_.series == 0) {
        std::string tail;
        for (const ReadDetail& d : report_.details) tail += ", " + d.text();
        throw UnusableFile{{" The " + report_.format + " " + report_.noun + " " + file_ +
                                " holds no ring-width series" + tail + ".",
                            " There is nothing to analyse. The run ends here."}};
    }
}

void ConvertedSource::read_error(const std::string& where, const std::string& what,
                                 std::optional<std::string_view> line) const {
    std::vector<std::string> lines = {" error reading data",
                                      menu_indent("The " + report_.format + " " + report_.noun + " " + file_ + " cannot be read, " + where + ":"),
                                      menu_indent(what)};
    if (line) lines.push_back(menu_indent(printable(*line)));
    lines.push_back(menu_indent("This should not happen. Check file format and LF"));
    throw InternalError{std::move(lines), menu_indent("Hit RETURN to Terminate program : "), true};
}

}  // namespace tarnik
