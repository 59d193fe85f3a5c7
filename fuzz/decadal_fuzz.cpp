// Fuzz target: the decadal reader over arbitrary file content (title detection,
// data bank header, blank lines, missing rings, read errors, a file ending
// inside a series), and the recognition of formats.

#include <cstddef>
#include <cstdint>
#include <string>

#include "input/decadal.h"
#include "input/formats.h"
#include "source_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tarnik;
    const std::string content(reinterpret_cast<const char*>(data), size);
    (void)detect_format(content);
    DecadalReader reader(content, "fuzz");
    // Every series takes at least one line.
    fuzzing::check_source(reader, size + 1);
    if (!content.empty()) tarnik::fuzzing::check(reader.title().size() == 80);
    return 0;
}
