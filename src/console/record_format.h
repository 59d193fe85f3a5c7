#pragma once
// Record formats: a parenthesised list of edit descriptors, parsed once and then
// used to write many records or to read the integer of a user-typed format.
//
// Notation (letters in either case, blanks outside quotes ignored, commas
// between items optional where the items cannot run together):
//   Iw  Iw.m        integer (at least m digits)
//   Fw.d Ew.d Dw.d  real with d decimals, or with an exponent (E, D: d >= 1)
//   Aw  A           text in w columns, or in its own length
//                   (every width w is at least 1)
//   nX  TRn  TLn  Tc  skip n columns right / left, continue at column c
//   /               end the record, continue on a new one (r/ for r of them)
//   $               no line end after the last record (a prompt)
//   :               stop here when no items remain
//   'text' "text"   literal text (a doubled quote stands for itself)
//   r(...)  rD      a group or a data descriptor repeated r times
//
// Writing follows the Fortran runtime exactly:
//  * items are matched to the data descriptors in order (I takes an integer,
//    F/E/D a real, A a text; a mismatch is a programming error, std::logic_error);
//  * literals and positioning before the next data descriptor are written even
//    when no item remains, up to that descriptor, a ':' or the end; so
//    "(1x,100('YEAR',i4,'-',i4,2x))" with two pairs ends in the "YEAR" of the
//    third repetition (a ':' before the literal would stop it);
//  * when items remain at the end of the format, a new record starts and the
//    format resumes at the last top-level group, with its repeat count, or at the
//    beginning when it has no group;
//  * X, TR and T move the position only: columns skipped over before a later
//    field become blanks, a move past the end of what was written adds nothing,
//    and a move to the left makes the next field overwrite (TL stops at column 1);
//  * every record ends with '\n', except the last one of a write that met '$'.
//
// Reading (the pith offset record): the record is padded with blanks on the
// right, so columns past the end of the line read as blanks; Iw ignores blanks,
// takes an optional sign that must be followed by a digit, and reads an
// all-blank field as 0; a comma ends a numeric field early; F, E, D and Aw
// fields before the first I are skipped over; '/' continues on the next line of
// the input. After the integer the format is followed up to its next data
// descriptor, so a '/' there takes one more line, as the Fortran runtime does.
//
// Limits keep hostile formats harmless: every number at most 1,000,000, groups
// nested at most 32 deep, and one pass through the format at most 10,000,000
// edit operations and 10,000,000 columns. Larger formats are rejected by parse().
// A format for reading (parse_input) is run once per input line, so one pass of
// it may take at most 10,000 edit operations.
//
// Reading numbers (the value records of the data bank's compact format, for
// example "(26F3.0)"): every I, F, E and D field in the order of the format is
// one number; its text is handed over with the implied decimals of its
// descriptor (Fw.d: d, I: 0). Columns past the end of a line read as blanks,
// a comma ends a field early, Aw fields are skipped. A '/', or the end of the
// format with numbers still to read, continues on the next line; the format
// then resumes at its last top-level group, as in writing.

#include <concepts>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tarnik::fmt {

// One item of an output list: an integer, a real or a text.
class Value {
public:
    template <class T>
        requires std::integral<T> && (!std::same_as<T, bool>) && (!std::same_as<T, char>)
    Value(T v) : v_(static_cast<std::int64_t>(v)) {}
    template <std::floating_point T>
    Value(T v) : v_(static_cast<double>(v)) {}
    Value(std::string s) : v_(std::move(s)) {}
    Value(std::string_view s) : v_(std::string(s)) {}
    Value(const char* s) : v_(std::string(s)) {}

    const std::variant<std::int64_t, double, std::string>& get() const { return v_; }

private:
    std::variant<std::int64_t, double, std::string> v_;
};

struct FormatParse;

// Result of reading the integer of a record.
struct IntegerRead {
    enum class Status {
        ok,            // value holds the integer of the first I field
        bad_field,     // the field holds no valid integer; message says why
        end_of_input,  // a '/' before the I field found no further line
    };
    Status status = Status::ok;
    std::int32_t value = 0;
    std::string message;
    int lines_used = 1;          // lines of the input this record took
    bool input_ended = false;    // a '/' after the value found no further line
};

// Gives the next input line for '/', or no value at the end of the input.
using LineSource = std::function<std::optional<std::string>()>;

// Result of reading numbers with a record format.
struct NumbersRead {
    enum class Status {
        ok,            // every number was read
        bad_field,     // a field could not be used; message says which and why
        end_of_input,  // the input ended first; message says how many were read
    };
    Status status = Status::ok;
    std::string message;
    int lines_used = 1;  // lines of the input read, the first one included
    std::int64_t end_column = 0;  // ok: the column after the last field, counted from 0
};

// Takes one field of read_numbers: its text and implied decimals. Returns what
// is wrong with it, or an empty text when the field was taken.
using NumberSink = std::function<std::string(std::string_view field, int decimals)>;

class RecordFormat {
public:
    // A format written in the program; a malformed one is a programming error
    // and throws std::invalid_argument with the parse message.
    explicit RecordFormat(std::string_view text);

    // Any format; the error says what is wrong and at which column.
    static FormatParse parse(std::string_view text);
    // A format for reading one integer: it must hold an I descriptor and no
    // quoted text, and every A must have a width.
    static FormatParse parse_input(std::string_view text);
    // A format for reading numbers: no quoted text, every A with a width, and a
    // numeric descriptor (I, F, E, D) in the part the format resumes at.
    static FormatParse parse_numbers(std::string_view text);

    const std::string& text() const { return text_; }

    // The records for these items, each ended by '\n' (not the last one after '$').
    std::string write(std::span<const Value> items) const;
    std::string write(std::initializer_list<Value> items) const;
    void write_to(std::string& out, std::span<const Value> items) const;

    // The integer of the first I field of the record that starts with `line`.
    // Further lines come from `more` when the format holds '/'. A CR ends a line
    // (so lines with CR LF or CR CR LF ends read as the same line). Only for
    // formats from parse_input (otherwise std::logic_error).
    IntegerRead read_integer(std::string_view line, const LineSource& more = {}) const;

    // Reads `count` numbers (see the notes at the top) from the record that
    // starts with `line`, giving each field to `take`; a field `take` refuses
    // ends the reading. Only for formats from parse_numbers (otherwise
    // std::logic_error).
    NumbersRead read_numbers(std::string_view line, const LineSource& more, std::int64_t count,
                             const NumberSink& take) const;

    // Internal program of the format (public for the writer and reader).
    // X also stands for TR (both move right).
    enum class Op : std::uint8_t { I, F, E, D, A, AOwn, X, TL, T, Slash, Dollar, Colon, Literal, Begin, End };
    struct Instr {
        Op op;
        std::int32_t n = 0;  // width, count or column
        std::int32_t d = 0;  // decimals, or m of Iw.m (-1: none)
        std::uint32_t aux = 0;  // literal index; Begin: index of its End; End: index of its Begin
    };

private:
    RecordFormat() = default;
    // Runs the program over the record that starts with `first_line` (further
    // lines from `more`): the moves, groups and new records are taken here,
    // the data descriptors' fields by `read` (see record_format.cpp).
    template <class Read>
    void walk(std::string_view first_line, const LineSource& more, Read& read) const;
    friend class RecordWriter;
    friend class FormatParser;

    std::string text_;
    std::vector<Instr> prog_;
    std::vector<std::string> literals_;
    std::size_t reversion_ = 0;       // where the format resumes when items remain
    bool reversion_has_data_ = false;  // that part holds a data descriptor
    bool readable_ = false;            // fit for read_integer
    bool numbers_readable_ = false;    // fit for read_numbers
};

// Result of parsing a format typed by a user (or read from anywhere else).
struct FormatParse {
    std::optional<RecordFormat> format;
    std::string error;  // one line saying what is wrong and where, when no format
    explicit operator bool() const { return format.has_value(); }
};

// Writes records item by item into a string, without building an item list:
//   RecordWriter w(format, out);
//   w.put(year); w.put(depth); for (...) w.put(value);
//   w.finish();
// finish() writes what follows the last item and ends the record; without it the
// last record is left open.
class RecordWriter {
public:
    RecordWriter(const RecordFormat& format, std::string& out);

    template <class T>
        requires std::integral<T> && (!std::same_as<T, bool>) && (!std::same_as<T, char>)
    void put(T v) { put_integer(static_cast<std::int64_t>(v)); }
    template <std::floating_point T>
    void put(T v) { put_real(static_cast<double>(v)); }
    void put(std::string_view s) { put_text(s); }
    void put(const char* s) { put_text(s); }
    void put(const std::string& s) { put_text(s); }
    void put(const Value& v);
    // A calendar year for an I descriptor: written as put() writes an integer,
    // except that a year needing more columns than the descriptor gives takes
    // the columns it needs (the rest of the record moves right) instead of
    // turning into asterisks.
    void put_year(std::int64_t v) { put_integer(v, true); }

    void finish();

private:
    void put_integer(std::int64_t v, bool widen = false);
    void put_real(double v);
    void put_text(std::string_view s);
    // Runs the format up to the next data descriptor and returns it; with no item
    // waiting, stops (returning null) at a data descriptor, a ':' or the end.
    const RecordFormat::Instr* next_data(bool item_waiting);
    void place(std::string_view s);
    void pad_to_position();
    void end_record();
    [[noreturn]] void mismatch(const RecordFormat::Instr& in, const char* item_kind) const;

    struct Frame {
        std::uint32_t begin;
        std::int32_t left;
    };
    const RecordFormat& f_;
    std::string& out_;
    std::size_t rec_start_;
    std::int64_t pos_ = 0;  // column of the next field, from 0
    std::size_t pc_ = 0;
    std::vector<Frame> stack_;
    std::size_t items_ = 0;
    bool dollar_ = false;
    bool finished_ = false;
};

}  // namespace tarnik::fmt
