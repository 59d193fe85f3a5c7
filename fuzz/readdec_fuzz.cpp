// Fuzz target: the decadal reader over arbitrary file content (title detection,
// data bank header, blank lines, missing rings, read errors, a file ending
// inside a series).

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "console/errors.h"
#include "data/limits.h"
#include "input/readdec.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tarnik;
    DecadalReader reader(std::string(reinterpret_cast<const char*>(data), size));
    std::string id, title;
    std::int32_t first_year = 0, length = 0, marker = 0;
    std::vector<float> values;
    std::vector<std::int32_t> raw;
    // Every series takes at least one line, so the loop ends within the line count.
    const std::size_t max_series = size + 1;
    try {
        for (std::int32_t n = 1;; ++n) {
            check(static_cast<std::size_t>(n) <= max_series + 1);
            const std::int32_t status = reader.readdec(MaxYears, id, first_year, length, values, raw, marker, n, title);
            (void)reader.take_notices();
            if (status != 0) break;
            check(id.size() == 8);
            check(marker == 999 || marker == -9999);
            check(length >= 0);
            const auto kept = static_cast<std::size_t>(length < MaxYears ? length : MaxYears);
            check(values.size() == kept && raw.size() == kept);
            for (std::int32_t w : raw) check(w >= 0);
            if (n == 1) check(title.size() == 80);
        }
    } catch (const InternalError& e) {
        // A line that cannot be read ends the run with the reader's message.
        check(!e.lines.empty());
    }
    for (const MissingRings& m : reader.missing_rings()) check(m.count > 0);
    return 0;
}
