// Fuzz target: the reader of Besançon files (series starts, keys anywhere in a
// line, VAL lines, value items with labels, marks, commas and ';', years before
// our era), and the recognition of formats, over arbitrary file content.

#include <cstddef>
#include <cstdint>
#include <string>

#include "input/besancon.h"
#include "input/formats.h"
#include "source_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tarnik;
    const std::string content(reinterpret_cast<const char*>(data), size);
    (void)detect_format(content);
    BesanconReader reader(content, "fuzz");
    // Every series takes several bytes of the file (". A", a VAL line, ';').
    fuzzing::check_source(reader, size + 1);
    return 0;
}
