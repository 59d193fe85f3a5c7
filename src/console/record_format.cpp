#include "console/record_format.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "console/format.h"

namespace tarnik::fmt {

namespace {

constexpr std::int64_t kMaxNumber = 1'000'000;
constexpr int kMaxNesting = 32;
constexpr std::uint64_t kMaxSteps = 10'000'000;
// A format for reading runs once for every line of a file (up to 22000 offset
// records), so its pass must stay short.
constexpr std::uint64_t kMaxReadSteps = 10'000;
constexpr std::uint64_t kMaxColumns = 10'000'000;
constexpr std::uint64_t kCostCap = std::uint64_t{1} << 50;

using Op = RecordFormat::Op;
using Instr = RecordFormat::Instr;

// Upper bounds of one pass through a piece of format: edit operations carried
// out and columns moved to the right (so also the longest record it can make).
struct Cost {
    std::uint64_t steps = 0;
    std::uint64_t cols = 0;
};

std::uint64_t sat_add(std::uint64_t a, std::uint64_t b) { return std::min(kCostCap, a + b); }
std::uint64_t sat_mul(std::uint64_t a, std::uint64_t b) {
    if (a == 0 || b == 0) return 0;
    return a > kCostCap / b ? kCostCap : a * b;
}
Cost operator+(Cost a, Cost b) { return {sat_add(a.steps, b.steps), sat_add(a.cols, b.cols)}; }
Cost operator*(Cost a, std::uint64_t r) { return {sat_mul(a.steps, r), sat_mul(a.cols, r)}; }

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool is_data(Op op) { return op == Op::I || op == Op::F || op == Op::E || op == Op::D || op == Op::A || op == Op::AOwn; }

std::string describe(const Instr& in) {
    switch (in.op) {
        case Op::I: return "I" + std::to_string(in.n) + (in.d >= 0 ? "." + std::to_string(in.d) : "");
        case Op::F: return "F" + std::to_string(in.n) + "." + std::to_string(in.d);
        case Op::E: return "E" + std::to_string(in.n) + "." + std::to_string(in.d);
        case Op::D: return "D" + std::to_string(in.n) + "." + std::to_string(in.d);
        case Op::A: return "A" + std::to_string(in.n);
        case Op::AOwn: return "A";
        default: return "?";
    }
}

// Text shown in a message: cut when long.
std::string shown(std::string_view s) {
    if (s.size() > 40) return std::string(s.substr(0, 37)) + "...";
    return std::string(s);
}

}  // namespace

// Recursive-descent parser of the notation. Errors are thrown as Fail inside and
// turned into the message of FormatParse by parse().
class FormatParser {
public:
    explicit FormatParser(std::string_view text) : s_(text) {}

    enum class Purpose { write, integer, numbers };

    FormatParse run(Purpose purpose) {
        const bool for_input = purpose != Purpose::write;
        FormatParse result;
        try {
            f_.text_ = std::string(s_);
            skip();
            if (at_end()) fail(1, "the format is empty");
            if (s_[i_] != '(') fail(col(), "a format must begin with '('");
            ++i_;
            const Cost cost = list(1);
            skip();
            if (!at_end()) fail(col(), "unexpected text after the closing parenthesis");
            if (cost.steps > kMaxSteps)
                fail(1, "the format is too large (more than " + std::to_string(kMaxSteps) + " edit operations)");
            if (cost.cols > kMaxColumns)
                fail(1, "the format makes records longer than " + std::to_string(kMaxColumns) + " columns");
            if (for_input && cost.steps > kMaxReadSteps)
                fail(1, "the format is too large for reading (more than " + std::to_string(kMaxReadSteps) +
                            " edit operations)");
            finish_program();
            if (purpose == Purpose::integer) check_input();
            if (purpose == Purpose::numbers) check_numbers();
            result.format = std::move(f_);
        } catch (const Fail& e) {
            result.error = e.message + " at column " + std::to_string(e.column);
        }
        return result;
    }

private:
    struct Fail {
        std::size_t column;
        std::string message;
    };
    [[noreturn]] static void fail(std::size_t column, std::string message) { throw Fail{column, std::move(message)}; }

    std::size_t col() const { return i_ + 1; }
    bool at_end() const { return i_ >= s_.size(); }
    void skip() {
        while (!at_end() && is_blank(s_[i_])) ++i_;
    }
    // Character at the current place, after blanks; '\0' at the end.
    char peek() {
        skip();
        return at_end() ? '\0' : s_[i_];
    }

    // Digits, blanks between them ignored. The caller has seen the first digit.
    std::int64_t number() {
        const std::size_t start = col();
        std::int64_t v = 0;
        while (!at_end()) {
            if (is_digit(s_[i_])) {
                v = std::min<std::int64_t>(v * 10 + (s_[i_] - '0'), kMaxNumber + 1);
                ++i_;
                continue;
            }
            std::size_t j = i_;
            while (j < s_.size() && is_blank(s_[j])) ++j;
            if (j < s_.size() && j > i_ && is_digit(s_[j])) {
                i_ = j;
                continue;
            }
            break;
        }
        if (v > kMaxNumber) fail(start, "number too large (at most " + std::to_string(kMaxNumber) + ")");
        return v;
    }

    std::int32_t need_number(const std::string& what, std::int64_t min) {
        const char c = peek();
        if (!is_digit(c)) fail(col(), "expected " + what);
        const std::size_t start = col();
        const std::int64_t v = number();
        if (v < min) fail(start, what + " must be at least " + std::to_string(min));
        return static_cast<std::int32_t>(v);
    }

    std::size_t emit(Instr in) {
        f_.prog_.push_back(in);
        return f_.prog_.size() - 1;
    }

    // Items up to and including the closing parenthesis of this level.
    Cost list(int depth) {
        Cost total;
        enum class Previous { start, comma, item } prev = Previous::start;
        for (;;) {
            const char c = peek();
            if (c == '\0') fail(s_.size() + 1, "missing ')'");
            if (c == ')') {
                ++i_;
                return total;
            }
            if (c == ',') {
                if (prev != Previous::item) fail(col(), "unexpected ',' (an edit descriptor is missing)");
                ++i_;
                prev = Previous::comma;
                continue;
            }
            total = total + item(depth);
            prev = Previous::item;
        }
    }

    // One item of a list: an edit descriptor or a group, with its repeat count.
    Cost item(int depth) {
        const std::size_t start = col();
        const std::optional<std::int64_t> count = repeat_count(start);
        const bool counted = count.has_value();
        const std::int64_t r = count.value_or(1);
        const char raw = peek();
        const char c = lower(raw);
        if (c == '\0') fail(s_.size() + 1, "missing ')'");
        const auto rc = static_cast<std::uint64_t>(r);

        if (c == '(') return group(depth, r);
        if (c == 'x') {
            ++i_;
            emit({Op::X, static_cast<std::int32_t>(r)});
            return {1, rc};
        }
        if (c == '/') {
            ++i_;
            emit({Op::Slash, static_cast<std::int32_t>(r)});
            return {rc, 0};
        }
        if (c == 'i' || c == 'f' || c == 'e' || c == 'd' || c == 'a') return repeated_data(r);
        if (c == 'p') fail(col(), "scale factors (P) are not supported");
        if (c == 'h') fail(col(), "Hollerith text (H) is not supported; put the text in quotes");
        if (counted && (c == 't' || c == '\'' || c == '"' || c == '$' || c == ':'))
            fail(start, "a repeat count cannot stand before " + std::string(1, upper(raw)));
        if (c == 't') return tab();
        if (c == '\'' || c == '"') return literal();
        if (c == '$' || c == ':') {
            ++i_;
            emit({c == '$' ? Op::Dollar : Op::Colon});
            return {1, 0};
        }
        unexpected(raw, counted);
    }

    // The repeat count before an item, when digits stand there; `start` is the
    // item's column.
    std::optional<std::int64_t> repeat_count(std::size_t start) {
        if (!is_digit(peek())) return std::nullopt;
        const std::int64_t r = number();
        if (r < 1) fail(start, "a repeat count must be at least 1");
        return r;
    }

    // Emits the End of the group whose Begin stands at `begin`, each pointing
    // at the other.
    void close_group(std::size_t begin) {
        const std::size_t e = emit({Op::End});
        f_.prog_[begin].aux = static_cast<std::uint32_t>(e);
        f_.prog_[e].aux = static_cast<std::uint32_t>(begin);
    }

    // A parenthesised group repeated `r` times.
    Cost group(int depth, std::int64_t r) {
        if (depth >= kMaxNesting)
            fail(col(), "groups nested more than " + std::to_string(kMaxNesting) + " deep");
        ++i_;
        const std::size_t b = emit({Op::Begin, static_cast<std::int32_t>(r)});
        if (depth == 1) last_top_group_ = b;
        const Cost inner = list(depth + 1);
        close_group(b);
        // Every repetition also passes the closing parenthesis: an empty
        // group repeated a million times is a million operations.
        return Cost{1, 0} + (inner + Cost{1, 0}) * static_cast<std::uint64_t>(r);
    }

    // A data descriptor (I, F, E, D, A) repeated `r` times: a group of its own
    // when repeated.
    Cost repeated_data(std::int64_t r) {
        std::size_t b = 0;
        if (r > 1) b = emit({Op::Begin, static_cast<std::int32_t>(r)});
        const Instr in = data_descriptor();
        emit(in);
        if (r > 1) close_group(b);
        return Cost{2, static_cast<std::uint64_t>(in.op == Op::AOwn ? 0 : in.n)} * static_cast<std::uint64_t>(r);
    }

    // The tabs T, TL and TR (TR moves right as X does).
    Cost tab() {
        ++i_;
        const char c2 = lower(peek());
        if (c2 == 'l' || c2 == 'r') {
            ++i_;
            const std::string name = c2 == 'l' ? "TL" : "TR";
            const std::int32_t n = need_number("the number of columns after " + name, 1);
            emit({c2 == 'l' ? Op::TL : Op::X, n});
            return {1, c2 == 'l' ? 0 : static_cast<std::uint64_t>(n)};
        }
        const std::int32_t n = need_number("a column number after T", 1);
        emit({Op::T, n});
        return {1, static_cast<std::uint64_t>(n)};
    }

    // Fails on a character that starts no item.
    [[noreturn]] void unexpected(char raw, bool counted) {
        const char c = lower(raw);
        if (c >= 'a' && c <= 'z') fail(col(), "unknown or unsupported edit descriptor '" + std::string(1, raw) + "'");
        if (counted) fail(col(), "expected an edit descriptor after the repeat count");
        const auto byte = static_cast<unsigned char>(raw);
        if (byte < 0x20 || byte >= 0x7f) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "0x%02X", byte);
            fail(col(), std::string("unexpected character (byte ") + hex + ")");
        }
        fail(col(), "unexpected character '" + std::string(1, raw) + "'");
    }

    Instr data_descriptor() {
        const char c = lower(s_[i_]);
        const std::string name(1, upper(s_[i_]));
        const std::size_t start = col();
        ++i_;
        if (c == 'a') {
            if (!is_digit(peek())) {
                if (first_own_a_ == 0) first_own_a_ = start;
                return {Op::AOwn};
            }
            return {Op::A, need_number("the width of A", 1)};
        }
        const std::int32_t w = need_number("the width after " + name, 1);
        if (c == 'i') {
            std::int32_t m = -1;
            if (peek() == '.') {
                ++i_;
                m = need_number("the least number of digits after I" + std::to_string(w) + ".", 0);
                if (m > w) fail(start, "I" + std::to_string(w) + "." + std::to_string(m) + " asks for more digits than its width");
            }
            return {Op::I, w, m};
        }
        if (peek() != '.')
            fail(col(), "expected '.' and the number of decimals after " + name + std::to_string(w));
        ++i_;
        const std::int32_t d = need_number("the number of decimals after " + name + std::to_string(w) + ".",
                                           c == 'f' ? 0 : 1);
        return {c == 'f' ? Op::F : c == 'e' ? Op::E : Op::D, w, d};
    }

    Cost literal() {
        const char q = s_[i_];
        const std::size_t start = col();
        ++i_;
        std::string text;
        for (;;) {
            if (at_end()) fail(start, "missing closing quote");
            const char c = s_[i_++];
            if (c == q) {
                if (!at_end() && s_[i_] == q) {
                    text += q;
                    ++i_;
                    continue;
                }
                break;
            }
            text += c;
        }
        if (first_literal_ == 0) first_literal_ = start;
        const auto len = text.size();
        f_.literals_.push_back(std::move(text));
        emit({Op::Literal, 0, 0, static_cast<std::uint32_t>(f_.literals_.size() - 1)});
        return {1, len};
    }

    void finish_program() {
        f_.reversion_ = last_top_group_;
        f_.reversion_has_data_ = std::any_of(f_.prog_.begin() + static_cast<std::ptrdiff_t>(f_.reversion_),
                                             f_.prog_.end(), [](const Instr& in) { return is_data(in.op); });
        const bool has_i = std::any_of(f_.prog_.begin(), f_.prog_.end(), [](const Instr& in) { return in.op == Op::I; });
        f_.readable_ = has_i && first_literal_ == 0 && first_own_a_ == 0;
        // Every pass through the part the format resumes at must take a number,
        // or reading more numbers than one record holds would never end.
        const bool resumes_with_number = std::any_of(
            f_.prog_.begin() + static_cast<std::ptrdiff_t>(f_.reversion_), f_.prog_.end(),
            [](const Instr& in) { return in.op == Op::I || in.op == Op::F || in.op == Op::E || in.op == Op::D; });
        f_.numbers_readable_ = resumes_with_number && first_literal_ == 0 && first_own_a_ == 0;
    }

    void check_numbers() {
        if (first_literal_ != 0) fail(first_literal_, "quoted text cannot be read");
        if (first_own_a_ != 0) fail(first_own_a_, "A needs a width when reading (for example A8)");
        if (!f_.numbers_readable_) fail(1, "the format has no I, F, E or D edit descriptor for the numbers");
    }

    void check_input() {
        if (first_literal_ != 0) fail(first_literal_, "quoted text cannot be read");
        if (first_own_a_ != 0) fail(first_own_a_, "A needs a width when reading (for example A8)");
        if (!f_.readable_) fail(1, "the format has no I edit descriptor for the integer");
    }

    std::string_view s_;
    std::size_t i_ = 0;
    RecordFormat f_;
    std::size_t last_top_group_ = 0;
    std::size_t first_literal_ = 0;  // column, 0 for none
    std::size_t first_own_a_ = 0;
};

RecordFormat::RecordFormat(std::string_view text) {
    FormatParse p = parse(text);
    if (!p) throw std::invalid_argument("format " + std::string(text) + ": " + p.error);
    *this = std::move(*p.format);
}

FormatParse RecordFormat::parse(std::string_view text) { return FormatParser(text).run(FormatParser::Purpose::write); }
FormatParse RecordFormat::parse_input(std::string_view text) {
    return FormatParser(text).run(FormatParser::Purpose::integer);
}
FormatParse RecordFormat::parse_numbers(std::string_view text) {
    return FormatParser(text).run(FormatParser::Purpose::numbers);
}

// ---------------------------------------------------------------- writing

RecordWriter::RecordWriter(const RecordFormat& format, std::string& out)
    : f_(format), out_(out), rec_start_(out.size()) {}

void RecordWriter::end_record() {
    out_ += '\n';
    rec_start_ = out_.size();
    pos_ = 0;
}

void RecordWriter::pad_to_position() {
    const auto len = static_cast<std::int64_t>(out_.size() - rec_start_);
    if (pos_ > len) out_.append(static_cast<std::size_t>(pos_ - len), ' ');
}

void RecordWriter::place(std::string_view s) {
    const auto len = static_cast<std::int64_t>(out_.size() - rec_start_);
    if (pos_ >= len) {
        pad_to_position();
        out_.append(s);
    } else {
        // After a move to the left: overwrite, and extend the record if needed.
        const auto overlap = std::min<std::size_t>(s.size(), static_cast<std::size_t>(len - pos_));
        std::copy_n(s.data(), overlap, out_.begin() + static_cast<std::ptrdiff_t>(rec_start_ + static_cast<std::size_t>(pos_)));
        out_.append(s.substr(overlap));
    }
    pos_ += static_cast<std::int64_t>(s.size());
}

const RecordFormat::Instr* RecordWriter::next_data(bool item_waiting) {
    const auto& prog = f_.prog_;
    for (;;) {
        if (pc_ == prog.size()) {
            if (!item_waiting) return nullptr;
            if (!f_.reversion_has_data_)
                throw std::logic_error("format " + f_.text_ + " has no edit descriptor for item " +
                                       std::to_string(items_ + 1));
            end_record();
            pc_ = f_.reversion_;
            stack_.clear();
            continue;
        }
        const Instr& in = prog[pc_];
        switch (in.op) {
            case Op::I:
            case Op::F:
            case Op::E:
            case Op::D:
            case Op::A:
            case Op::AOwn:
                return item_waiting ? &in : nullptr;
            case Op::X: pos_ += in.n; break;
            case Op::TL: pos_ = std::max<std::int64_t>(0, pos_ - in.n); break;
            case Op::T: pos_ = in.n - 1; break;
            case Op::Slash:
                for (int k = 0; k < in.n; ++k) end_record();
                break;
            case Op::Dollar: dollar_ = true; break;
            case Op::Colon:
                if (!item_waiting) return nullptr;
                break;
            case Op::Literal: place(f_.literals_[in.aux]); break;
            case Op::Begin: stack_.push_back({static_cast<std::uint32_t>(pc_), in.n}); break;
            case Op::End:
                if (--stack_.back().left > 0) {
                    pc_ = stack_.back().begin + 1;
                    continue;
                }
                stack_.pop_back();
                break;
        }
        ++pc_;
    }
}

void RecordWriter::mismatch(const RecordFormat::Instr& in, const char* item_kind) const {
    throw std::logic_error("format " + f_.text_ + ": item " + std::to_string(items_ + 1) + " is " + item_kind +
                           " but its edit descriptor is " + describe(in));
}

void RecordWriter::put_integer(std::int64_t v, bool widen) {
    if (finished_) throw std::logic_error("format " + f_.text_ + ": item after the end of the write");
    const Instr& in = *next_data(true);
    if (in.op != Op::I) mismatch(in, "an integer");
    const int w = widen ? std::max(in.n, int_width(v)) : in.n;
    if (pos_ >= static_cast<std::int64_t>(out_.size() - rec_start_)) {
        pad_to_position();
        put_I(out_, v, w, in.d);
        pos_ += w;
    } else {
        std::string field;
        put_I(field, v, w, in.d);
        place(field);
    }
    ++pc_;
    ++items_;
}

void RecordWriter::put_real(double v) {
    if (finished_) throw std::logic_error("format " + f_.text_ + ": item after the end of the write");
    const Instr& in = *next_data(true);
    if (in.op != Op::F && in.op != Op::E && in.op != Op::D) mismatch(in, "a real");
    if (pos_ >= static_cast<std::int64_t>(out_.size() - rec_start_)) {
        // The usual case: the field goes at the end of the record.
        pad_to_position();
        if (in.op == Op::F) put_F(out_, v, in.n, in.d);
        else put_E(out_, v, in.n, in.d, in.op == Op::E ? 'E' : 'D');
        pos_ += in.n;
    } else {
        std::string field;
        if (in.op == Op::F) put_F(field, v, in.n, in.d);
        else put_E(field, v, in.n, in.d, in.op == Op::E ? 'E' : 'D');
        place(field);
    }
    ++pc_;
    ++items_;
}

void RecordWriter::put_text(std::string_view s) {
    if (finished_) throw std::logic_error("format " + f_.text_ + ": item after the end of the write");
    const Instr& in = *next_data(true);
    if (in.op == Op::AOwn) {
        place(s);
    } else if (in.op == Op::A) {
        std::string field;
        put_A(field, s, in.n);
        place(field);
    } else {
        mismatch(in, "a text");
    }
    ++pc_;
    ++items_;
}

void RecordWriter::put(const Value& v) {
    std::visit([this](const auto& x) { put(x); }, v.get());
}

void RecordWriter::finish() {
    if (finished_) return;
    next_data(false);
    if (!dollar_) out_ += '\n';
    finished_ = true;
}

void RecordFormat::write_to(std::string& out, std::span<const Value> items) const {
    RecordWriter w(*this, out);
    for (const Value& v : items) w.put(v);
    w.finish();
}

std::string RecordFormat::write(std::span<const Value> items) const {
    std::string out;
    write_to(out, items);
    return out;
}

std::string RecordFormat::write(std::initializer_list<Value> items) const {
    return write(std::span<const Value>(items.begin(), items.size()));
}

// ---------------------------------------------------------------- reading

namespace {

// The characters of columns [pos, pos + w) that the line holds (the rest are
// padding blanks); a comma ends a numeric field early and is consumed with it.
struct Field {
    std::string_view text;
    std::int64_t consumed;
};

Field numeric_field(std::string_view line, std::int64_t pos, std::int64_t w) {
    const auto len = static_cast<std::int64_t>(line.size());
    if (pos >= len) return {{}, w};
    std::string_view t = line.substr(static_cast<std::size_t>(pos), static_cast<std::size_t>(std::min(w, len - pos)));
    const std::size_t comma = t.find(',');
    if (comma != std::string_view::npos) return {t.substr(0, comma), static_cast<std::int64_t>(comma) + 1};
    return {t, w};
}

enum class IntStatus { ok, bad, overflow };

// An integer field as read: its status, and its value when ok.
struct FieldInteger {
    IntStatus status = IntStatus::ok;
    std::int32_t value = 0;
};

// Blanks count as nothing; an optional sign must be followed by a digit.
FieldInteger parse_field_int(std::string_view t) {
    std::size_t i = 0;
    while (i < t.size() && t[i] == ' ') ++i;
    if (i == t.size()) return {IntStatus::ok, 0};
    bool neg = false;
    if (t[i] == '+' || t[i] == '-') {
        neg = t[i] == '-';
        ++i;
    }
    const std::int64_t limit = neg ? 2147483648LL : 2147483647LL;
    std::int64_t v = 0;
    bool digit = false;
    for (; i < t.size(); ++i) {
        const char c = t[i];
        if (c == ' ') continue;
        if (!is_digit(c)) return {IntStatus::bad, 0};
        digit = true;
        v = v * 10 + (c - '0');
        if (v > limit) return {IntStatus::overflow, 0};
    }
    if (!digit) return {IntStatus::bad, 0};
    return {IntStatus::ok, static_cast<std::int32_t>(neg ? -v : v)};
}

std::string_view cut_at_cr(std::string_view line) { return line.substr(0, line.find('\r')); }

// Where a field that cannot be read stands, for the message: "the field in
// columns 5-8 (\"x\")" or "the field in column 5 (\"x\")".
std::string field_where(std::int64_t pos, const Field& f, std::int64_t width) {
    const std::int64_t last = pos + (f.consumed == width ? width : f.consumed - 1);
    std::string where = "the field in columns " + std::to_string(pos + 1) + "-" + std::to_string(last);
    if (last <= pos + 1) where = "the field in column " + std::to_string(pos + 1);
    return where + " (\"" + shown(f.text) + "\")";
}

struct GroupFrame {
    std::size_t begin;
    std::int32_t left;
};

// The steps both readers take alike: the moves X, TL and T, and the repeat
// groups. True when `in` was one of them; `pc` then is the next instruction.
bool move(const RecordFormat::Instr& in, std::int64_t& pos, std::vector<GroupFrame>& frames, std::size_t& pc) {
    using Op = RecordFormat::Op;
    switch (in.op) {
        case Op::X: pos += in.n; break;
        case Op::TL: pos = std::max<std::int64_t>(0, pos - in.n); break;
        case Op::T: pos = in.n - 1; break;
        case Op::Begin: frames.push_back({pc, in.n}); break;
        case Op::End:
            if (--frames.back().left > 0) {
                pc = frames.back().begin + 1;
                return true;
            }
            frames.pop_back();
            break;
        default: return false;
    }
    ++pc;
    return true;
}

// What a read does at the end of the format's program.
enum class AtFormatEnd {
    stop,        // the read ends
    new_record,  // the next line is a new record, read from the part the format resumes at
};

// Whether a read goes on after a field.
enum class Step { go_on, stop };

// A read of one integer: the first I field; the fields before it are skipped.
// Once it has its value, the read ends at the next data descriptor or ':'.
struct IntegerFieldRead {
    static constexpr AtFormatEnd kAtFormatEnd = AtFormatEnd::stop;
    IntegerRead result;
    bool have = false;

    bool items_left() const { return !have; }
    void line_taken() { ++result.lines_used; }
    void input_ended() {
        if (have) result.input_ended = true;
        else result.status = IntegerRead::Status::end_of_input;
    }
    // The field of a data descriptor at `pos` of `line`; `pos` moves past it.
    Step field(const Instr& in, std::string_view line, std::int64_t& pos) {
        if (have) return Step::stop;
        if (in.op == Op::A) {
            pos += in.n;
            return Step::go_on;
        }
        const Field f = numeric_field(line, pos, in.n);
        if (in.op != Op::I) {
            pos += f.consumed;
            return Step::go_on;
        }
        const FieldInteger read = parse_field_int(f.text);
        if (read.status != IntStatus::ok) {
            result.status = IntegerRead::Status::bad_field;
            result.message = field_where(pos, f, in.n) +
                             (read.status == IntStatus::bad ? " is not an integer" : " is outside the integer range");
            return Step::stop;
        }
        result.value = read.value;
        have = true;
        pos += f.consumed;
        return Step::go_on;
    }
};

// A read of `count` numbers, each numeric field given to `take`; A fields are
// skipped. The format starts again on a new record while numbers remain.
struct NumbersFieldRead {
    static constexpr AtFormatEnd kAtFormatEnd = AtFormatEnd::new_record;
    NumbersFieldRead(const NumberSink& sink, std::int64_t wanted) : take(sink), count(wanted) {}
    const NumberSink& take;
    std::int64_t count;
    std::int64_t got = 0;
    NumbersRead result;

    bool items_left() const { return got < count; }
    void line_taken() { ++result.lines_used; }
    void input_ended() {
        result.status = NumbersRead::Status::end_of_input;
        result.message = "the input ends after " + std::to_string(got) + " of " + std::to_string(count) + " numbers";
    }
    // The field of a data descriptor at `pos` of `line`; `pos` moves past it.
    Step field(const Instr& in, std::string_view line, std::int64_t& pos) {
        if (in.op == Op::A) {
            pos += in.n;
            return Step::go_on;
        }
        const Field f = numeric_field(line, pos, in.n);
        const int decimals = in.op == Op::I ? 0 : in.d;
        std::string problem = take(f.text, decimals);
        if (!problem.empty()) {
            result.status = NumbersRead::Status::bad_field;
            result.message = field_where(pos, f, in.n) + " " + problem;
            return Step::stop;
        }
        pos += f.consumed;
        if (++got == count) {
            result.end_column = pos;
            return Step::stop;
        }
        return Step::go_on;
    }
};

}  // namespace

template <class Read>
void RecordFormat::walk(std::string_view first_line, const LineSource& more, Read& read) const {
    std::string holder;
    std::string_view line = cut_at_cr(first_line);
    std::int64_t pos = 0;
    std::vector<GroupFrame> frames;
    // Takes the next line of the input as the record; false at its end.
    const auto next_record = [&]() {
        std::optional<std::string> next;
        if (more) next = more();
        if (!next) {
            read.input_ended();
            return false;
        }
        holder = std::move(*next);
        line = cut_at_cr(holder);
        read.line_taken();
        pos = 0;
        return true;
    };
    std::size_t pc = 0;
    for (;;) {
        if (pc == prog_.size()) {
            // Items remain: a new record, from the part the format resumes at.
            if (Read::kAtFormatEnd == AtFormatEnd::stop || !next_record()) return;
            pc = reversion_;
            frames.clear();
            continue;
        }
        const Instr& in = prog_[pc];
        if (move(in, pos, frames, pc)) continue;
        switch (in.op) {
            case Op::I:
            case Op::F:
            case Op::E:
            case Op::D:
            case Op::A:
                if (read.field(in, line, pos) == Step::stop) return;
                break;
            case Op::AOwn:
            case Op::Literal:
                throw std::logic_error("format " + text_ + " is not a format for reading");
            case Op::X:
            case Op::TL:
            case Op::T:
            case Op::Begin:
            case Op::End: break;  // taken by move()
            case Op::Slash:
                for (int k = 0; k < in.n; ++k)
                    if (!next_record()) return;
                break;
            case Op::Dollar: break;
            case Op::Colon:
                if (!read.items_left()) return;
                break;
        }
        ++pc;
    }
}

IntegerRead RecordFormat::read_integer(std::string_view first_line, const LineSource& more) const {
    if (!readable_) throw std::logic_error("format " + text_ + " is not a format for reading an integer");
    IntegerFieldRead read;
    walk(first_line, more, read);
    return read.result;
}

NumbersRead RecordFormat::read_numbers(std::string_view first_line, const LineSource& more, std::int64_t count,
                                       const NumberSink& take) const {
    if (!numbers_readable_) throw std::logic_error("format " + text_ + " is not a format for reading numbers");
    if (count <= 0) return NumbersRead{};
    NumbersFieldRead read(take, count);
    walk(first_line, more, read);
    return read.result;
}

}  // namespace tarnik::fmt
