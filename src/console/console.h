#pragma once
// The console dialog: every menu, prompt and answer of the program goes through
// one Console, which writes to and reads from C stdio streams (the plotting
// library reads the same stdin when it asks for a file name).
//
// How answers are read:
//  * a prompt is written without a line end, the output is flushed and the
//    answer is the next input line (a trailing CR or CR CR is dropped);
//  * end of input at any prompt throws EndOfInput, which ends the run cleanly;
//  * an answer that cannot be read as the number or logical value the prompt
//    expects, where the dialog has no rule of its own, prints
//    kUnreadableAnswer and asks the same question again (the ask_* helpers).
//    Dialogs with their own rule use read_line() and the parse_* functions.

#include <cstdint>
#include <cstdio>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "console/answers.h"
#include "console/format.h"

namespace tarnik {

// The one message for an answer that cannot be read, shown before the question
// is asked again.
inline constexpr std::string_view kUnreadableAnswer = " That answer cannot be read here. Please try again.";

class Console {
public:
    Console(std::FILE* in, std::FILE* out) : in_(in), out_(out) {}

    // Output.
    void text(std::string_view s);                 // no line end
    void line(std::string_view s = {});            // s and a line end
    void blank(int n = 1);                         // n empty lines
    void flush();
    // A notice the run gives once: s and a line end the first time it comes,
    // nothing afterwards.
    void line_once(std::string_view s);

    // One input line, after flushing the output. Throws EndOfInput at end of input.
    std::string read_line();
    // The prompt, then one input line.
    std::string ask(std::string_view prompt);

    // Free-form answers: empty lines are skipped and the next line read (the
    // prompt is not repeated). An unreadable answer returns no value.
    std::optional<std::int32_t> read_free_int();
    std::optional<double> read_free_real();
    std::optional<bool> read_free_logical();

    // The same, but an unreadable answer prints kUnreadableAnswer and shows the
    // prompt again until a readable answer comes.
    std::int32_t ask_free_int(std::string_view prompt);
    double ask_free_real(std::string_view prompt);
    bool ask_free_logical(std::string_view prompt);
    // Integer field of w columns (blank answer = 0); unreadable: message, prompt again.
    std::int32_t ask_int_field(std::string_view prompt, int w);

    // Pauses. pause(): one line read and ignored. pause_field(): the line is read
    // as a w-column integer field and the prompt is shown again while it cannot be.
    void pause(std::string_view prompt);
    void pause_field(std::string_view prompt, int w = 2);

    std::FILE* out() const { return out_; }
    std::FILE* in() const { return in_; }

private:
    std::string next_nonblank_line();
    std::FILE* in_;
    std::FILE* out_;
    std::set<std::string, std::less<>> said_once_;
};

// The indentation of most menu lines: 13 blanks.
inline std::string menu_indent(std::string_view s) { return fmt::X(13) + std::string(s); }

}  // namespace tarnik
