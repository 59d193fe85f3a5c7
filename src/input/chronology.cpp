#include "input/chronology.h"

#include <cstdint>
#include <optional>

#include "input/text_helpers.h"
#include "input/text_lines.h"

namespace tarnik {
namespace {

constexpr std::size_t kLineWidth = 80;
constexpr std::size_t kFields = 10;
constexpr std::size_t kHeaderLines = 3;

// A right-justified whole number: blanks, an optional '-' (where `sign`), at
// least one digit and nothing after them.
std::optional<std::int32_t> right_justified(std::string_view field, bool sign) {
    while (!field.empty() && field.front() == ' ') field.remove_prefix(1);
    if (!field.empty() && (field.front() == '+' || (!sign && field.front() == '-'))) return std::nullopt;
    const auto v = text::parse_integer(field);
    if (!v) return std::nullopt;
    return static_cast<std::int32_t>(*v);
}

struct DecadeLine {
    std::string_view site;
    std::int32_t year = 0;
    bool fill = false;  // some field holds 9990
};

std::optional<DecadeLine> decade_line(std::string_view line) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    if (line.size() != kLineWidth) return std::nullopt;
    const auto year = right_justified(line.substr(6, 4), true);
    if (!year) return std::nullopt;
    DecadeLine d{line.substr(0, 6), *year, false};
    for (std::size_t k = 0; k < kFields; ++k) {
        const std::string_view field = line.substr(10 + 7 * k, 7);
        const auto index = right_justified(field.substr(0, 4), false);
        if (!index || !right_justified(field.substr(4, 3), false)) return std::nullopt;
        d.fill = d.fill || *index == 9990;
    }
    return d;
}

std::int32_t next_decade(std::int32_t year) { return (year >= 0 ? year / 10 : -((-year + 9) / 10)) * 10 + 10; }

}  // namespace

ChronologyReader::ChronologyReader(std::string, std::string file) : file_(std::move(file)) {}

bool ChronologyReader::looks_like(std::string_view content) {
    std::size_t pos = 0, header = 0;
    bool decades = false, fill = false;
    std::optional<DecadeLine> last;
    while (const auto line = next_text_line(content, pos)) {
        if (text::trim_blanks(*line).empty()) continue;
        const auto d = decade_line(*line);
        if (!d) {
            if (++header > kHeaderLines) return false;
            last.reset();
            continue;
        }
        if (last && d->site == last->site && d->year != next_decade(last->year)) return false;
        header = 0;
        decades = true;
        fill = fill || d->fill;
        last = d;
    }
    return decades && fill;
}

bool ChronologyReader::next(SeriesRead&) {
    throw UnusableFile{{" The file " + file_ + " is a chronology of the data bank: it holds indices of a mean "
                        "curve with their sample depths, not ring widths.",
                        " There is nothing to analyse. The run ends here."}};
}

}  // namespace tarnik
