#include "input/text_lines.h"

#include <algorithm>

namespace tarnik {

std::optional<std::string_view> next_text_line(std::string_view content, std::size_t& pos) {
    const std::size_t n = content.size();
    if (pos >= n) return std::nullopt;
    std::size_t end = pos;
    while (end < n && content[end] != '\n' && content[end] != '\r') ++end;
    const std::string_view line = content.substr(pos, end - pos);
    std::size_t k = end;
    while (k < n && content[k] == '\r') ++k;
    if (k < n && content[k] == '\n') pos = k + 1;  // LF, CR LF, CR CR LF
    else pos = std::min(end + 1, n);               // a CR alone, or the end of the content
    return line;
}

}  // namespace tarnik
