#include "console/console.h"

#include "console/errors.h"

namespace tarnik {

void Console::text(std::string_view s) {
    if (!s.empty()) std::fwrite(s.data(), 1, s.size(), out_);
}

void Console::line(std::string_view s) {
    text(s);
    std::fputc('\n', out_);
}

void Console::blank(int n) {
    for (int i = 0; i < n; ++i) std::fputc('\n', out_);
}

void Console::line_once(std::string_view s) {
    if (said_once_.contains(s)) return;
    said_once_.emplace(s);
    line(s);
}

void Console::flush() { std::fflush(out_); }

std::string Console::read_line() {
    flush();
    std::string s;
    int c;
    bool got_any = false;
    while ((c = std::fgetc(in_)) != EOF) {
        got_any = true;
        if (c == '\n') break;
        s += static_cast<char>(c);
    }
    if (!got_any) throw EndOfInput{};
    while (!s.empty() && s.back() == '\r') s.pop_back();
    return s;
}

std::string Console::ask(std::string_view prompt) {
    text(prompt);
    return read_line();
}

std::string Console::next_nonblank_line() {
    for (;;) {
        std::string s = read_line();
        if (!is_blank(s)) return s;
    }
}

std::optional<std::int32_t> Console::read_free_int() { return parse_free_int(next_nonblank_line()); }
std::optional<double> Console::read_free_real() { return parse_free_real(next_nonblank_line()); }
std::optional<bool> Console::read_free_logical() { return parse_free_logical(next_nonblank_line()); }

std::int32_t Console::ask_free_int(std::string_view prompt) {
    for (;;) {
        text(prompt);
        if (auto v = read_free_int()) return *v;
        line(kUnreadableAnswer);
    }
}

double Console::ask_free_real(std::string_view prompt) {
    for (;;) {
        text(prompt);
        if (auto v = read_free_real()) return *v;
        line(kUnreadableAnswer);
    }
}

bool Console::ask_free_logical(std::string_view prompt) {
    for (;;) {
        text(prompt);
        if (auto v = read_free_logical()) return *v;
        line(kUnreadableAnswer);
    }
}

std::int32_t Console::ask_int_field(std::string_view prompt, int w) {
    for (;;) {
        text(prompt);
        if (auto v = parse_int_field(read_line(), w)) return *v;
        line(kUnreadableAnswer);
    }
}

void Console::pause(std::string_view prompt) {
    text(prompt);
    read_line();
}

void Console::pause_field(std::string_view prompt, int w) {
    for (;;) {
        text(prompt);
        if (parse_int_field(read_line(), w)) return;
    }
}

}  // namespace tarnik
