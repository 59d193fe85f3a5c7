#pragma once
// The formats of ring-width files the program reads, and the table that
// recognises a file's format by its content. Each format is one row: the
// format, whether it is recognised on the file's bytes or on its text, the
// test that recognises it (`looks_like`, kept beside its reader) and how its
// reader is made. The rows are tried in order; the decadal format, last, takes
// every file no other format claims.

#include <cstddef>
#include <memory>
#include <optional>
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
// formats), or its text (see text_of).
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

// Why a file's text cannot be decoded, and on which line of it.
struct TextProblem {
    std::size_t line = 0;
    std::string what;
};

// The text of a file as the text formats and the pith offset file read it:
// without a UTF-8 byte-order mark, and a file that begins with a UTF-16
// byte-order mark (either byte order) converted to UTF-8, the mark dropped. No
// value, with `problem` set, for UTF-16 that cannot be converted (a byte left
// over at the end, a lone surrogate).
std::optional<std::string> text_of(std::string bytes, TextProblem& problem);

// The content of the ring-width file `path` as make_series_source takes it:
// its bytes, or the text of a UTF-16 file, converted while it is read (so the
// file's bytes and its text are never held together). No value when the file
// cannot be read. UTF-16 that cannot be converted ends the run with the
// read-error message naming the file, the line and the fault (InternalError).
std::optional<std::string> read_input_file(const std::string& path);

// The format of a file's content: the first row whose test accepts it.
FileFormat detect_format(std::string_view bytes);

// The reader for a file's content, by its format (UTF-16 is converted first,
// with read_input_file's message when it cannot be).
std::unique_ptr<SeriesSource> make_series_source(std::string bytes, const std::string& file);

}  // namespace tarnik
