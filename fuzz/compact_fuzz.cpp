// Fuzz target: the reader of compact files (headers, powers of ten, record formats read over lines),
// and the recognition of formats, over arbitrary file content.

#include <cstddef>
#include <cstdint>
#include <string>

#include "input/compact.h"
#include "input/formats.h"
#include "source_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tarnik;
    const std::string content(reinterpret_cast<const char*>(data), size);
    (void)detect_format(content);
    CompactReader reader(content, "fuzz");
    // Every series takes at least one byte of the file (an empty compact series a line).
    fuzzing::check_source(reader, size + 1);
    return 0;
}
