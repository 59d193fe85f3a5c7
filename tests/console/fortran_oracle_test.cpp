// Compares the record writer and reader with the Fortran runtime itself: a
// Fortran program is generated, compiled with gfortran and run on the same
// formats and values, and every line it writes must equal ours. gfortran is a
// build dependency of the test suite (scripts/install-deps.sh), so a missing
// compiler fails the test.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "console/format.h"
#include "console/record_format.h"
#include "support/test_support.h"

namespace tarnik::fmt {
namespace {

using test::TempDir;

// ------------------------------------------------------------------ cases

// One value written with a one-descriptor format.
struct Single {
    std::string format;  // "(f8.3)"
    char kind;           // 'f' real(4), 'd' real(8), 'i' integer(8)
    std::int64_t payload;  // bits of the real, or the integer
};

struct Multi {
    std::string format;
    std::vector<Value> items;
};

struct ReadCase {
    std::string format;
    std::vector<std::string> lines;
};

float random_float(std::mt19937_64& rng) {
    std::uniform_real_distribution<double> u(0.0, 1.0);
    const float sign = (rng() & 1) ? -1.0f : 1.0f;
    switch (rng() % 7) {
        case 0: return sign * static_cast<float>(u(rng) * 10.0);
        case 1: return sign * static_cast<float>(std::pow(10.0, -10.0 + 22.0 * u(rng)));
        case 2: return static_cast<float>(static_cast<int>(rng() % 199999) - 99999) / 1000.0f;  // data like 1.234
        case 3: return sign * static_cast<float>(rng() % 4096) / static_cast<float>(1 << (rng() % 12));  // binary ties
        case 4: {
            float f;
            do f = std::bit_cast<float>(static_cast<std::uint32_t>(rng())); while (!std::isfinite(f));
            return f;
        }
        case 5: return sign * std::nextafter(static_cast<float>(rng() % 1000) + 0.5f, 0.0f);  // just below a tie
        default: {
            const float special[] = {0.0f, -0.0f, 1.0f, 0.5f, 0.125f, 9.9995f, 99999.9999f,
                                     std::numeric_limits<float>::infinity(),
                                     -std::numeric_limits<float>::infinity(),
                                     std::numeric_limits<float>::quiet_NaN(),
                                     std::numeric_limits<float>::denorm_min(),
                                     std::numeric_limits<float>::max(), 1e-30f, 0.0005f};
            return sign * special[rng() % std::size(special)];
        }
    }
}

double random_double(std::mt19937_64& rng) {
    std::uniform_real_distribution<double> u(0.0, 1.0);
    const double sign = (rng() & 1) ? -1.0 : 1.0;
    switch (rng() % 5) {
        case 0: return sign * std::pow(10.0, -320.0 + 628.0 * u(rng));  // three-digit exponents both ways
        case 1: return sign * std::pow(10.0, -12.0 + 30.0 * u(rng));
        case 2: return sign * static_cast<double>(rng() % 100000) / static_cast<double>(1u << (rng() % 20));
        case 3: {
            double d;
            do d = std::bit_cast<double>(rng()); while (!std::isfinite(d));
            return d;
        }
        default: return static_cast<double>(random_float(rng));
    }
}

std::vector<Single> single_cases() {
    std::mt19937_64 rng(20240611);
    std::vector<Single> cases;
    auto add_real = [&](char letter, int w, int d, bool single, double v) {
        const std::string f = "(" + std::string(1, letter) + std::to_string(w) + "." + std::to_string(d) + ")";
        if (single)
            cases.push_back({f, 'f', std::bit_cast<std::int32_t>(static_cast<float>(v))});
        else
            cases.push_back({f, 'd', std::bit_cast<std::int64_t>(v)});
    };
    for (int k = 0; k < 7000; ++k) {  // F of single reals, mostly narrow fields
        const int w = (k % 10 == 0) ? 15 + static_cast<int>(rng() % 30) : 1 + static_cast<int>(rng() % 13);
        const int d = static_cast<int>(rng() % static_cast<unsigned>(std::min(w, 9) + 1));
        add_real('f', w, d, true, random_float(rng));
    }
    for (int k = 0; k < 3000; ++k) {  // F of double reals, some beyond the integer shortcut
        const int w = 1 + static_cast<int>(rng() % 45);
        const int d = static_cast<int>(rng() % static_cast<unsigned>(std::min(w, 22) + 1));
        add_real('f', w, d, false, random_double(rng));
    }
    for (int k = 0; k < 4000; ++k) {  // E and D
        const int w = 1 + static_cast<int>(rng() % 28);
        const int d = 1 + static_cast<int>(rng() % static_cast<unsigned>(std::min(w, 16)));
        const bool single = k % 2 == 0;
        add_real(k % 3 == 0 ? 'd' : 'e', w, d, single, single ? random_float(rng) : random_double(rng));
    }
    // Fixed real cases: ties, signed zeros, the D exponent of the layouts.
    add_real('f', 5, 2, true, 0.125);
    add_real('f', 5, 2, true, -0.125);
    add_real('f', 4, 2, true, -0.125);
    add_real('f', 5, 2, true, -0.001);
    add_real('f', 8, 3, true, -0.0);
    add_real('f', 3, 0, true, 0.5);
    add_real('f', 3, 0, true, 2.5);
    add_real('f', 2, 0, true, -0.4);
    add_real('f', 8, 3, true, 12345.678);
    add_real('f', 8, 3, true, -1234.5678);
    add_real('d', 17, 10, false, 30.0);
    add_real('e', 12, 4, false, 1e100);
    add_real('e', 12, 4, false, 1e-100);
    add_real('d', 12, 4, false, -1e-300);
    add_real('e', 12, 4, false, 5e-324);
    for (int w = 1; w <= 10; ++w) {
        add_real('f', w, 1, true, std::numeric_limits<double>::infinity());
        add_real('f', w, 1, true, -std::numeric_limits<double>::infinity());
        add_real('e', w, 1, true, std::numeric_limits<double>::quiet_NaN());
    }
    for (int k = 0; k < 2500; ++k) {  // I and I.m
        const int digits = static_cast<int>(rng() % 19);
        std::int64_t v = static_cast<std::int64_t>(rng() % static_cast<std::uint64_t>(std::pow(10.0, digits) + 1));
        if (rng() & 1) v = -v;
        const int w = 1 + static_cast<int>(rng() % 21);
        std::string f = "(i" + std::to_string(w);
        if (k % 4 == 0) f += "." + std::to_string(rng() % static_cast<unsigned>(w + 1));
        cases.push_back({f + ")", 'i', v});
    }
    for (const char* f : {"(i1)", "(i5.0)", "(i1.0)", "(i4.4)", "(i3)"})
        for (std::int64_t v : {0LL, 7LL, -7LL, -12LL, 1000LL, 9223372036854775807LL, -9223372036854775807LL - 1})
            cases.push_back({f, 'i', v});
    return cases;
}

std::vector<Multi> multi_cases() {
    using V = std::vector<Value>;
    std::vector<Multi> m;
    // Layouts of the export files and dialogs.
    m.push_back({"(1x,i4,i10,21000(1x,f8.3))", V{1870, 12, 1.234, 0.0, -0.5, 12345.678, 0.0005}});
    m.push_back({"(1x,'AGE         N   ',21000(a9))", V{"ca533001", "ca533002", "LONGNAME9"}});
    m.push_back({"(a8,i4,10(i6))", V{"ca533001", 1876, 45, 57, 60, 998, 999}});
    m.push_back({"(a6,i4,10(i4,i3))", V{"CLD  7", 1870, 9990, 0, 9990, 0, 1234, 1, -999, 1, 10000, 1}});
    m.push_back({"(1x,100('YEAR',i4,'-',i4,2x))", V{1, 5, 6, 10}});
    m.push_back({"(1x,100(i4,1x,f7.3,3x))", V{1870, 0.75, 1871, -1.25, 1872, 1000.0}});
    m.push_back({"(/1x,'Age class ',i4,' Start= ',i4,'Stop= ',i4)", V{1, 1, 20}});
    m.push_back({"(1x,'   bw      df      gcv     msr     MSE     EV      msw     nps')", V{}});
    m.push_back({"(1x,2i8,5f8.3,i8)", V{20, 87, 0.123, 0.0456, 1.5, -2.25, 1.0, 88}});
    m.push_back({"(1x,2i8,5f8.3,i8)", V{1, 2, 1.0, 2.0, 3.0, 4.0, 5.0, 6, 7, 8}});
    m.push_back({"(1x,a,2x,i4,2x,i4,f6.3,1x,i3)", V{"CLD  7", 1873, 12, 0.987, 18}});
    m.push_back({"(1x,25(i4,1x,f6.3,1x,f6.3,2x))", V{1870, 0.5, 0.01, 1871, 0.25, 0.02, 1872, 1.0, 0.03}});
    {
        V many;
        for (int k = 0; k < 27; ++k) {
            many.emplace_back(1900 + k);
            many.emplace_back(0.1 * k);
            many.emplace_back(0.01 * k);
        }
        m.push_back({"(1x,25(i4,1x,f6.3,1x,f6.3,2x))", many});
    }
    m.push_back({"(1x,i4,i10,3(1x,f8.3))", V{1900, 3, 1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 7.0}});
    // Positioning and the end of a record.
    m.push_back({"(a,5x)", V{"abc"}});
    m.push_back({"(a,5x,a)", V{"abc", "d"}});
    m.push_back({"(a,tr5)", V{"abc"}});
    m.push_back({"(a,t20)", V{"abc"}});
    m.push_back({"(a,t20,tl18)", V{"abcdef"}});
    m.push_back({"(a,tl2,a)", V{"abcdef", "X"}});
    m.push_back({"(a,t2,a)", V{"abcdef", "X"}});
    m.push_back({"(a,t10,a,t3,a)", V{"abcdef", "X", "Y"}});
    m.push_back({"(t5,a,t1,a)", V{"x", "y"}});
    m.push_back({"(a,tl30,a)", V{"abcdef", "Z"}});
    m.push_back({"(a,5x,tl3,a)", V{"abc", "d"}});
    m.push_back({"(a,t3,tr2,a)", V{"abcdefgh", "X"}});
    m.push_back({"(tr3,a)", V{"x"}});
    m.push_back({"(i4,t2,i2)", V{1234, 56}});
    m.push_back({"(f8.3,tl4,i2)", V{1.5, 7}});
    m.push_back({"(a,5x,'q')", V{"abc"}});
    m.push_back({"(5x)", V{}});
    m.push_back({"(a,5x,/)", V{"abc"}});
    m.push_back({"(a,5x,/,a)", V{"abc", "z"}});
    // Records, reversion and running out of items.
    m.push_back({"(/a)", V{"x"}});
    m.push_back({"(a//a)", V{"x", "y"}});
    m.push_back({"(a,2/a)", V{"x", "y"}});
    m.push_back({"()", V{}});
    m.push_back({"(i4,3x,'a',i4)", V{1}});
    m.push_back({"(i4,3x,'a',t20,'b',i4)", V{1}});
    m.push_back({"(a,'lit',i4)", V{"x"}});
    m.push_back({"(a,:,'lit',i4)", V{"x"}});
    m.push_back({"('lit',i4)", V{}});
    m.push_back({"(1x,i4,2(i3,i2))", V{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}});
    m.push_back({"(i2,3(i3,2(i1)))", V{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}});
    m.push_back({"(i2,3(i3,2(i1)),i2)", V{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}});
    m.push_back({"(i2,(i3),i2)", V{1, 2, 3, 4, 5, 6, 7}});
    m.push_back({"(3(1x,a),'end')", V{"a", "b", "c", "d", "e"}});
    m.push_back({"(2i3)", V{1, 2, 3, 4, 5}});
    m.push_back({"(i3,2(/i3))", V{1, 2, 3, 4, 5, 6, 7}});
    // Prompts: no line end.
    m.push_back({"(a,$)", V{"prompt"}});
    m.push_back({"(a,i4,$)", V{"x"}});
    m.push_back({"(a,$,i4)", V{"x"}});
    m.push_back({"(1x,'Enter Selection : ',$)", V{}});
    // Text and literals.
    m.push_back({"(a5,a2,a)", V{"abc", "xyz", "q"}});
    m.push_back({"(2x,'it''s',\"dq\"\"x\")", V{}});
    m.push_back({"(A,I3,F6.2,E12.4,D12.4,I5.3)", V{"mixed", 42, 3.14159, -0.000123, 6.02e23, 7}});
    m.push_back({"(1x, 2 i4 , 1 0x, f8.3)", V{1, 2, 2.5}});
    m.push_back({"(3(i2,:,','))", V{1, 2, 3}});
    m.push_back({"(3(i2,','))", V{1, 2}});
    return m;
}

std::vector<ReadCase> read_cases() {
    std::vector<ReadCase> r;
    for (const char* line : {"  12", " 1 2", "-  5", "+7", "-", "+", "", "1-2", "12a", " 1.0", "\t12", "1 +2",
                             " + 2", "0x10", "1\r", "12 d", "-0", "+-", "9999", "-999", "12345"})
        r.push_back({"(i4)", {line}});
    for (const char* line : {"99999999999", "-2147483648", "-2147483649", " 2147483647", "2147483648", "   -0000000012"})
        r.push_back({"(i11)", {line}});
    r.push_back({"(2x,i3)", {"ab 15"}});
    r.push_back({"(2x,i3)", {"xy15"}});
    r.push_back({"(2x,i3)", {"  -1"}});
    r.push_back({"(2x,i3)", {"12"}});
    r.push_back({"(t3,i3)", {"xx 15"}});
    r.push_back({"(t10,i3)", {"x"}});
    r.push_back({"(t10,i3)", {"123456789012345"}});
    r.push_back({"(tr1,i2)", {"1234"}});
    r.push_back({"(1x,t2,tl1,i1)", {"7"}});
    r.push_back({"(3x,tl2,i3)", {"12345"}});
    r.push_back({"(tl5,i3)", {"12345"}});
    r.push_back({"(t4,tl2,tr1,i2)", {"123456"}});
    r.push_back({"(i2,tl2,i4)", {"1234"}});
    r.push_back({"(x,i2)", {"a12"}});
    r.push_back({"(2(i2))", {"  12"}});
    r.push_back({"(i3)", {"1,2"}});
    r.push_back({"(i1)", {","}});
    r.push_back({"(i5,t2,i3)", {"12345"}});
    r.push_back({"(/,i3)", {"xxx", " 22"}});
    r.push_back({"(/i3)", {"yyy", " 23"}});
    r.push_back({"(2/i3)", {"a", "b", " 24"}});
    r.push_back({"(i3/)", {" 33", "skip"}});
    r.push_back({"(t2,/,tr1,i2)", {"zzz", "x42"}});
    r.push_back({"(/2x,i3)", {"12345", "ab-17"}});
    r.push_back({"( 2x , i3 )", {"ab 15"}});
    r.push_back({"(I3)", {" 15"}});
    r.push_back({"(1 0x,i3)", {"1234567890123"}});
    r.push_back({"(2x i3)", {"ab 15"}});
    r.push_back({"(i3.1)", {" 15"}});
    r.push_back({"(3(1x),i2)", {"abc12"}});
    return r;
}

// ------------------------------------------------------------------ Fortran source

std::string fortran_string(std::string_view s) {
    std::string r = "'";
    for (char c : s) {
        if (c == '\'') r += "''";
        else r += c;
    }
    return r + "'";
}

std::string fortran_item(const Value& v) {
    return std::visit(
        [](const auto& x) -> std::string {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, std::int64_t>) {
                return std::to_string(x) + "_8";
            } else if constexpr (std::is_same_v<T, double>) {
                char buf[64];
                std::snprintf(buf, sizeof buf, "%.17g", x);
                std::string s = buf;
                const auto e = s.find('e');
                if (e == std::string::npos) return "(" + s + "d0)";
                s[e] = 'd';
                return "(" + s + ")";
            } else {
                return fortran_string(x);
            }
        },
        v.get());
}

std::string fortran_program(const std::vector<Multi>& multi) {
    std::ostringstream src;
    src << R"(program oracle
  implicit none
  call singles()
  call multis()
  call reads()
contains
  subroutine singles()
    character(len=80) :: f
    character(len=1) :: k
    integer(8) :: p
    integer(4) :: p4
    real(4) :: r4
    real(8) :: r8
    integer :: ios
    open(10, file='single.txt', status='old', action='read')
    open(11, file='single.out', status='replace', action='write')
    do
      read(10, '(a)', iostat=ios) f
      if (ios /= 0) exit
      read(10, '(a1,1x,i20)') k, p
      if (k == 'f') then
        p4 = int(p, 4)
        r4 = transfer(p4, r4)
        write(11, f) r4
      else if (k == 'd') then
        r8 = transfer(p, r8)
        write(11, f) r8
      else
        write(11, f) p
      end if
    end do
    close(10)
    close(11)
  end subroutine
  subroutine reads()
    character(len=80) :: f
    integer :: n, ios
    open(13, file='reads.txt', status='old', action='read')
    open(14, file='reads.out', status='replace', action='write')
    do
      read(13, '(a)', iostat=ios) f
      if (ios /= 0) exit
      n = -777
      read(13, f, iostat=ios) n
      if (ios == 0) then
        write(14, '(a,i0)') 'OK ', n
      else
        write(14, '(a)') 'ERR'
      end if
    end do
    close(13)
    close(14)
  end subroutine
  subroutine multis()
    open(12, file='multi.out', status='replace', action='write')
)";
    for (const Multi& c : multi) {
        src << "    write(12, " << fortran_string(c.format) << ")";
        for (std::size_t k = 0; k < c.items.size(); ++k) src << (k ? ", " : " ") << fortran_item(c.items[k]);
        src << "\n    write(12, '(a)') '@@'\n";
    }
    src << "    close(12)\n  end subroutine\nend program\n";
    return src.str();
}

std::vector<std::string> split(const std::string& text, const std::string& sep) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t k = text.find(sep, start);
        if (k == std::string::npos) {
            parts.push_back(text.substr(start));
            return parts;
        }
        parts.push_back(text.substr(start, k - start));
        start = k + sep.size();
    }
}

std::string describe_single(const Single& c) {
    char buf[128];
    if (c.kind == 'f')
        std::snprintf(buf, sizeof buf, "%s of real(4) %.9g (bits %08x)", c.format.c_str(),
                      static_cast<double>(std::bit_cast<float>(static_cast<std::int32_t>(c.payload))),
                      static_cast<unsigned>(c.payload));
    else if (c.kind == 'd')
        std::snprintf(buf, sizeof buf, "%s of real(8) %.17g", c.format.c_str(), std::bit_cast<double>(c.payload));
    else
        std::snprintf(buf, sizeof buf, "%s of %lld", c.format.c_str(), static_cast<long long>(c.payload));
    return buf;
}

// Our field for a one-descriptor case, through the function interface.
std::string ours(const Single& c) {
    const char letter = c.format[1];
    const std::string spec = c.format.substr(2, c.format.size() - 3);
    const int w = std::atoi(spec.c_str());
    const auto dot = spec.find('.');
    const int d = dot == std::string::npos ? -1 : std::atoi(spec.c_str() + dot + 1);
    if (c.kind == 'i') return d < 0 ? I(c.payload, w) : I(c.payload, w, d);
    const double v = c.kind == 'f' ? static_cast<double>(std::bit_cast<float>(static_cast<std::int32_t>(c.payload)))
                                   : std::bit_cast<double>(c.payload);
    if (letter == 'f') return F(v, w, d);
    return E(v, w, d, letter == 'd' ? 'D' : 'E');
}

Value value_of(const Single& c) {
    if (c.kind == 'i') return Value(c.payload);
    if (c.kind == 'f') return Value(std::bit_cast<float>(static_cast<std::int32_t>(c.payload)));
    return Value(std::bit_cast<double>(c.payload));
}

// ------------------------------------------------------------------ the test

class FortranOracle : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new TempDir();
        singles_ = single_cases();
        multis_ = multi_cases();
        reads_ = read_cases();

        std::string single_input;
        for (const Single& c : singles_)
            single_input += c.format + "\n" + std::string(1, c.kind) + " " + std::to_string(c.payload) + "\n";
        dir_->write("single.txt", single_input);
        std::string read_input;
        for (const ReadCase& c : reads_) {
            read_input += c.format + "\n";
            for (const std::string& l : c.lines) read_input += l + "\n";
        }
        dir_->write("reads.txt", read_input);
        dir_->write("oracle.f90", fortran_program(multis_));

        const std::string cd = "cd '" + dir_->path().string() + "' && ";
        build_status_ = std::system((cd + "gfortran -O0 -ffree-line-length-none -o oracle oracle.f90 > build.log 2>&1").c_str());
        if (build_status_ == 0) run_status_ = std::system((cd + "./oracle > run.log 2>&1").c_str());
    }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }
    void SetUp() override {
        ASSERT_EQ(build_status_, 0) << "gfortran could not build the oracle (install it with scripts/install-deps.sh):\n"
                                    << dir_->read("build.log");
        ASSERT_EQ(run_status_, 0) << "the oracle program failed:\n" << dir_->read("run.log");
    }

    static inline TempDir* dir_ = nullptr;
    static inline std::vector<Single> singles_;
    static inline std::vector<Multi> multis_;
    static inline std::vector<ReadCase> reads_;
    static inline int build_status_ = -1;
    static inline int run_status_ = -1;
};

TEST_F(FortranOracle, SingleFieldsMatchForEveryValueAndWidth) {
    const std::vector<std::string> want = split(dir_->read("single.out"), "\n");
    ASSERT_EQ(want.size(), singles_.size() + 1);  // one line per case, then the end of the file
    int failures = 0;
    for (std::size_t k = 0; k < singles_.size() && failures < 20; ++k) {
        const Single& c = singles_[k];
        const std::string got = ours(c);
        const std::string via_record = RecordFormat(c.format).write({value_of(c)});
        if (got != want[k] || via_record != want[k] + "\n") {
            ++failures;
            ADD_FAILURE() << describe_single(c) << "\n  gfortran: [" << want[k] << "]\n  ours:     [" << got
                          << "]\n  record:   [" << via_record << "]";
        }
    }
    EXPECT_EQ(failures, 0);
}

TEST_F(FortranOracle, RecordsMatchForLayoutsPositioningReversionAndPrompts) {
    const std::vector<std::string> want = split(dir_->read("multi.out"), "@@\n");
    ASSERT_EQ(want.size(), multis_.size() + 1);
    for (std::size_t k = 0; k < multis_.size(); ++k) {
        const Multi& c = multis_[k];
        const RecordFormat format(c.format);
        EXPECT_EQ(format.write(c.items), want[k]) << "format " << c.format;
        // The item-by-item writer gives the same text.
        std::string streamed;
        RecordWriter w(format, streamed);
        for (const Value& v : c.items) w.put(v);
        w.finish();
        EXPECT_EQ(streamed, want[k]) << "format " << c.format << " written item by item";
    }
}

TEST_F(FortranOracle, IntegerReadsMatchForBlanksSignsPositionsAndNewLines) {
    const std::vector<std::string> want = split(dir_->read("reads.out"), "\n");
    ASSERT_EQ(want.size(), reads_.size() + 1);
    for (std::size_t k = 0; k < reads_.size(); ++k) {
        const ReadCase& c = reads_[k];
        const FormatParse p = RecordFormat::parse_input(c.format);
        ASSERT_TRUE(p) << c.format << ": " << p.error;
        std::size_t next = 1;
        const IntegerRead r = p.format->read_integer(c.lines[0], [&]() -> std::optional<std::string> {
            if (next < c.lines.size()) return c.lines[next++];
            return std::nullopt;
        });
        std::string got = r.status == IntegerRead::Status::ok ? "OK " + std::to_string(r.value) : "ERR";
        std::string shown_lines;
        for (const auto& l : c.lines) shown_lines += "[" + l + "]";
        EXPECT_EQ(got, want[k]) << "format " << c.format << " on " << shown_lines << " " << r.message;
        if (r.status == IntegerRead::Status::ok) {
            EXPECT_EQ(static_cast<std::size_t>(r.lines_used), c.lines.size()) << "format " << c.format;
        }
    }
}

}  // namespace
}  // namespace tarnik::fmt
