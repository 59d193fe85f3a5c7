// Fuzz target: the reader of PAST4 projects (any XML; records, attributes, HEADER
// units, DATA lines, the parse stopped after each record), the recognition of
// formats, and the files that end the run saying what they are (XML of another
// kind, chronologies), over arbitrary file content.

#include <cstddef>
#include <cstdint>
#include <string>

#include "input/formats.h"
#include "input/past4.h"
#include "source_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tarnik;
    const std::string content(reinterpret_cast<const char*>(data), size);
    const FileFormat format = detect_format(content);
    if (format == FileFormat::other_xml || format == FileFormat::chronology) {
        auto source = make_series_source(content, "fuzz");
        fuzzing::check_source(*source, 0);
    }
    Past4Reader reader(content, "fuzz");
    // Every record takes at least the characters of <RECORD/>.
    fuzzing::check_source(reader, size / 9 + 1);
    return 0;
}
