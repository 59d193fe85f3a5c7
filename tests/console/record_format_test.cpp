#include <gtest/gtest.h>

#include <bit>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "console/format.h"
#include "console/record_format.h"

namespace tarnik::fmt {
namespace {

// Error text of a format that must not parse ("" when it parses).
std::string error_of(std::string_view text, bool input = false) {
    const FormatParse p = input ? RecordFormat::parse_input(text) : RecordFormat::parse(text);
    return p ? std::string() : p.error;
}

TEST(FormatParse, MalformedAndHostileFormatsSayWhatAndWhere) {
    const auto start = std::chrono::steady_clock::now();
    const std::string deep40 = std::string(40, '(') + "i4" + std::string(40, ')');
    const std::string deep32 = std::string(32, '(') + "i4" + std::string(32, ')');
    const std::string too_large = "the format is too large (more than 10000000 edit operations) at column 1";
    const std::string too_large_read = "the format is too large for reading (more than 10000 edit operations) at column 1";
    const std::string no_integer = "the format has no I edit descriptor for the integer at column 1";
    struct Case {
        std::string text;
        bool input;
        std::string message;
    };
    const Case cases[] = {
        {"", false, "the format is empty at column 1"},
        {"i4", false, "a format must begin with '(' at column 1"},
        {"(2x,(i4)", false, "missing ')' at column 9"},
        {"(i4))", false, "unexpected text after the closing parenthesis at column 5"},
        {"(i4,,i4)", false, "unexpected ',' (an edit descriptor is missing) at column 5"},
        {"(2x,q3)", false, "unknown or unsupported edit descriptor 'q' at column 5"},
        {"(i)", false, "expected the width after I at column 3"},
        {"(i0)", false, "the width after I must be at least 1 at column 3"},
        {"(f8)", false, "expected '.' and the number of decimals after F8 at column 4"},
        {"(e10.0)", false, "the number of decimals after E10. must be at least 1 at column 6"},
        {"(i2.5)", false, "I2.5 asks for more digits than its width at column 2"},
        {"(0x,i4)", false, "a repeat count must be at least 1 at column 2"},
        {"(tl0,i4)", false, "the number of columns after TL must be at least 1 at column 4"},
        {"(t,i4)", false, "expected a column number after T at column 3"},
        {"(2t3,i4)", false, "a repeat count cannot stand before T at column 2"},
        {"('abc,i4)", false, "missing closing quote at column 2"},
        {"(3p,f8.3)", false, "scale factors (P) are not supported at column 3"},
        {"(2hab,i4)", false, "Hollerith text (H) is not supported; put the text in quotes at column 3"},
        {"(i4 #)", false, "unexpected character '#' at column 5"},
        {"(i4,\xE2\x89\xA4)", false, "unexpected character (byte 0xE2) at column 5"},
        {"(3,i4)", false, "expected an edit descriptor after the repeat count at column 3"},
        // Limits: huge counts and widths, deep nesting, formats too costly to run.
        {"(2000000000i4)", false, "number too large (at most 1000000) at column 2"},
        {"(t2000000000,i4)", false, "number too large (at most 1000000) at column 3"},
        {deep40, false, "groups nested more than 32 deep at column 33"},
        {deep32, false, ""},
        {"(100(100(100(100(100(100(i1)))))))", false, too_large},
        {"(213270(3270()))", false, too_large},
        {"(1000(1000000x),i4)", false, "the format makes records longer than 10000000 columns at column 1"},
        {"(1x,i4,i10,21000(1x,f8.3))", false, ""},
        // Formats for reading need an integer, no text, and at most 10^4 operations per line.
        {"(20000(),i4)", true, too_large_read},
        {"(1000000(9x),i4)", true, too_large_read},
        {"(1000000(9x),i4)", false, ""},
        {"(4000(9x),i4)", true, ""},
        {"(2x,f4.1)", true, no_integer},
        {"()", true, no_integer},
        {"(2x,'id',i4)", true, "quoted text cannot be read at column 5"},
        {"(2x,'id',i4)", false, ""},
        {"(a,i4)", true, "A needs a width when reading (for example A8) at column 2"},
        {"(a8,f6.2,2x,i4)", true, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(error_of(c.text, c.input), c.message) << c.text;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    EXPECT_THROW(RecordFormat("(i4"), std::invalid_argument);
    EXPECT_THROW(RecordFormat("(1x,'title')").read_integer("12"), std::logic_error);
    EXPECT_THROW(RecordFormat("(a,i4)").read_integer("12"), std::logic_error);
}

TEST(RecordWriter, ItemsMustMatchTheirDescriptors) {
    struct Row {
        const char* format;
        Value item;
        const char* message;
    };
    const Row rows[] = {{"(i4)", 1.5, "item 1 is a real but its edit descriptor is I4"},
                        {"(1x,i3.2)", "x", "item 1 is a text but its edit descriptor is I3.2"},
                        {"(f8.3)", 1, "item 1 is an integer but its edit descriptor is F8.3"},
                        {"(e9.2)", "x", "item 1 is a text but its edit descriptor is E9.2"},
                        {"(d9.2)", "x", "item 1 is a text but its edit descriptor is D9.2"},
                        {"(a4)", 1, "item 1 is an integer but its edit descriptor is A4"}};
    for (const Row& r : rows) {
        try {
            RecordFormat(r.format).write({r.item});
            ADD_FAILURE() << r.format << " took an item of another kind";
        } catch (const std::logic_error& e) {
            EXPECT_EQ(e.what(), "format " + std::string(r.format) + ": " + r.message);
        }
    }
    EXPECT_THROW(RecordFormat("('title')").write({1}), std::logic_error);  // no descriptor at all
    EXPECT_THROW(RecordFormat("(i4,2('a'))").write({1, 2}), std::logic_error);  // none after reversion
    EXPECT_EQ(RecordFormat("(i4)").write({std::int16_t{7}}), "   7\n");
    EXPECT_EQ(RecordFormat("(f4.1)").write({2.25f}), " 2.2\n");
    std::string out = "previous line\n";  // positions count from the start of the record
    RecordFormat("(t3,a,/,t2,a)").write_to(out, std::vector<Value>{"x", "y"});
    EXPECT_EQ(out, "previous line\n  x\n y\n");
    // A year never becomes asterisks: its field alone widens, the rest of the
    // record moves right; other integers keep their width.
    out.clear();
    const RecordFormat row("(1x,2(i4,1x,f7.3,3x))");
    RecordWriter years(row, out);
    years.put_year(-2649);
    years.put(1.5);
    years.put_year(1950);
    years.put(2.0);
    years.finish();
    EXPECT_EQ(out, " -2649   1.500   1950   2.000\n");
    EXPECT_EQ(row.write({-2649, 1.5}), " ****   1.500\n");
    EXPECT_EQ(fmt::IY(-2649, 4) + fmt::IY(-5, 4) + fmt::NINTY(-2648.6, 4) + fmt::NINTY(1e12, 4), "-2649  -5-2649****");
    EXPECT_EQ(fmt::FY(-2650.0, 8, 3) + fmt::FY(1990.0, 8, 3) + fmt::FY(-2640.0, 5, 0) + fmt::FY(1e30, 8, 3),
              "-2650.0001990.000-2640.********");
    const RecordFormat i2("(i2)");
    RecordWriter w(i2, out);
    w.put(1);
    w.finish();
    EXPECT_THROW(w.put(2), std::logic_error);
}

// read_integer with the lines after the first taken from a list.
IntegerRead read(std::string_view format, std::vector<std::string> lines) {
    const FormatParse p = RecordFormat::parse_input(format);
    EXPECT_TRUE(p) << p.error;
    if (!p) return {};
    std::size_t next = 1;
    return p.format->read_integer(lines.at(0), [&]() -> std::optional<std::string> {
        if (next < lines.size()) return lines[next++];
        return std::nullopt;
    });
}

TEST(RecordReader, SlashesTakeNewLinesUpToTheEndOfInput) {
    using S = IntegerRead::Status;
    IntegerRead r = read("(2/i3)", {"a", "b", " 24", "unused"});
    EXPECT_TRUE(r.status == S::ok && r.value == 24 && r.lines_used == 3);
    EXPECT_EQ(read("(/i3)", {"title"}).status, S::end_of_input);
    EXPECT_EQ(RecordFormat::parse_input("(/i3)").format->read_integer("no source").status, S::end_of_input);
    // A '/' after the value asks for a line too; its absence does not undo the value.
    r = read("(i3/)", {" 33"});
    EXPECT_TRUE(r.status == S::ok && r.value == 33 && r.input_ended);
    r = read("(i3/)", {" 33", "skipped"});
    EXPECT_TRUE(!r.input_ended && r.lines_used == 2);
}

TEST(RecordReader, ACommaEndsANumericFieldOnly) {
    EXPECT_EQ(read("(f10.0,i2)", {"1.5,42"}).value, 42);  // a comma ends the real field
    EXPECT_EQ(read("(a4,i2)", {"a,b,42"}).value, 42);     // but not a text field
}

TEST(RecordReader, BadFieldsSayWhereAndWhy) {
    using S = IntegerRead::Status;
    IntegerRead r = read("(2x,i3)", {"ab1x5"});
    EXPECT_EQ(r.status, S::bad_field);
    EXPECT_EQ(r.message, "the field in columns 3-5 (\"1x5\") is not an integer");
    EXPECT_EQ(read("(i11)", {"99999999999"}).message,
              "the field in columns 1-11 (\"99999999999\") is outside the integer range");
    EXPECT_EQ(read("(i1)", {"x"}).message, "the field in column 1 (\"x\") is not an integer");
    EXPECT_EQ(read("(i4)", {"  - "}).status, S::bad_field);  // a sign alone is no number
}

TEST(RecordReader, HostilePositionsAndWidthsStayCheap) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(read("(1000000x,i4)", {"12"}).value, 0);
    EXPECT_EQ(read("(tl1000000,i4)", {"  12"}).value, 12);
    EXPECT_EQ(read("(i1000000)", {"  12"}).value, 12);
    EXPECT_EQ(read("(40(100(tr100)),t1000000,tl999999,i2)", {"42"}).value, 42);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
}

// The shortcut of put_F (an exact 128-bit integer rounding) must give the same
// bytes as the C library's conversion of the exact binary value.
TEST(FixedPoint, ShortcutAgreesWithExactConversion) {
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::string fast, exact;
    auto check = [&](double v, int w, int d) {
        fast.clear();
        exact.clear();
        put_F(fast, v, w, d);
        detail::put_F_exact(exact, v, w, d);
        EXPECT_EQ(fast, exact) << "F" << w << "." << d << " of " << std::hexfloat << v;
        return fast == exact;
    };
    for (int k = 0; k < 600'000; ++k) {
        double v;
        switch (k % 4) {
            case 0:  // any float of the shortcut's range, from the smallest subnormal up
                do v = std::bit_cast<float>(static_cast<std::uint32_t>(rng())); while (!(std::fabs(v) < 1e18));
                break;
            case 1: v = static_cast<float>(static_cast<int>(rng() % 2'000'001) - 1'000'000) / 1000.0f; break;
            case 2: v = static_cast<double>(rng() % 1'000'000) / static_cast<double>(std::uint64_t{1} << (rng() % 40)); break;
            default: v = std::pow(10.0, -20.0 + 40.0 * u(rng)); break;  // doubles
        }
        if (!check((rng() & 1) ? -v : v, 1 + static_cast<int>(rng() % 40), static_cast<int>(rng() % 18))) return;
    }
    for (int w = 1; w <= 12; ++w)
        for (int d = 0; d <= 8; ++d)
            for (double v : {-0.0, 0.5, -0.5, 0.125, 2.5, 9.9995, 999.9995, 4.9e-324, 0.99999999}) check(v, w, d);
}

// read_numbers over a list of lines: the fields taken (text and decimals), the
// status and message, and the lines used.
struct Numbers {
    std::vector<std::string> fields;
    NumbersRead result;
};
Numbers numbers(std::string_view format, std::vector<std::string> lines, std::int64_t count,
                std::string_view refuse = "\x01") {
    Numbers n;
    const FormatParse p = RecordFormat::parse_numbers(format);
    EXPECT_TRUE(p) << p.error;
    if (!p) return n;
    std::size_t next = 1;
    n.result = p.format->read_numbers(
        lines.at(0),
        [&]() -> std::optional<std::string> {
            if (next < lines.size()) return lines[next++];
            return std::nullopt;
        },
        count,
        [&](std::string_view field, int decimals) -> std::string {
            if (field == refuse) return "is refused";
            n.fields.push_back(std::string(field) + "/" + std::to_string(decimals));
            return {};
        });
    return n;
}

TEST(RecordReader, NumbersFollowTheFormatOverLines) {
    using S = NumbersRead::Status;
    // Fields past the end of a line are blank; the format starts again on the next line.
    Numbers n = numbers("(3F3.1)", {"104 89103", " 70 6", "  1"}, 5);
    EXPECT_EQ(n.fields, (std::vector<std::string>{"104/1", " 89/1", "103/1", " 70/1", " 6/1"}));
    EXPECT_TRUE(n.result.status == S::ok && n.result.lines_used == 2);
    // Resumes at the last top-level group; I fields have no decimals; A fields and X are skipped.
    n = numbers("(a2,i2,2(1x,f2.0))", {"ab12 34 56", " 78 90"}, 5);
    EXPECT_EQ(n.fields, (std::vector<std::string>{"12/0", "34/0", "56/0", "78/0", "90/0"}));
    EXPECT_EQ(n.result.lines_used, 2);
    // '/' and T; a comma ends a field; the end of the format starts a new line too.
    n = numbers("(t3,f5.2/t2,f2.0)", {"xx1,x", " 7", "xx  5", "unused"}, 3);
    EXPECT_EQ(n.fields, (std::vector<std::string>{"1/2", "7/0", "  5/2"}));
    EXPECT_EQ(n.result.lines_used, 3);
    n = numbers("(2f3.0)", {"  1  2"}, 3);
    EXPECT_EQ(n.result.status, S::end_of_input);
    EXPECT_EQ(n.result.message, "the input ends after 2 of 3 numbers");
    n = numbers("(2f3.0)", {"  1  x", "  3"}, 3, "  x");
    EXPECT_EQ(n.result.status, S::bad_field);
    EXPECT_EQ(n.result.message, "the field in columns 4-6 (\"  x\") is refused");
    EXPECT_EQ(numbers("(f3.0)", {"1"}, 0).result.lines_used, 1);

    EXPECT_EQ(error_of("(26F3.0)", false), "");
    for (const auto& [text, message] : std::vector<std::pair<std::string, std::string>>{
             {"(2x,'n',f3.0)", "quoted text cannot be read at column 5"},
             {"(a,f3.0)", "A needs a width when reading (for example A8) at column 2"},
             {"(f3.0,2(1x,a2))", "the format has no I, F, E or D edit descriptor for the numbers at column 1"},
             {"(20000(f1.0))", "the format is too large for reading (more than 10000 edit operations) at column 1"}}) {
        const FormatParse p = RecordFormat::parse_numbers(text);
        EXPECT_EQ(p ? std::string() : p.error, message) << text;
    }
    EXPECT_THROW(RecordFormat("(i4,2(1x,a2))").read_numbers("1", {}, 1, {}), std::logic_error);
}

// Numeric fields are compared with the Fortran runtime in fortran_oracle_test.cpp.
TEST(Text, AJustifiesRightOrCuts) {
    EXPECT_EQ(A("abc", 5), "  abc");
    EXPECT_EQ(A("abcdef", 4), "abcd");
}

TEST(Text, PadFillsOnTheRightAndNeverCuts) {
    EXPECT_EQ(pad("abcdef", 4), "abcdef");
    EXPECT_EQ(pad("ab", 4), "ab  ");
}

}  // namespace
}  // namespace tarnik::fmt
