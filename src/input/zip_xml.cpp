#include "input/zip_xml.h"

#include <expat.h>
#include <zip.h>

#include <exception>
#include <vector>

namespace tarnik {
namespace {

constexpr char kNamespaceSeparator = '|';
constexpr std::size_t kChunk = 256 * 1024;

std::string libzip_error(int code) {
    zip_error_t e;
    zip_error_init_with_code(&e, code);
    std::string text = zip_error_strerror(&e);
    zip_error_fini(&e);
    return text;
}

bool is_password_error(int code) { return code == ZIP_ER_NOPASSWD || code == ZIP_ER_WRONGPASSWD; }

std::string size_text(std::uint64_t bytes) { return std::to_string(bytes >> 20) + " MB"; }

// Expat's view of one parse: the handler, the exception a handler threw, and
// the byte position of the last event, for the limit on token length.
struct Parse {
    XML_Parser parser;
    XmlHandler& handler;
    std::exception_ptr error;
    std::int64_t last_event = 0;
    bool refused_doctype = false;
};

template <class F>
void guarded(void* data, F f) {
    auto* p = static_cast<Parse*>(data);
    p->last_event = XML_GetCurrentByteIndex(p->parser);
    if (p->error || p->handler.done) return;
    try {
        f(*p);
    } catch (...) {
        p->error = std::current_exception();
    }
    if (p->error || p->handler.done) XML_StopParser(p->parser, XML_FALSE);
}

extern "C" void zip_xml_start(void* data, const XML_Char* name, const XML_Char** attrs) {
    guarded(data, [&](Parse& p) { p.handler.start(name, attrs); });
}
extern "C" void zip_xml_end(void* data, const XML_Char* name) {
    guarded(data, [&](Parse& p) { p.handler.end(name); });
}
extern "C" void zip_xml_text(void* data, const XML_Char* s, int len) {
    guarded(data, [&](Parse& p) { p.handler.text(std::string_view(s, static_cast<std::size_t>(len))); });
}
extern "C" void zip_xml_other(void* data, const XML_Char*, int) {
    auto* p = static_cast<Parse*>(data);
    p->last_event = XML_GetCurrentByteIndex(p->parser);
}
extern "C" void zip_xml_doctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*, int) {
    auto* p = static_cast<Parse*>(data);
    p->refused_doctype = true;
    XML_StopParser(p->parser, XML_FALSE);
}

// A zip_file_t closed on the way out.
struct OpenPart {
    zip_file_t* file;
    ~OpenPart() {
        if (file) zip_fclose(file);
    }
};

}  // namespace

std::string_view local_name(std::string_view name) {
    const auto bar = name.rfind(kNamespaceSeparator);
    return bar == std::string_view::npos ? name : name.substr(bar + 1);
}

const char* attribute(const char** attributes, std::string_view local) {
    for (const char** a = attributes; *a; a += 2)
        if (local_name(*a) == local) return a[1];
    return nullptr;
}

bool ZipArchive::has_signature(std::string_view bytes) { return bytes.starts_with(std::string_view("PK\x03\x04", 4)); }

std::unique_ptr<ZipArchive> ZipArchive::open(std::string_view bytes, std::string& problem) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    zip_t* zip = source ? zip_open_from_source(source, ZIP_RDONLY, &error) : nullptr;
    if (!zip) {
        problem = zip_error_strerror(&error);
        if (source) zip_source_free(source);
        zip_error_fini(&error);
        return nullptr;
    }
    zip_error_fini(&error);
    return std::unique_ptr<ZipArchive>(new ZipArchive(zip));
}

ZipArchive::~ZipArchive() { zip_discard(zip_); }

std::optional<std::uint64_t> ZipArchive::find(std::string_view name) const {
    const std::string n(name);
    const zip_int64_t i = zip_name_locate(zip_, n.c_str(), ZIP_FL_NOCASE | ZIP_FL_ENC_RAW);
    if (i < 0) return std::nullopt;
    return static_cast<std::uint64_t>(i);
}

std::optional<ZipProblem> ZipArchive::check_part(std::uint64_t index) const {
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(zip_, index, 0, &st) != 0) return ZipProblem{"its entry cannot be read"};
    if ((st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE)
        return ZipProblem{"it is encrypted", true};
    if ((st.valid & ZIP_STAT_SIZE) && st.size > kMaxPart)
        return ZipProblem{"it would expand to " + size_text(st.size) + ", beyond the 1 GB a workbook part may take"};
    return std::nullopt;
}

std::optional<std::string> ZipArchive::read_small(std::uint64_t index, std::size_t max) const {
    if (check_part(index)) return std::nullopt;
    OpenPart part{zip_fopen_index(zip_, index, 0)};
    if (!part.file) return std::nullopt;
    std::string out(max + 1, '\0');
    std::size_t got = 0;
    for (;;) {
        const zip_int64_t n = zip_fread(part.file, out.data() + got, out.size() - got);
        if (n < 0) return std::nullopt;
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
        if (got > max) return std::nullopt;
    }
    out.resize(got);
    return out;
}

std::optional<ZipProblem> ZipArchive::parse(std::uint64_t index, XmlHandler& handler) const {
    const std::string part_name = zip_get_name(zip_, index, ZIP_FL_ENC_RAW) ? zip_get_name(zip_, index, ZIP_FL_ENC_RAW) : "?";
    if (auto p = check_part(index)) return ZipProblem{"the part " + part_name + " cannot be read: " + p->what, p->encrypted};
    OpenPart part{zip_fopen_index(zip_, index, 0)};
    if (!part.file) {
        const int code = zip_error_code_zip(zip_get_error(zip_));
        return ZipProblem{"the part " + part_name + " cannot be read: " + libzip_error(code), is_password_error(code)};
    }
    std::unique_ptr<XML_ParserStruct, void (*)(XML_Parser)> parser(XML_ParserCreateNS(nullptr, kNamespaceSeparator),
                                                                   XML_ParserFree);
    if (!parser) throw std::bad_alloc();
    Parse p{parser.get(), handler, nullptr};
    XML_SetUserData(parser.get(), &p);
    XML_SetElementHandler(parser.get(), zip_xml_start, zip_xml_end);
    XML_SetCharacterDataHandler(parser.get(), zip_xml_text);
    XML_SetDefaultHandlerExpand(parser.get(), zip_xml_other);
    XML_SetStartDoctypeDeclHandler(parser.get(), zip_xml_doctype);
    std::vector<char> chunk(kChunk);
    std::uint64_t fed = 0;
    for (bool last = false; !last;) {
        const zip_int64_t n = zip_fread(part.file, chunk.data(), chunk.size());
        if (n < 0) {
            const int code = zip_error_code_zip(zip_file_get_error(part.file));
            return ZipProblem{"the part " + part_name + " cannot be read: " + libzip_error(code), is_password_error(code)};
        }
        last = n == 0;
        fed += static_cast<std::uint64_t>(n);
        if (fed > kMaxPart)
            return ZipProblem{"the part " + part_name + " expands beyond the 1 GB a workbook part may take"};
        const XML_Status status = XML_Parse(parser.get(), chunk.data(), static_cast<int>(n), last);
        if (p.error) std::rethrow_exception(p.error);
        if (handler.done) return std::nullopt;
        if (p.refused_doctype)
            return ZipProblem{"the part " + part_name + " holds a document type declaration, which no workbook part has"};
        if (status != XML_STATUS_OK)
            return ZipProblem{"the part " + part_name + " is not well-formed XML (line " +
                              std::to_string(XML_GetCurrentLineNumber(parser.get())) +
                              "): " + XML_ErrorString(XML_GetErrorCode(parser.get()))};
        if (fed - static_cast<std::uint64_t>(std::max<std::int64_t>(p.last_event, 0)) > kMaxToken)
            return ZipProblem{"the part " + part_name + " holds an XML token longer than 16 MB"};
    }
    return std::nullopt;
}

}  // namespace tarnik
