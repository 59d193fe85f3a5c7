#include "input/text_lines.h"

#include <algorithm>

namespace tarnik {

std::optional<std::string_view> next_text_line(std::string_view content, std::size_t& pos) {
    const std::size_t n = content.size();
    if (pos >= n) return std::nullopt;
    std::size_t end = pos;
    while (end < n && content[end] != '\n' && content[end] != '\r') ++end;
    const std::string_view line = content.substr(pos, end - pos);
    // LF, CR LF and CR CR LF end a line, and so does a CR followed by anything
    // else. Looking no further than two characters ahead keeps a long run of
    // lone CRs (each an empty line) linear.
    if (end + 1 < n && content[end] == '\r' && content[end + 1] == '\n') pos = end + 2;
    else if (end + 2 < n && content[end] == '\r' && content[end + 1] == '\r' && content[end + 2] == '\n') pos = end + 3;
    else pos = std::min(end + 1, n);  // LF, a CR alone, or the end of the content
    return line;
}

}  // namespace tarnik
