#pragma once
// What the readers of text files share: the file's text and where the reader
// stands in it, line by line, whatever the line ends.

#include <cstddef>
#include <string>
#include <string_view>

#include "console/answers.h"
#include "input/text_lines.h"

namespace tarnik {

class TextSource {
protected:
    explicit TextSource(std::string content) : content_(std::move(content)) {}

    // The next line, counted; false at the end of the text.
    bool next_line(std::string_view& line) {
        auto l = cursor_.next(content_);
        if (l) line = *l;
        return l.has_value();
    }
    // The next line that is not blank, blank lines before it skipped; false at
    // the end of the text.
    bool next_nonblank_line(std::string_view& line) {
        do
            if (!next_line(line)) return false;
        while (is_blank(line));
        return true;
    }
    // The number of the line read last (1-based).
    std::size_t line_no() const { return cursor_.line_no; }
    // A place in the text to come back to with back_to.
    LineCursor mark() const { return cursor_; }
    void back_to(const LineCursor& place) { cursor_ = place; }
    bool at_end() const { return cursor_.pos >= content_.size(); }
    std::string_view content() const { return content_; }
    // Frees the text once the reader holds everything it needs.
    void release_content() { std::string().swap(content_); }

private:
    std::string content_;
    LineCursor cursor_;
};

}  // namespace tarnik
