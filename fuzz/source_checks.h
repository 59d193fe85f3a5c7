#pragma once
// What every fuzz target of a ring-width reader checks: the reader either hands
// out series the reading loop can store, or ends with a message; it never
// crashes, hangs or hands out a series that breaks the stores' rules.

#include <cstddef>
#include <cstdlib>
#include <string>

#include "console/errors.h"
#include "data/limits.h"
#include "input/series_source.h"

namespace tarnik::fuzzing {

inline void check(bool ok) {
    if (!ok) std::abort();
}

// Reads every series of `source`; `max_series` bounds how many the input can hold.
inline void check_source(SeriesSource& source, std::size_t max_series) {
    SeriesRead s;
    std::size_t n = 0;
    try {
        while (source.next(s)) {
            check(++n <= max_series);
            check(s.name.find_first_of("\r\n") == std::string::npos);
            check(s.scale == 100 || s.scale == 1000);
            check(s.length >= 0);
            const auto kept = static_cast<std::size_t>(s.length < MaxYears ? s.length : MaxYears);
            check(s.values.size() == kept);
            for (std::int32_t v : s.values) check(v >= 0);
            check(s.missing >= 0 && s.missing <= s.length);
            (void)source.take_notices();
        }
        // A reader that handed out series counts them in its report.
        check(source.report().series == static_cast<std::int32_t>(n));
    } catch (const InternalError& e) {
        check(e.lines.size() >= 4 && e.lines[0] == " error reading data");
    } catch (const UnusableFile& e) {
        check(n == 0 && !e.lines.empty());
    }
}

}  // namespace tarnik::fuzzing
