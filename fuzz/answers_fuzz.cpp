// Fuzz target: the console's answer reading. The input is what a user types:
// every line goes through each answer parser, and the whole input is read as
// standard input by a Console asking free-form, field and logical questions
// until the input ends.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <string_view>

#include "console/answers.h"
#include "console/console.h"
#include "console/errors.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

void parse_line(std::string_view line) {
    using namespace tarnik;
    for (int w = 1; w <= 4; ++w) {
        if (auto v = parse_int_field(line, w)) check(std::abs(static_cast<std::int64_t>(*v)) < 10000);
        if (auto r = parse_real_field(line, w + 2, 2)) check(std::isfinite(*r));
    }
    const double float_max = std::numeric_limits<float>::max();
    if (auto r = parse_free_real(line)) check(std::isfinite(*r) && std::fabs(*r) <= float_max);
    (void)parse_free_int(line);
    (void)parse_free_logical(line);
    check(trim_right(line).size() <= line.size());
    if (line.empty()) check(first_char(line) == ' ' && is_blank(line));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tarnik;
    const std::string input(reinterpret_cast<const char*>(data), size);
    for (std::size_t pos = 0; pos <= input.size();) {
        const std::size_t nl = input.find('\n', pos);
        const std::size_t end = nl == std::string::npos ? input.size() : nl;
        parse_line(std::string_view(input).substr(pos, end - pos));
        pos = end + 1;
    }

    std::FILE* in = fmemopen(const_cast<char*>(input.data()), input.size() + 1, "r");
    std::FILE* out = std::fopen("/dev/null", "w");
    if (in == nullptr || out == nullptr) std::abort();
    Console con(in, out);
    try {
        for (int k = 0;; ++k) {
            switch (k % 5) {
                case 0: (void)con.ask_free_int("int : "); break;
                case 1: (void)con.ask_free_real("real : "); break;
                case 2: (void)con.ask_free_logical("t/f : "); break;
                case 3: (void)con.ask_int_field("field : ", 2); break;
                case 4: con.pause_field("pause : "); break;
            }
        }
    } catch (const EndOfInput&) {
        // Every dialog ends here when the input runs out.
    }
    std::fclose(in);
    std::fclose(out);
    return 0;
}
