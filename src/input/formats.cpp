#include "input/formats.h"

#include <cstdio>
#include <memory>

#include "console/answers.h"
#include "console/console.h"
#include "console/errors.h"
#include "console/textfile.h"
#include "input/besancon.h"
#include "input/catras.h"
#include "input/chronology.h"
#include "input/compact.h"
#include "input/csv.h"
#include "input/decadal.h"
#include "input/heidelberg.h"
#include "input/ods.h"
#include "input/other_xml.h"
#include "input/past4.h"
#include "input/sheffield.h"
#include "input/text_lines.h"
#include "input/tridas.h"
#include "input/vformat.h"
#include "input/xls.h"
#include "input/xlsx.h"

namespace tarnik {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";

template <class Reader>
std::unique_ptr<SeriesSource> make(std::string content, const std::string& file) {
    return std::make_unique<Reader>(std::move(content), file);
}

// The order matters where two tests could accept the same content: the
// binary formats first (the CATRAS header, the ZIP or OLE2 containers of
// workbooks with a workbook's parts inside: no text passes their tests), then the
// structured text formats, each test demanding its format's structure beyond the
// first line, and the decadal format, which takes anything, last.
constexpr FormatEntry kFormats[] = {
    {FileFormat::catras, ContentKind::bytes, CatrasReader::looks_like, make<CatrasReader>},
    {FileFormat::xlsx, ContentKind::bytes, XlsxReader::looks_like, make<XlsxReader>},
    {FileFormat::ods, ContentKind::bytes, OdsReader::looks_like, make<OdsReader>},
    {FileFormat::xls, ContentKind::bytes, XlsReader::looks_like, make<XlsReader>},
    {FileFormat::tridas, ContentKind::text, TridasReader::looks_like, make<TridasReader>},
    {FileFormat::past4, ContentKind::text, Past4Reader::looks_like, make<Past4Reader>},
    // Any other XML document: the run ends naming its root element.
    {FileFormat::other_xml, ContentKind::text, OtherXmlReader::looks_like, make<OtherXmlReader>},
    {FileFormat::heidelberg, ContentKind::text, HeidelbergReader::looks_like, make<HeidelbergReader>},
    {FileFormat::csv, ContentKind::text, CsvReader::looks_like, make<CsvReader>},
    {FileFormat::compact, ContentKind::text, CompactReader::looks_like, make<CompactReader>},
    {FileFormat::sheffield, ContentKind::text, SheffieldReader::looks_like, make<SheffieldReader>},
    {FileFormat::vformat, ContentKind::text, VFormatReader::looks_like, make<VFormatReader>},
    {FileFormat::besancon, ContentKind::text, BesanconReader::looks_like, make<BesanconReader>},
    // A chronology of indices: the run ends saying so. Its test is strict
    // enough never to claim a decadal file, which comes next.
    {FileFormat::chronology, ContentKind::text, ChronologyReader::looks_like, make<ChronologyReader>},
    {FileFormat::decadal, ContentKind::text, DecadalReader::looks_like, make<DecadalReader>},
};

std::string_view without_utf8_bom(std::string_view bytes) {
    return bytes.starts_with(kUtf8Bom) ? bytes.substr(kUtf8Bom.size()) : bytes;
}

const FormatEntry& entry_for(std::string_view bytes) {
    const std::string_view text = without_utf8_bom(bytes);
    for (const FormatEntry& f : kFormats)
        if (f.looks_like(f.content == ContentKind::text ? text : bytes)) return f;
    return kFormats[std::size(kFormats) - 1];
}

bool is_utf16(std::string_view bytes) { return bytes.starts_with(kUtf16LeBom) || bytes.starts_with(kUtf16BeBom); }

// The number of the line that `text` ends in (a line end at its very end
// starts the next line).
std::size_t line_at_end(std::string_view text) {
    std::size_t pos = 0, lines = 0;
    while (next_text_line(text, pos)) ++lines;
    if (text.empty() || text.back() == '\n' || text.back() == '\r') ++lines;
    return lines;
}

std::string hex(std::uint32_t unit) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%04X", unit);
    return buf;
}

// UTF-16 to UTF-8, fed the file's bytes after the byte-order mark in pieces of
// any size. With no output string it only counts the bytes of the text, so
// that the text's storage can be reserved exactly before it is written.
class Utf16Decoder {
public:
    explicit Utf16Decoder(bool big_endian) : big_endian_(big_endian) {}

    // Decodes `bytes` onto `out` (if given); false at the first fault, which
    // problem() then tells.
    bool feed(std::string_view bytes, std::string* out) {
        for (char c : bytes) {
            const auto b = static_cast<unsigned char>(c);
            if (pending_byte_ < 0) {
                pending_byte_ = b;
                continue;
            }
            const auto first = static_cast<std::uint32_t>(pending_byte_);
            pending_byte_ = -1;
            if (!unit(big_endian_ ? (first << 8 | b) : (b << 8 | first), out)) return false;
        }
        return true;
    }

    // At the end of the file: false when a byte or a high surrogate is left over.
    bool finish(const std::string* out) {
        if (pending_byte_ >= 0) return fail("the file ends in the middle of a character (an odd number of bytes)", out);
        if (high_ != 0) return fail("the file ends after the first half " + hex(high_) + " of a surrogate pair", out);
        return true;
    }

    std::size_t size() const { return size_; }
    // The fault that stopped the decoding.
    const TextProblem& problem() const { return problem_; }

private:
    bool unit(std::uint32_t u, std::string* out) {
        if (high_ != 0) {
            if (u < 0xDC00 || u > 0xDFFF)
                return fail("the first half " + hex(high_) + " of a surrogate pair is not followed by its second half",
                            out);
            const std::uint32_t cp = 0x10000 + ((high_ - 0xD800) << 10) + (u - 0xDC00);
            high_ = 0;
            put(cp, out);
            return true;
        }
        if (u >= 0xD800 && u <= 0xDBFF) {
            high_ = u;
            return true;
        }
        if (u >= 0xDC00 && u <= 0xDFFF)
            return fail("the second half " + hex(u) + " of a surrogate pair stands alone", out);
        put(u, out);
        return true;
    }

    void put(std::uint32_t cp, std::string* out) {
        char buf[4];
        std::size_t n = 0;
        if (cp < 0x80) {
            buf[n++] = static_cast<char>(cp);
        } else if (cp < 0x800) {
            buf[n++] = static_cast<char>(0xC0 | cp >> 6);
            buf[n++] = static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            buf[n++] = static_cast<char>(0xE0 | cp >> 12);
            buf[n++] = static_cast<char>(0x80 | (cp >> 6 & 0x3F));
            buf[n++] = static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            buf[n++] = static_cast<char>(0xF0 | cp >> 18);
            buf[n++] = static_cast<char>(0x80 | (cp >> 12 & 0x3F));
            buf[n++] = static_cast<char>(0x80 | (cp >> 6 & 0x3F));
            buf[n++] = static_cast<char>(0x80 | (cp & 0x3F));
        }
        size_ += n;
        if (out) out->append(buf, n);
    }

    bool fail(std::string what, const std::string* out) {
        problem_.what = "it is UTF-16 by its byte-order mark, but " + std::move(what);
        problem_.line = out ? line_at_end(*out) : 0;
        return false;
    }

    bool big_endian_;
    int pending_byte_ = -1;   // the first byte of a code unit, when its second is still to come
    std::uint32_t high_ = 0;  // a high surrogate waiting for its low half
    std::size_t size_ = 0;    // bytes of UTF-8 produced
    TextProblem problem_;
};

// Decodes UTF-16 `bytes` (after the mark) onto `out`, reserved exactly first.
// No value, with `problem` set, at a fault.
std::optional<std::string> decode_utf16(std::string_view bytes, bool big_endian, TextProblem& problem) {
    Utf16Decoder count(big_endian);
    if (!count.feed(bytes, nullptr) || !count.finish(nullptr)) {
        // Decode again up to the fault, for the number of its line.
        Utf16Decoder again(big_endian);
        std::string text;
        if (again.feed(bytes, &text)) again.finish(&text);
        problem = again.problem();
        return std::nullopt;
    }
    std::string out;
    out.reserve(count.size());
    Utf16Decoder decoder(big_endian);
    if (decoder.feed(bytes, &out) && decoder.finish(&out)) return out;
    problem = decoder.problem();
    return std::nullopt;
}

[[noreturn]] void undecodable(const std::string& file, const TextProblem& problem) {
    throw InternalError{{" error reading data",
                         menu_indent("The file " + file + " cannot be read, line " + std::to_string(problem.line) + ":"),
                         menu_indent(problem.what), menu_indent("This should not happen. Check file format and LF")},
                        menu_indent("Hit RETURN to Terminate program : "),
                        true};
}

// Reads the UTF-16 file `f` (its mark read already) twice: once to count the
// bytes of its text, once to decode it into storage of exactly that size.
std::optional<std::string> read_utf16_file(std::FILE* f, const std::string& path, bool big_endian) {
    std::string text;
    char buf[1 << 16];
    for (int pass = 0; pass < 2; ++pass) {
        if (std::fseek(f, 2, SEEK_SET) != 0) return std::nullopt;
        Utf16Decoder decoder(big_endian);
        std::string* out = pass == 0 ? nullptr : &text;
        bool ok = true;
        for (std::size_t got; ok && (got = std::fread(buf, 1, sizeof buf, f)) > 0;)
            ok = decoder.feed(std::string_view(buf, got), out);
        if (std::ferror(f)) return std::nullopt;
        if (ok) ok = decoder.finish(out);
        if (!ok) {
            if (pass == 1) undecodable(path, decoder.problem());
            text.clear();  // the second pass decodes up to the fault, for its line
            continue;
        }
        if (pass == 0) text.reserve(decoder.size());
        else return text;
    }
    return std::nullopt;
}

}  // namespace

std::span<const FormatEntry> format_table() { return kFormats; }

std::optional<std::string> text_of(std::string bytes, TextProblem& problem) {
    if (is_utf16(bytes)) return decode_utf16(std::string_view(bytes).substr(2), bytes.starts_with(kUtf16BeBom), problem);
    if (bytes.starts_with(kUtf8Bom)) bytes.erase(0, kUtf8Bom.size());
    return bytes;
}

std::optional<std::string> read_input_file(const std::string& path) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!f) return std::nullopt;
    char head[2];
    if (std::fread(head, 1, 2, f.get()) == 2 && is_utf16(std::string_view(head, 2)))
        return read_utf16_file(f.get(), path, head[0] == kUtf16BeBom[0]);
    return read_whole_file(path);
}

FileFormat detect_format(std::string_view bytes) {
    if (is_utf16(bytes)) {
        TextProblem problem;
        const auto text = text_of(std::string(bytes), problem);
        return text ? entry_for(*text).format : FileFormat::decadal;
    }
    return entry_for(bytes).format;
}

std::unique_ptr<SeriesSource> make_series_source(std::string bytes, const std::string& file) {
    if (is_utf16(bytes)) {
        TextProblem problem;
        auto text = text_of(std::move(bytes), problem);
        if (!text) undecodable(file, problem);
        bytes = std::move(*text);
    }
    const FormatEntry& f = entry_for(bytes);
    if (f.content == ContentKind::text && bytes.starts_with(kUtf8Bom)) bytes.erase(0, kUtf8Bom.size());
    return f.make(std::move(bytes), file);
}

}  // namespace tarnik
