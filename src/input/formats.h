#pragma once
// The formats of ring-width files the program reads, and the table that
// recognises a file's format by its content. Each format is one row: the
// format, whether it is recognised on the file's bytes or on its text, the
// test that recognises it (`looks_like`, kept beside its reader) and how its
// reader is made. The rows are tried in order; the decadal format, last, takes
// every file no other format claims.

#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "input/series_source.h"

namespace tarnik {

enum class FileFormat {
    heidelberg,
    tridas,
    csv,
    compact,
    catras,
    sheffield,
    besancon,
    vformat,
    xlsx,
    ods,
    xls,
    decadal,
    past4,
    other_xml,   // XML of no format read here: the run ends naming its root
    chronology,  // a data-bank chronology of indices: the run ends saying so
};

// How a format's test and reader see the file: its bytes as they are (binary
// formats), or its text, a byte-order mark taken off first.
enum class ContentKind { bytes, text };

struct FormatEntry {
    FileFormat format;
    ContentKind content;
    bool (*looks_like)(std::string_view content);
    // The reader of `content`; `file` names the file in messages.
    std::unique_ptr<SeriesSource> (*make)(std::string content, const std::string& file);
};

// The rows, in the order they are tried.
std::span<const FormatEntry> format_table();

// The text of a file as the text formats see it: without a UTF-8 byte-order mark.
std::string_view text_of(std::string_view bytes);

// The format of a file's content: the first row whose test accepts it.
FileFormat detect_format(std::string_view bytes);

// The reader for a file's content, by its format.
std::unique_ptr<SeriesSource> make_series_source(std::string bytes, const std::string& file);

}  // namespace tarnik
