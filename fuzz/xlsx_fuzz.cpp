// Fuzz target: the reader of Excel 2007+ workbooks (ZIP container, relationships, shared and inline strings, cells),
// and the recognition of formats, over arbitrary file content.

#include <cstddef>
#include <cstdint>
#include <string>

#include "input/formats.h"
#include "input/xlsx.h"
#include "source_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tarnik;
    const std::string content(reinterpret_cast<const char*>(data), size);
    (void)detect_format(content);
    XlsxReader reader(content, "fuzz");
    // A sheet has at most 16384 columns, each at most one series.
    fuzzing::check_source(reader, 16384);
    return 0;
}
