#pragma once
// The streams of an OLE2 compound file (the container of Excel 97-2003
// workbooks) held in memory: enough to tell whether a file holds a workbook
// stream, and to look over that stream's records before the workbook library
// reads the file. Every sector chain is followed at most once around the
// file's sectors, so a damaged or looping allocation table ends the search.

#include <optional>
#include <string>
#include <string_view>

namespace tarnik::ole2 {

// Whether `bytes` begin with the compound file signature D0 CF 11 E0 A1 B1 1A E1.
bool has_signature(std::string_view bytes);

// The stream named `name` (ASCII case ignored), read whole; no value when the
// file holds no such stream or its structure is broken.
std::optional<std::string> stream(std::string_view bytes, std::string_view name);

// Whether the file holds a stream of that name (without reading it).
bool has_stream(std::string_view bytes, std::string_view name);

}  // namespace tarnik::ole2
