#pragma once
// Lines of a text file as the readers take them, whatever their line ends.

#include <cstddef>
#include <optional>
#include <string_view>

namespace tarnik {

// The line of `content` that starts at `pos`, without its line end, and `pos`
// moved to the next line; no value at the end of the content. A line ends at
// LF, CR LF, CR CR LF, or a CR alone (the line end of old Macintosh files).
std::optional<std::string_view> next_text_line(std::string_view content, std::size_t& pos);

// Where a reader stands in its text: the start of the next line and the number
// of the line read last (1-based). A copy marks a place to come back to.
struct LineCursor {
    std::size_t pos = 0;
    std::size_t line_no = 0;
    // The next line of `content`, counted; no value at its end.
    std::optional<std::string_view> next(std::string_view content) {
        auto line = next_text_line(content, pos);
        if (line) ++line_no;
        return line;
    }
};

}  // namespace tarnik
