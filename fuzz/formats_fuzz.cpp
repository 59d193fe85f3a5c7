// Fuzz target: the way into every reader (the text of a file with its
// byte-order mark or in UTF-16, the recognition of its format, the reader the
// table makes). Any content is read as the data set reads it; content that
// is UTF-8 is also read with a UTF-8 mark in front and as UTF-16 in both byte
// orders, which must give the same series, notices and message.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "console/errors.h"
#include "input/formats.h"
#include "source_checks.h"

namespace {

using namespace tarnik;

// Everything a reading gave.
struct Outcome {
    std::vector<std::string> series;  // name, years, scale and widths of each, as text
    std::vector<std::string> notices;
    std::vector<std::string> message;
    bool operator==(const Outcome&) const = default;
};

Outcome read(std::string bytes, std::size_t max_series) {
    Outcome o;
    try {
        auto source = make_series_source(std::move(bytes), "fuzz");
        SeriesRead s;
        while (source->next(s)) {
            fuzzing::check(o.series.size() < max_series);
            fuzzing::check(s.values.size() == static_cast<std::size_t>(s.length < MaxYears ? s.length : MaxYears));
            std::string text = s.name + "|" + std::to_string(s.first_year) + "|" + std::to_string(s.length) + "|" +
                               std::to_string(s.scale) + "|" + std::to_string(s.missing);
            for (std::int32_t v : s.values) text += " " + std::to_string(v);
            o.series.push_back(std::move(text));
            for (auto& n : source->take_notices()) o.notices.push_back(std::move(n));
        }
        for (auto& n : source->take_notices()) o.notices.push_back(std::move(n));
    } catch (const InternalError& e) {
        fuzzing::check(e.lines.size() >= 4 && e.lines[0] == " error reading data");
        o.message = e.lines;
    } catch (const UnusableFile& e) {
        fuzzing::check(!e.lines.empty());
        o.message = e.lines;
    }
    return o;
}

// The code points of UTF-8 text; false when it is not UTF-8.
bool code_points(std::string_view s, std::vector<std::uint32_t>& out) {
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const int n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (n == 0 || i + static_cast<std::size_t>(n) > s.size()) return false;
        std::uint32_t cp = n == 1 ? c : c & (0x7F >> n);
        for (int k = 1; k < n; ++k) {
            const auto b = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
            if ((b >> 6) != 2) return false;
            cp = cp << 6 | (b & 0x3F);
        }
        const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < least[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        out.push_back(cp);
        i += static_cast<std::size_t>(n);
    }
    return true;
}

std::string utf16(const std::vector<std::uint32_t>& cps, bool big_endian) {
    std::string out = big_endian ? "\xFE\xFF" : "\xFF\xFE";
    const auto put = [&](std::uint32_t u) {
        const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
        out += big_endian ? hi : lo;
        out += big_endian ? lo : hi;
    };
    for (std::uint32_t cp : cps) {
        if (cp < 0x10000) {
            put(cp);
        } else {
            put(0xD800 + ((cp - 0x10000) >> 10));
            put(0xDC00 + ((cp - 0x10000) & 0x3FF));
        }
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string content(reinterpret_cast<const char*>(data), size);
    (void)detect_format(content);
    // Every series takes at least one byte of the file.
    const Outcome plain = read(content, size + 1);
    std::vector<std::uint32_t> cps;
    if (content.starts_with("\xEF\xBB\xBF") || !code_points(content, cps)) return 0;
    fuzzing::check(read("\xEF\xBB\xBF" + content, size + 1) == plain);
    fuzzing::check(read(utf16(cps, false), size + 1) == plain);
    fuzzing::check(read(utf16(cps, true), size + 1) == plain);
    return 0;
}
