#include "console/textfile.h"

#include <filesystem>

namespace tarnik {

TextFile& TextFile::operator=(TextFile&& o) noexcept {
    if (this != &o) {
        close();
        f_ = o.f_;
        ok_ = o.ok_;
        o.f_ = nullptr;
    }
    return *this;
}

bool TextFile::open(const std::string& path) {
    close();
    f_ = std::fopen(path.c_str(), "w");
    ok_ = f_ != nullptr;
    return ok_;
}

void TextFile::text(std::string_view s) {
    if (!f_ || s.empty()) return;
    if (std::fwrite(s.data(), 1, s.size(), f_) != s.size()) ok_ = false;
}

void TextFile::line(std::string_view s) {
    text(s);
    if (f_ && std::fputc('\n', f_) == EOF) ok_ = false;
}

void TextFile::blank(int n) {
    for (int i = 0; i < n; ++i) line();
}

bool TextFile::close() {
    if (!f_) return false;
    bool ok = ok_;
    if (std::fflush(f_) != 0 || std::ferror(f_)) ok = false;
    if (std::fclose(f_) != 0) ok = false;
    f_ = nullptr;
    ok_ = ok;
    return ok;
}

std::optional<std::string> read_whole_file(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return std::nullopt;
    std::string content;
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (!ec) content.reserve(static_cast<std::size_t>(size));
    char buf[1 << 16];
    std::size_t got;
    while ((got = std::fread(buf, 1, sizeof buf, f)) > 0) content.append(buf, got);
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) return std::nullopt;
    return content;
}

}  // namespace tarnik
