// Fuzz target: pith offset files read with a user-typed record format. The first
// line of the input is the format text, the rest is the file content.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "data/limits.h"
#include "input/pith_offsets.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tarnik;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t nl = input.find('\n');
    // The dialog keeps at most 40 characters of the typed format.
    const std::string format_text(input.substr(0, std::min<std::size_t>(nl, 40)));
    const std::string content(nl == std::string_view::npos ? std::string_view{} : input.substr(nl + 1));

    std::string error;
    auto reader = user_format_reader(format_text, error);
    check(reader.has_value() == error.empty());
    auto run = [&content](const OffsetRecordReader& read) {
        const PithOffsets p = read_pith_offsets(content, read);
        check(p.offsets.size() <= static_cast<std::size_t>(MaxSeries));
        check(p.bad_line == 0 || (!p.too_many && !p.bad_text.empty()));
    };
    run(read_i4_record);
    if (reader) run(*reader);
    return 0;
}
