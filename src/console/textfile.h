#pragma once
// A text file written line by line (report file, export files). Opening replaces
// an existing file. Write errors are remembered, and close() reports whether
// everything reached the file, so that no caller reports a failed save as done.

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace tarnik {

class TextFile {
public:
    TextFile() = default;
    explicit TextFile(const std::string& path) { open(path); }
    TextFile(const TextFile&) = delete;
    TextFile& operator=(const TextFile&) = delete;
    TextFile(TextFile&& o) noexcept : f_(o.f_), ok_(o.ok_) { o.f_ = nullptr; }
    TextFile& operator=(TextFile&& o) noexcept;
    ~TextFile() { close(); }

    // Creates or replaces the file; false when it cannot be opened for writing.
    bool open(const std::string& path);
    bool is_open() const { return f_ != nullptr; }

    void text(std::string_view s);
    void line(std::string_view s = {});
    void blank(int n = 1);

    // Closes the file; true when it was open and every write and the close succeeded.
    bool close();
    // True while no write has failed.
    bool good() const { return f_ != nullptr && ok_; }

private:
    std::FILE* f_ = nullptr;
    bool ok_ = true;
};

// The whole content of a file, read in one pass; nothing when the file cannot be
// opened or a read fails before its end (so a read error never passes for a
// shorter file).
std::optional<std::string> read_whole_file(const std::string& path);

}  // namespace tarnik
