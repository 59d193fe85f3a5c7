#include "input/xml_markup.h"

#include <expat.h>

#include <algorithm>
#include <new>

#include "input/text_helpers.h"

namespace tarnik::xml {
namespace {

using text::is_space;

bool is_name_char(char c) {
    return text::is_letter(c) || text::is_digit(c) || c == '_' || c == '-' || c == '.' || c == ':' ||
           static_cast<unsigned char>(c) >= 0x80;
}

// The content without its prolog; no value when a declaration is not closed.
std::optional<std::string_view> skip_prolog(std::string_view s) {
    for (;;) {
        while (!s.empty() && is_space(s.front())) s.remove_prefix(1);
        std::string_view close;
        if (s.starts_with("<?")) close = "?>";
        else if (s.starts_with("<!--")) close = "-->";
        else if (s.starts_with("<!DOCTYPE")) close = s.find('[') < s.find('>') ? "]>" : ">";
        else return s;
        const std::size_t end = s.find(close);
        if (end == std::string_view::npos) return std::nullopt;
        s.remove_prefix(end + close.size());
    }
}

// The content without the blanks, comments and processing instructions after
// the root's end tag; no value when one of them is not opened.
std::optional<std::string_view> skip_epilog(std::string_view s) {
    for (;;) {
        while (!s.empty() && is_space(s.back())) s.remove_suffix(1);
        std::string_view open;
        if (s.ends_with("-->")) open = "<!--";
        else if (s.ends_with("?>")) open = "<?";
        else return s;
        const std::size_t at = s.rfind(open);
        if (at == std::string_view::npos || at == 0) return std::nullopt;
        s = s.substr(0, at);
    }
}

constexpr char kSeparator = '|';  // never part of a name or a namespace URI

struct NamespaceSearch {
    XML_Parser parser;
    std::string_view prefix;
    bool found = false;
};

extern "C" void on_namespace_start(void* data, const XML_Char* name, const XML_Char**) {
    auto* search = static_cast<NamespaceSearch*>(data);
    const std::string_view n(name);
    const std::size_t bar = n.find(kSeparator);
    if (bar != std::string_view::npos && n.substr(0, bar).starts_with(search->prefix)) {
        search->found = true;
        XML_StopParser(search->parser, XML_FALSE);
    }
}

}  // namespace

std::string_view local_name(std::string_view name) {
    const std::size_t colon = name.rfind(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

std::optional<std::string_view> root_element(std::string_view content) {
    const auto body = skip_prolog(content);
    if (!body || !body->starts_with("<")) return std::nullopt;
    std::string_view s = *body;
    std::size_t n = 1;
    while (n < s.size() && is_name_char(s[n])) ++n;
    if (n == 1 || n == s.size() || !(is_space(s[n]) || s[n] == '>' || s[n] == '/')) return std::nullopt;
    const std::string_view root = s.substr(1, n - 1);
    const auto rest = skip_epilog(s);
    if (!rest || !rest->ends_with(">")) return std::nullopt;
    s = *rest;
    std::size_t t = s.size() - 1;
    while (t > 0 && is_space(s[t - 1])) --t;
    std::size_t b = t;
    while (b > 0 && is_name_char(s[b - 1])) --b;
    if (b < 2 || s.substr(b - 2, 2) != "</" || s.substr(b, t - b) != root) return std::nullopt;
    // The end tag closes markup or stands on a line of its own: a decadal
    // series line whose marker is followed by an end tag is no XML.
    std::size_t before = b - 2;
    while (before > 0 && (s[before - 1] == ' ' || s[before - 1] == '\t')) --before;
    if (before == 0 || s[before - 1] == '>' || s[before - 1] == '\n' || s[before - 1] == '\r') return root;
    return std::nullopt;
}

bool has_element_in_namespace(std::string_view content, std::string_view uri_prefix) {
    // Only a document that names such a namespace can have an element in it.
    if (content.find(uri_prefix) == std::string_view::npos) return false;
    XML_Parser parser = XML_ParserCreateNS(nullptr, kSeparator);
    if (!parser) throw std::bad_alloc();
    NamespaceSearch search{parser, uri_prefix};
    XML_SetUserData(parser, &search);
    XML_SetStartElementHandler(parser, on_namespace_start);
    constexpr std::size_t kChunk = std::size_t{1} << 20;
    for (std::size_t at = 0; !search.found;) {
        const std::size_t n = std::min(kChunk, content.size() - at);
        const bool last = at + n == content.size();
        if (XML_Parse(parser, content.data() + at, static_cast<int>(n), last) != XML_STATUS_OK || last) break;
        at += n;
    }
    XML_ParserFree(parser);
    return search.found;
}

}  // namespace tarnik::xml
