#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "console/record_format.h"

namespace tarnik::fmt {
namespace {

// Error text of a format that must not parse ("" when it parses).
std::string error_of(std::string_view text, bool input = false) {
    const FormatParse p = input ? RecordFormat::parse_input(text) : RecordFormat::parse(text);
    return p ? std::string() : p.error;
}

TEST(FormatParse, MalformedFormatsSayWhatAndWhere) {
    struct Case {
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"", "the format is empty at column 1"},
        {"i4", "a format must begin with '(' at column 1"},
        {"(i4", "missing ')' at column 4"},
        {"(2x,(i4)", "missing ')' at column 9"},
        {"(i4))", "unexpected text after the closing parenthesis at column 5"},
        {"(,i4)", "unexpected ',' (an edit descriptor is missing) at column 2"},
        {"(i4,,i4)", "unexpected ',' (an edit descriptor is missing) at column 5"},
        {"(2x,q3)", "unknown or unsupported edit descriptor 'q' at column 5"},
        {"(i)", "expected the width after I at column 3"},
        {"(i0)", "the width after I must be at least 1 at column 3"},
        {"(f8)", "expected '.' and the number of decimals after F8 at column 4"},
        {"(e10.0)", "the number of decimals after E10. must be at least 1 at column 6"},
        {"(i2.5)", "I2.5 asks for more digits than its width at column 2"},
        {"(0x,i4)", "a repeat count must be at least 1 at column 2"},
        {"(tl0,i4)", "the number of columns after TL must be at least 1 at column 4"},
        {"(t,i4)", "expected a column number after T at column 3"},
        {"(2t3,i4)", "a repeat count cannot stand before T at column 2"},
        {"('abc,i4)", "missing closing quote at column 2"},
        {"(3p,f8.3)", "scale factors (P) are not supported at column 3"},
        {"(2hab,i4)", "Hollerith text (H) is not supported; put the text in quotes at column 3"},
        {"(i4 #)", "unexpected character '#' at column 5"},
        {"(i4,\xE2\x89\xA4)", "unexpected character (byte 0xE2) at column 5"},
        {"(3,i4)", "expected an edit descriptor after the repeat count at column 3"},
    };
    for (const Case& c : cases) EXPECT_EQ(error_of(c.text), c.message) << c.text;
}

TEST(FormatParse, HostileFormatsAreRejectedQuicklyWithoutHugeAllocations) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(error_of("(2000000000i4)"), "number too large (at most 1000000) at column 2");
    EXPECT_EQ(error_of("(i2147483648)"), "number too large (at most 1000000) at column 3");
    EXPECT_EQ(error_of("(99999999999999999999999999x,i4)"), "number too large (at most 1000000) at column 2");
    EXPECT_EQ(error_of("(t2000000000,i4)"), "number too large (at most 1000000) at column 3");
    EXPECT_EQ(error_of(std::string(40, '(') + "i4" + std::string(40, ')')), "groups nested more than 32 deep at column 33");
    EXPECT_EQ(error_of("(1000000(1000000(tl1)),i4)"),
              "the format is too large (more than 10000000 edit operations) at column 1");
    EXPECT_EQ(error_of("(1000(1000000x),i4)"), "the format makes records longer than 10000000 columns at column 1");
    EXPECT_EQ(error_of("(100(100(100(100(100(100(i1)))))))"),
              "the format is too large (more than 10000000 edit operations) at column 1");
    EXPECT_EQ(error_of("(213270(3270()))"), "the format is too large (more than 10000000 edit operations) at column 1");
    EXPECT_EQ(error_of("(20000(),i4)", true),
              "the format is too large for reading (more than 10000 edit operations) at column 1");
    // Nesting up to the limit and the repeat counts of the export layouts are fine.
    EXPECT_EQ(error_of(std::string(32, '(') + "i4" + std::string(32, ')')), "");
    EXPECT_EQ(error_of("(1x,i4,i10,21000(1x,f8.3))"), "");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
}

// Random text made of the notation's own characters: every format either parses
// or gets a one-line message, and whatever parses can be written and read
// without anything but the documented logic_error for unmatched items.
TEST(FormatParse, RandomTextNeverCrashesOrHangs) {
    std::mt19937 rng(3);
    const std::string alphabet = "()((ixfedatlrXIT/$:,,'\"0123456789 .pq-#";
    int parsed = 0;
    for (int k = 0; k < 30000; ++k) {
        std::string text = (rng() % 4 != 0) ? "(" : "";
        const int len = 1 + static_cast<int>(rng() % 24);
        for (int i = 0; i < len; ++i) text += alphabet[rng() % alphabet.size()];
        if (rng() % 2) text += ")";
        const FormatParse p = RecordFormat::parse(text);
        if (!p) {
            EXPECT_FALSE(p.error.empty()) << text;
            EXPECT_EQ(p.error.find('\n'), std::string::npos) << text;
            continue;
        }
        ++parsed;
        try {
            const std::string out = p.format->write({1, 2.5, "ab", 3});
            EXPECT_LT(out.size(), 100'000'000u) << text;
        } catch (const std::logic_error&) {
        }
        const FormatParse in = RecordFormat::parse_input(text);
        if (in) {
            const IntegerRead r = in.format->read_integer("  12 -3,4 abc", [] { return std::optional<std::string>("7 8"); });
            EXPECT_GE(r.lines_used, 1) << text;
        }
    }
    EXPECT_GT(parsed, 100);
}

TEST(FormatParse, ReadingFormatsNeedAnIntegerAndNoText) {
    EXPECT_EQ(error_of("(2x,f4.1)", true), "the format has no I edit descriptor for the integer at column 1");
    EXPECT_EQ(error_of("()", true), "the format has no I edit descriptor for the integer at column 1");
    EXPECT_EQ(error_of("(2x,'id',i4)", true), "quoted text cannot be read at column 5");
    EXPECT_EQ(error_of("(a,i4)", true), "A needs a width when reading (for example A8) at column 2");
    EXPECT_EQ(error_of("(a8,f6.2,2x,i4)", true), "");
    EXPECT_EQ(error_of("(2x,'id',i4)"), "");  // fine for writing
    // Read once per line of a file: a pass of more than 10^4 operations is refused.
    EXPECT_EQ(error_of("(4000(9x),i4)", true), "");
    EXPECT_EQ(error_of("(1000000(9x),i4)", true),
              "the format is too large for reading (more than 10000 edit operations) at column 1");
    EXPECT_EQ(error_of("(1000000(9x),i4)"), "");
    EXPECT_THROW(RecordFormat("(1x,'title')").read_integer("12"), std::logic_error);
}

TEST(RecordWriter, ItemsMustMatchTheirDescriptorsAndFormatsTheirItems) {
    EXPECT_THROW(RecordFormat("(i4)").write({1.5}), std::logic_error);
    EXPECT_THROW(RecordFormat("(f8.3)").write({1}), std::logic_error);
    EXPECT_THROW(RecordFormat("(a)").write({1}), std::logic_error);
    EXPECT_THROW(RecordFormat("(i4)").write({"x"}), std::logic_error);
    EXPECT_THROW(RecordFormat("('title')").write({1}), std::logic_error);  // no descriptor at all
    EXPECT_THROW(RecordFormat("(i4,2('a'))").write({1, 2}), std::logic_error);  // none after reversion
    EXPECT_THROW(RecordFormat("(i4"), std::invalid_argument);
    EXPECT_EQ(RecordFormat("(i4)").write({std::int16_t{7}}), "   7\n");
    EXPECT_EQ(RecordFormat("(f4.1)").write({2.25f}), " 2.2\n");

    std::string out;
    const RecordFormat two("(i2)");
    RecordWriter w(two, out);
    w.put(1);
    w.finish();
    EXPECT_THROW(w.put(2), std::logic_error);
}

TEST(RecordWriter, RowsWiderThanTheirGroupContinueInTheSameSteps) {
    // The column table: 21000 series per record, then the rest in 9-column steps.
    const RecordFormat row("(1x,i4,i10,21000(1x,f8.3))");
    std::string out;
    RecordWriter w(row, out);
    w.put(1900);
    w.put(22000);
    for (int k = 0; k < 22000; ++k) w.put(static_cast<float>(k % 1000) / 8.0f);
    w.finish();
    const auto first_end = out.find('\n');
    ASSERT_NE(first_end, std::string::npos);
    EXPECT_EQ(first_end, 15u + 21000u * 9u);
    const std::string second = out.substr(first_end + 1);
    EXPECT_EQ(second.size(), 1000u * 9u + 1u);
    EXPECT_EQ(second.substr(0, 18), "    0.000    0.125");  // series 21001 = 21000 % 1000 / 8
    EXPECT_EQ(second.back(), '\n');
}

TEST(RecordWriter, PositionsCountFromTheStartOfTheRecordInAnyBuffer) {
    std::string out = "previous line\n";
    RecordFormat("(t3,a,/,t2,a)").write_to(out, std::vector<Value>{"x", "y"});
    EXPECT_EQ(out, "previous line\n  x\n y\n");
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

TEST(RecordReader, NewLinesAndTheEndOfTheInput) {
    IntegerRead r = read("(2/i3)", {"a", "b", " 24", "unused"});
    EXPECT_EQ(r.status, IntegerRead::Status::ok);
    EXPECT_EQ(r.value, 24);
    EXPECT_EQ(r.lines_used, 3);

    r = read("(/i3)", {"title"});
    EXPECT_EQ(r.status, IntegerRead::Status::end_of_input);
    r = RecordFormat::parse_input("(/i3)").format->read_integer("no source");
    EXPECT_EQ(r.status, IntegerRead::Status::end_of_input);

    // A '/' after the value asks for a line too; its absence does not undo the value.
    r = read("(i3/)", {" 33"});
    EXPECT_EQ(r.status, IntegerRead::Status::ok);
    EXPECT_EQ(r.value, 33);
    EXPECT_TRUE(r.input_ended);
    r = read("(i3/)", {" 33", "skipped"});
    EXPECT_FALSE(r.input_ended);
    EXPECT_EQ(r.lines_used, 2);
}

TEST(RecordReader, FieldsBeforeTheIntegerAreSkippedAndLineEndsIgnored) {
    EXPECT_EQ(read("(a8,f6.2,i4)", {"ABCDEFGH 12.5  17"}).value, 17);
    EXPECT_EQ(read("(f10.0,i2)", {"1.5,42"}).value, 42);  // a comma ends the real field
    EXPECT_EQ(read("(a4,i2)", {"a,b,42"}).value, 42);     // but not a text field
    EXPECT_EQ(read("(i4)", {"12\r\r"}).value, 12);
    EXPECT_EQ(read("(i4)", {"  7\r"}).value, 7);
    EXPECT_EQ(read("(2x,i3)", {"  15\r\n"}).value, 15);
}

TEST(RecordReader, BadFieldsAreReportedWithTheirColumns) {
    IntegerRead r = read("(2x,i3)", {"ab1x5"});
    EXPECT_EQ(r.status, IntegerRead::Status::bad_field);
    EXPECT_EQ(r.message, "the field in columns 3-5 (\"1x5\") is not an integer");
    r = read("(i11)", {"99999999999"});
    EXPECT_EQ(r.status, IntegerRead::Status::bad_field);
    EXPECT_EQ(r.message, "the field in columns 1-11 (\"99999999999\") is outside the integer range");
    r = read("(i1)", {"x"});
    EXPECT_EQ(r.message, "the field in column 1 (\"x\") is not an integer");
    // A sign with nothing after it is no number, whether or not blanks follow.
    EXPECT_EQ(read("(i4)", {"-"}).status, IntegerRead::Status::bad_field);
    EXPECT_EQ(read("(i4)", {"  - "}).status, IntegerRead::Status::bad_field);
}

TEST(RecordReader, HostilePositionsAndWidthsStayCheap) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(read("(1000000x,i4)", {"12"}).value, 0);
    EXPECT_EQ(read("(tl1000000,i4)", {"  12"}).value, 12);
    EXPECT_EQ(read("(i1000000)", {"  12"}).value, 12);
    EXPECT_EQ(read("(40(100(tr100)),t1000000,tl999999,i2)", {"42"}).value, 42);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
}

}  // namespace
}  // namespace tarnik::fmt
