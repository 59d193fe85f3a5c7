// Fuzz target: the reader of V-format files (fixed header fields, versions and
// the lines they add, flagged 8-column values, skipped parameters), and the
// recognition of formats, over arbitrary file content.

#include <cstddef>
#include <cstdint>
#include <string>

#include "input/formats.h"
#include "input/vformat.h"
#include "source_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tarnik;
    const std::string content(reinterpret_cast<const char*>(data), size);
    (void)detect_format(content);
    VFormatReader reader(content, "fuzz");
    // Every series takes a header line of at least 20 columns and a free-text line.
    fuzzing::check_source(reader, size / 21 + 1);
    return 0;
}
