#pragma once
// Reading of a pith offset file: a title line, then one offset record per series
// in the order of the ring-width file, each read with a record format.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "input/text_lines.h"

namespace tarnik {

// Successive lines of a text file (LF, CR LF, CR CR LF or CR line ends).
class LineSource {
public:
    explicit LineSource(std::string content) : content_(std::move(content)) {}
    // The next line, or no value at end of file.
    std::optional<std::string_view> next();
    // Number of the line returned last (1-based).
    std::size_t line_number() const { return cursor_.line_no; }

private:
    std::string content_;
    LineCursor cursor_;
};

// Outcome of reading one offset record.
struct OffsetRecord {
    enum class Status { kOffset, kEndOfFile, kUnreadable } status = Status::kEndOfFile;
    std::int32_t offset = 0;
    std::string bad_text;  // kUnreadable: the line that could not be read
};

// Reads one record (one or more lines) from the source and returns its offset.
using OffsetRecordReader = std::function<OffsetRecord(LineSource&)>;

struct PithOffsets {
    std::string title;
    std::vector<std::int32_t> offsets;
    bool too_many = false;              // more than MaxSeries records
    std::size_t bad_line = 0;           // line that could not be read (0: none)
    std::string bad_text;               // its content
};

// Reads every offset record after the title line. Stops at the first record
// that cannot be read (bad_line) or at MaxSeries + 1 records (too_many).
PithOffsets read_pith_offsets(std::string content, const OffsetRecordReader& read_record);

// The fixed method: the offset in columns 1-4 of one line.
OffsetRecord read_i4_record(LineSource& src);

// A reader for a record format typed by the user, such as "(2x,i3)"; no value,
// with the reason in `error`, when the text is not a usable format.
std::optional<OffsetRecordReader> user_format_reader(const std::string& text, std::string& error);

}  // namespace tarnik
