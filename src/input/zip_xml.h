#pragma once
// The ZIP container of .xlsx and .ods workbooks, read through libzip from the
// file's bytes in memory, and its XML parts streamed through Expat in chunks:
// no part is ever inflated whole into memory. A part whose declared size
// passes 1 GB is refused before it is read (a ZIP bomb), a part that inflates
// beyond what it declared stops there, and one XML token (a name, an attribute
// value, a comment) may take at most 16 MB of the parser's buffer. Documents
// with a document type declaration are refused: no workbook part has one, and
// so no entity can expand.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

typedef struct zip zip_t;

namespace tarnik {

// What a reader does with the XML of one part. Names are given as
// "namespace-uri|local-name" ("local-name" without a namespace); attributes as
// Expat gives them (name, value, ..., null). A handler may throw (a read
// error): the exception is carried past Expat to the caller of parse().
class XmlHandler {
public:
    virtual ~XmlHandler() = default;
    virtual void start(std::string_view name, const char** attributes) = 0;
    virtual void end(std::string_view name) = 0;
    virtual void text(std::string_view) {}
    // Set by a handler that needs nothing more of the part: parsing stops.
    bool done = false;
};

// The local part of an XML name as XmlHandler gets it ("c" of "uri|c").
std::string_view local_name(std::string_view name);
// The value of the attribute whose local name is `local`; null without one.
const char* attribute(const char** attributes, std::string_view local);

// Why a part could not be read.
struct ZipProblem {
    std::string what;
    bool encrypted = false;  // the part is encrypted: no damage, but a password
};

class ZipArchive {
public:
    // The largest inflated part read, and the longest XML token.
    static constexpr std::uint64_t kMaxPart = std::uint64_t{1} << 30;
    static constexpr std::uint64_t kMaxToken = std::uint64_t{16} << 20;

    // The archive in `bytes`, which must outlive it; null when libzip cannot
    // open it, with the reason in `problem`.
    static std::unique_ptr<ZipArchive> open(std::string_view bytes, std::string& problem);
    // Whether `bytes` begin like a ZIP archive (a local file header).
    static bool has_signature(std::string_view bytes);
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    // The index of the part named `name` (ASCII case ignored), if any.
    std::optional<std::uint64_t> find(std::string_view name) const;
    // The part read whole when it inflates to at most `max` bytes.
    std::optional<std::string> read_small(std::uint64_t index, std::size_t max) const;
    // Streams the part through Expat to `handler`; what went wrong, if anything.
    std::optional<ZipProblem> parse(std::uint64_t index, XmlHandler& handler) const;

private:
    explicit ZipArchive(zip_t* zip) : zip_(zip) {}
    std::optional<ZipProblem> check_part(std::uint64_t index) const;
    zip_t* zip_;
};

}  // namespace tarnik
