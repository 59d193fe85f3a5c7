// Compares the record writer and reader with the Fortran runtime itself: a
// Fortran program is generated, compiled with gfortran and run on the same
// formats and values, and every line it writes must equal ours. gfortran is a
// build dependency of the test suite, so a missing compiler fails the test.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <sstream>

#include "console/format.h"
#include "console/record_format.h"
#include "support/test_support.h"

namespace tarnik::fmt {
namespace {

struct Single {  // one value written with a one-descriptor format such as "(f8.3)"
    std::string format;
    char kind;             // 'f' real(4), 'd' real(8), 'i' integer(8)
    std::int64_t payload;  // bits of the real, or the integer
};
struct Multi {
    std::string format;
    std::vector<Value> items;
};
struct ReadCase {  // a format and the lines it reads from
    std::string format;
    std::vector<std::string> lines;
};

constexpr double kInf = std::numeric_limits<double>::infinity();

// Any bit pattern, wide exponents, data like 1.234, binary ties and values just
// below a decimal tie, and the special values.
double random_value(std::mt19937_64& rng, bool single) {
    const double sign = (rng() & 1) ? -1.0 : 1.0, u = std::uniform_real_distribution<double>(0.0, 1.0)(rng);
    double v;
    switch (rng() % 6) {
        case 0:
            do v = single ? std::bit_cast<float>(static_cast<std::uint32_t>(rng())) : std::bit_cast<double>(rng());
            while (!std::isfinite(v));
            return v;
        case 1: return sign * std::pow(10.0, single ? -10.0 + 22.0 * u : -320.0 + 628.0 * u);
        case 2: return static_cast<float>(static_cast<int>(rng() % 199999) - 99999) / 1000.0f;
        case 3: return sign * static_cast<double>(rng() % 4096) / static_cast<double>(1 << (rng() % 12));
        case 4: return sign * std::nextafter(static_cast<float>(rng() % 1000) + 0.5f, 0.0f);
        default: {
            const double special[] = {0.0, 0.5, 0.125, 9.9995, 99999.9999, kInf, std::nan(""), 1e-45, 3.4e38, 1e-30};
            return sign * special[rng() % std::size(special)];
        }
    }
}

std::vector<Single> single_cases() {
    std::mt19937_64 rng(20240611);
    std::vector<Single> cases;
    auto add_real = [&](char letter, int w, int d, bool single, double v) {
        const std::string f = "(" + std::string(1, letter) + std::to_string(w) + "." + std::to_string(d) + ")";
        if (single) cases.push_back({f, 'f', std::bit_cast<std::int32_t>(static_cast<float>(v))});
        else cases.push_back({f, 'd', std::bit_cast<std::int64_t>(v)});
    };
    for (int k = 0; k < 14000; ++k) {  // F, E and D of single and double reals, mostly narrow fields
        const char letter = "ffed"[k % 4];
        const bool single = k % 3 != 0;
        const int w = 1 + static_cast<int>(rng() % (k % 5 == 0 ? 45 : 14));
        const int d = letter == 'f' ? static_cast<int>(rng() % static_cast<unsigned>(std::min(w, 22) + 1))
                                    : 1 + static_cast<int>(rng() % static_cast<unsigned>(std::min(w, 16)));
        add_real(letter, w, d, single, random_value(rng, single));
    }
    // Ties, signed zeros, overflow asterisks, the D exponent of the layouts, three-digit exponents.
    add_real('f', 5, 2, true, 0.125), add_real('f', 4, 2, true, -0.125), add_real('f', 5, 2, true, -0.001);
    add_real('f', 3, 0, true, 0.5), add_real('f', 3, 0, true, 2.5), add_real('f', 2, 0, true, -0.4);
    add_real('f', 8, 3, true, 12345.678), add_real('f', 8, 3, true, -0.0), add_real('d', 17, 10, false, 30.0);
    add_real('e', 12, 4, false, 1e-100), add_real('d', 12, 4, false, -1e-300), add_real('e', 12, 4, false, 5e-324);
    for (int w = 1; w <= 10; ++w)
        add_real('f', w, 1, true, kInf), add_real('f', w, 1, true, -kInf), add_real('e', w, 1, true, std::nan(""));
    for (int k = 0; k < 2500; ++k) {  // I and I.m
        auto v = static_cast<std::int64_t>(rng() % static_cast<std::uint64_t>(std::pow(10.0, rng() % 19) + 1));
        const int w = 1 + static_cast<int>(rng() % 21);
        std::string f = "(i" + std::to_string(w);
        if (k % 4 == 0) f += "." + std::to_string(rng() % static_cast<unsigned>(w + 1));
        cases.push_back({f + ")", 'i', (rng() & 1) ? -v : v});
    }
    for (const char* f : {"(i1)", "(i5.0)", "(i4.4)"})
        for (std::int64_t v : {0LL, -7LL, 1000LL, 9223372036854775807LL, -9223372036854775807LL - 1})
            cases.push_back({f, 'i', v});
    return cases;
}

std::vector<Multi> multi_cases() {
    using V = std::vector<Value>;
    return {
        // Layouts of the export files and dialogs.
        {"(1x,i4,i10,3(1x,f8.3))", V{1900, 3, 1.0, -0.5, 12345.678, 0.0005, 5.0}},
        {"(a6,i4,10(i4,i3))", V{"CLD  7", 1870, 9990, 0, 1234, 1, -999, 1, 10000, 1}},
        {"(1x,100('YEAR',i4,'-',i4,2x))", V{1, 5, 6, 10}},
        {"(/1x,'Age class ',i4,' Start= ',i4,'Stop= ',i4)", V{1, 1, 20}},
        {"(1x,2i8,5f8.3,i8)", V{1, 2, 1.0, 2.0, 3.0, 4.0, 5.0, 6, 7, 8}},
        // Positioning and the end of a record.
        {"(a,5x)", V{"abc"}}, {"(a,5x,a)", V{"abc", "d"}}, {"(a,t20)", V{"abc"}}, {"(a,t20,tl18)", V{"abcdef"}},
        {"(a,tl2,a)", V{"abcdef", "X"}}, {"(a,t10,a,t3,a)", V{"abcdef", "X", "Y"}}, {"(a,tl30,a)", V{"abcdef", "Z"}},
        {"(a,5x,tl3,a)", V{"abc", "d"}}, {"(a,t3,tr2,a)", V{"abcdefgh", "X"}}, {"(f8.3,tl4,i2)", V{1.5, 7}},
        {"(i4,tl2,f6.2)", V{7, 1.5}}, {"(a,5x,/,a)", V{"abc", "z"}},
        // Records, reversion into the last group and running out of items.
        {"(a//a)", V{"x", "y"}}, {"(a,2/a)", V{"x", "y"}}, {"()", V{}}, {"(i4,3x,'a',t20,'b',i4)", V{1}},
        {"(a,:,'lit',i4)", V{"x"}}, {"(i2,3(i3,2(i1)),i2)", V{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}},
        {"(i2,(i3),i2)", V{1, 2, 3, 4, 5, 6, 7}}, {"(3(1x,a),'end')", V{"a", "b", "c", "d", "e"}},
        {"(i3,2(/i3))", V{1, 2, 3, 4, 5, 6, 7}}, {"(3(i2,:,','))", V{1, 2, 3}},
        // Prompts without a line end, texts and literals, blanks inside the format.
        {"(a,i4,$)", V{"x"}}, {"(1x,'Enter Selection : ',$)", V{}}, {"(a5,a2,a)", V{"abc", "xyz", "q"}},
        {"(2x,'it''s',\"dq\"\"x\")", V{}}, {"(A,I3,F6.2,E12.4,D12.4,I5.3)", V{"mixed", 42, 3.14159, -0.000123, 6.02e23, 7}},
        {"(1x, 2 i4 , 1 0x, f8.3)", V{1, 2, 2.5}},
    };
}

std::vector<ReadCase> read_cases() {
    std::vector<ReadCase> r;
    for (const char* line : {"  12", " 1 2", "-  5", "+7", "-", "", "1-2", "12a", " 1.0", "\t12", "1\r", "12345"})
        r.push_back({"(i4)", {line}});
    for (const char* line : {"-2147483648", "-2147483649", "2147483648", "   -0000000012"}) r.push_back({"(i11)", {line}});
    const ReadCase more[] = {
        {"(2x,i3)", {"xy15"}},  {"(t10,i3)", {"x"}},           {"(3x,tl2,i3)", {"12345"}}, {"(tl5,i3)", {"12345"}},
        {"(i2,tl2,i4)", {"1234"}}, {"(i3)", {"1,2"}},          {"(i1)", {","}},            {"(t4,tl2,tr1,i2)", {"123456"}},
        {"(/2x,i3)", {"12345", "ab-17"}}, {"(t2,/,tr1,i2)", {"zzz", "x42"}}, {"(2x i3)", {"ab 15"}}, {"(3(1x),i2)", {"abc12"}},
        {"(:,i2,:,i3)", {"12345"}},
    };
    r.insert(r.end(), std::begin(more), std::end(more));
    return r;
}

std::string fortran_item(const Value& v) {
    return std::visit(
        [](const auto& x) -> std::string {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, std::int64_t>) return std::to_string(x) + "_8";
            else if constexpr (std::is_same_v<T, double>) {
                char buf[64];
                std::snprintf(buf, sizeof buf, "%.17g", x);
                std::string s = buf;
                const auto e = s.find('e');
                return "(" + (e == std::string::npos ? s + "d0" : s.replace(e, 1, "d")) + ")";
            } else {
                std::string r = "'";
                for (char c : x) r += c == '\'' ? std::string("''") : std::string(1, c);
                return r + "'";
            }
        },
        v.get());
}

std::string fortran_program(const std::vector<Multi>& multi) {
    std::ostringstream src;
    src << R"(program oracle
  implicit none
  character(len=80) :: f
  character(len=1) :: k
  integer(8) :: p
  integer :: n, ios
  open(10, file='single.txt', status='old', action='read')
  open(11, file='single.out', status='replace', action='write')
  do
    read(10, '(a)', iostat=ios) f
    if (ios /= 0) exit
    read(10, '(a1,1x,i20)') k, p
    if (k == 'f') write(11, f) transfer(int(p, 4), 1.0_4)
    if (k == 'd') write(11, f) transfer(p, 1.0_8)
    if (k == 'i') write(11, f) p
  end do
  open(13, file='reads.txt', status='old', action='read')
  open(14, file='reads.out', status='replace', action='write')
  do
    read(13, '(a)', iostat=ios) f
    if (ios /= 0) exit
    n = -777
    read(13, f, iostat=ios) n
    if (ios == 0) write(14, '(a,i0)') 'OK ', n
    if (ios /= 0) write(14, '(a)') 'ERR'
  end do
  open(12, file='multi.out', status='replace', action='write')
)";
    for (const Multi& c : multi) {
        src << "  write(12, " << fortran_item(Value(c.format)) << ")";
        for (std::size_t k = 0; k < c.items.size(); ++k) src << (k ? ", " : " ") << fortran_item(c.items[k]);
        src << "\n  write(12, '(a)') '@@'\n";
    }
    src << "end program\n";
    return src.str();
}

std::vector<std::string> split(const std::string& text, const std::string& sep) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t k; (k = text.find(sep, start)) != std::string::npos; start = k + sep.size())
        parts.push_back(text.substr(start, k - start));
    parts.push_back(text.substr(start));
    return parts;
}

TEST(FortranOracle, FieldsRecordsAndIntegerReadsMatchGfortran) {
    const std::vector<Single> singles = single_cases();
    const std::vector<Multi> multis = multi_cases();
    const std::vector<ReadCase> reads = read_cases();
    test::TempDir dir;
    std::string single_text, read_text;
    for (const Single& c : singles) single_text += c.format + "\n" + c.kind + " " + std::to_string(c.payload) + "\n";
    for (const ReadCase& c : reads)
        for (const std::string& l : c.lines) read_text += (&l == &c.lines[0] ? c.format + "\n" : "") + l + "\n";
    dir.write("single.txt", single_text);
    dir.write("reads.txt", read_text);
    dir.write("oracle.f90", fortran_program(multis));
    const std::string cd = "cd '" + dir.path().string() + "' && ";
    ASSERT_EQ(std::system((cd + "gfortran -ffree-line-length-none -o oracle oracle.f90 > log 2>&1 && ./oracle >> log 2>&1").c_str()), 0)
        << "gfortran could not build or run the oracle:\n" << dir.read("log");

    // One value per format, through the field functions and through a record.
    std::vector<std::string> want = split(dir.read("single.out"), "\n");
    ASSERT_EQ(want.size(), singles.size() + 1);  // one line per case, then the end of the file
    int failures = 0;
    for (std::size_t k = 0; k < singles.size() && failures < 20; ++k) {
        const Single& c = singles[k];
        const int w = std::atoi(c.format.c_str() + 2);
        const auto dot = c.format.find('.');
        const int d = dot == std::string::npos ? -1 : std::atoi(c.format.c_str() + dot + 1);
        const double v = c.kind == 'f' ? std::bit_cast<float>(static_cast<std::int32_t>(c.payload)) : std::bit_cast<double>(c.payload);
        const std::string got = c.kind == 'i' ? (d < 0 ? I(c.payload, w) : I(c.payload, w, d))
                                : c.format[1] == 'f' ? F(v, w, d) : E(v, w, d, c.format[1] == 'd' ? 'D' : 'E');
        const std::string record = RecordFormat(c.format).write({c.kind == 'i' ? Value(c.payload) : Value(v)});
        if (got != want[k] || record != want[k] + "\n") {
            ++failures;
            ADD_FAILURE() << c.format << " of " << c.kind << " " << c.payload << "\n  gfortran: [" << want[k]
                          << "]\n  ours:     [" << got << "]\n  record:   [" << record << "]";
        }
    }
    // Whole records, written at once and item by item.
    want = split(dir.read("multi.out"), "@@\n");
    ASSERT_EQ(want.size(), multis.size() + 1);
    for (std::size_t k = 0; k < multis.size(); ++k) {
        const RecordFormat format(multis[k].format);
        EXPECT_EQ(format.write(multis[k].items), want[k]) << "format " << multis[k].format;
        std::string streamed;
        RecordWriter w(format, streamed);
        for (const Value& v : multis[k].items) w.put(v);
        w.finish();
        EXPECT_EQ(streamed, want[k]) << "format " << multis[k].format << " written item by item";
    }
    // Integer reads, and the number of lines they take.
    want = split(dir.read("reads.out"), "\n");
    ASSERT_EQ(want.size(), reads.size() + 1);
    for (std::size_t k = 0; k < reads.size(); ++k) {
        const ReadCase& c = reads[k];
        std::size_t next = 1;
        const IntegerRead r = RecordFormat(c.format).read_integer(c.lines[0], [&]() -> std::optional<std::string> {
            return next < c.lines.size() ? std::optional(c.lines[next++]) : std::nullopt;
        });
        const std::string got = r.status == IntegerRead::Status::ok ? "OK " + std::to_string(r.value) : "ERR";
        EXPECT_EQ(got, want[k]) << "format " << c.format << " on [" << c.lines[0] << "] " << r.message;
        if (r.status == IntegerRead::Status::ok) {
            EXPECT_EQ(static_cast<std::size_t>(r.lines_used), c.lines.size()) << c.format;
        }
    }
}

}  // namespace
}  // namespace tarnik::fmt
