// Fuzz target: the reader of CATRAS files (header fields, ring count against the file's size, years
// before 1, padding after the values) and the recognition of formats, over arbitrary bytes.

#include <cstddef>
#include <cstdint>
#include <string>

#include "input/catras.h"
#include "input/formats.h"
#include "source_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tarnik;
    const std::string content(reinterpret_cast<const char*>(data), size);
    const bool catras = detect_format(content) == FileFormat::catras;
    fuzzing::check(catras == CatrasReader::looks_like(content));
    CatrasReader reader(content, "fuzz");
    fuzzing::check_source(reader, 1);
    if (catras) {
        // A series holds exactly the header's ring count, whatever the padding holds.
        CatrasReader again(content, "fuzz");
        SeriesRead s;
        try {
            if (again.next(s)) fuzzing::check(s.length == (data[44] | data[45] << 8));
        } catch (...) {
        }
    }
    return 0;
}
