// Fuzz target: the record-format interpreter. The first line of the input is a
// format text; the first byte after it chooses what is done with the rest:
//   even: parse_input and read_integer over the remaining lines, and
//         parse_numbers and read_numbers of up to 255 numbers (the second
//         byte) over them;
//   odd:  parse and write items generated from the remaining bytes (integers,
//         reals, texts) with RecordWriter, stopping at the first item the format
//         has no descriptor of that kind for.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "console/record_format.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

// Bytes taken from the front of the input.
struct Bytes {
    std::string_view s;
    bool empty() const { return s.empty(); }
    std::uint8_t byte() {
        if (s.empty()) return 0;
        const auto b = static_cast<std::uint8_t>(s.front());
        s.remove_prefix(1);
        return b;
    }
    template <class T>
    T take() {
        T v{};
        unsigned char buf[sizeof(T)] = {};
        for (auto& b : buf) b = byte();
        std::memcpy(&v, buf, sizeof(T));
        return v;
    }
};

void write_items(const tarnik::fmt::RecordFormat& f, Bytes in) {
    using namespace tarnik::fmt;
    std::string out;
    RecordWriter w(f, out);
    int items = 0;
    try {
        // A few items: the format alone may make records of up to 10^7 columns.
        while (!in.empty() && items < 12 && out.size() < (std::size_t{1} << 25)) {
            switch (in.byte() % 5) {
                case 0: w.put(in.take<std::int64_t>()); break;
                case 1: w.put(static_cast<std::int32_t>(in.take<std::int16_t>())); break;
                case 2: w.put(in.take<double>()); break;
                case 3: w.put(static_cast<float>(in.take<std::int32_t>()) / 1000.0f); break;
                case 4: {
                    const std::size_t n = in.byte() % 24;
                    std::string text;
                    for (std::size_t k = 0; k < n && !in.empty(); ++k) text += static_cast<char>(in.byte());
                    w.put(text);
                    break;
                }
            }
            ++items;
        }
        w.finish();
    } catch (const std::logic_error&) {
        // An item of a kind the format has no descriptor for: a programming
        // error of the caller, reported as such.
        return;
    }
    // Without '$' every write ends its last record.
    if (f.text().find('$') == std::string::npos) check(!out.empty() && out.back() == '\n');
}

void read_lines(const tarnik::fmt::RecordFormat& f, std::string_view rest) {
    using namespace tarnik::fmt;
    auto next_line = [&rest]() -> std::optional<std::string> {
        if (rest.empty()) return std::nullopt;
        const std::size_t nl = rest.find('\n');
        std::string line(rest.substr(0, nl));
        rest.remove_prefix(nl == std::string_view::npos ? rest.size() : nl + 1);
        return line;
    };
    for (int records = 0; records < 64; ++records) {
        auto first = next_line();
        if (!first) break;
        const IntegerRead r = f.read_integer(*first, next_line);
        check(r.lines_used >= 1);
        if (r.status == IntegerRead::Status::bad_field) check(!r.message.empty());
        if (r.status == IntegerRead::Status::end_of_input) break;
    }
}

// Numbers of the format over the lines of `rest`, as the compact reader reads them.
void read_numbers(const tarnik::fmt::RecordFormat& f, std::string_view rest, std::int64_t count) {
    using namespace tarnik::fmt;
    const std::size_t nl = rest.find('\n');
    const std::string first(rest.substr(0, nl));
    rest.remove_prefix(nl == std::string_view::npos ? rest.size() : nl + 1);
    int lines = 1;
    std::int64_t taken = 0;
    const NumbersRead r = f.read_numbers(
        first,
        [&]() -> std::optional<std::string> {
            if (rest.empty()) return std::nullopt;
            const std::size_t end = rest.find('\n');
            std::string line(rest.substr(0, end));
            rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
            ++lines;
            return line;
        },
        count,
        [&](std::string_view field, int decimals) -> std::string {
            check(decimals >= 0);
            ++taken;
            return field.find('x') == std::string_view::npos ? std::string() : "holds an x";
        });
    check(r.lines_used == lines);
    if (r.status == NumbersRead::Status::ok) check(taken == count);
    else check(!r.message.empty() && taken <= count);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tarnik::fmt;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t nl = input.find('\n');
    const std::string_view text = input.substr(0, nl);
    Bytes rest{nl == std::string_view::npos ? std::string_view{} : input.substr(nl + 1)};
    const bool write = (rest.byte() & 1) != 0;

    const FormatParse any = RecordFormat::parse(text);
    check(any.format.has_value() == any.error.empty());
    const FormatParse in = RecordFormat::parse_input(text);
    check(in.format.has_value() == in.error.empty());
    // Every format fit for reading is a format.
    if (in) check(any.format.has_value());

    if (write) {
        if (any) write_items(*any.format, rest);
    } else {
        if (in) read_lines(*in.format, rest.s);
        const FormatParse numbers = RecordFormat::parse_numbers(text);
        check(numbers.format.has_value() == numbers.error.empty());
        if (numbers) read_numbers(*numbers.format, rest.s.substr(rest.s.empty() ? 0 : 1),
                                  rest.s.empty() ? 1 : static_cast<unsigned char>(rest.s[0]));
    }
    return 0;
}
