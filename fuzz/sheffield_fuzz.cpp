// Fuzz target: the reader of Sheffield files (the 22 header lines, the count, dating, year and
// type fields, the values and what follows them) and the recognition of formats, over arbitrary text.

#include <cstddef>
#include <cstdint>
#include <string>

#include "input/formats.h"
#include "input/sheffield.h"
#include "source_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tarnik;
    const std::string content(reinterpret_cast<const char*>(data), size);
    (void)detect_format(content);
    SheffieldReader reader(content, "dir/fuzz.d");
    fuzzing::check_source(reader, 1);
    return 0;
}
