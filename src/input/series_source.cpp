#include "input/series_source.h"

#include "console/answers.h"
#include "console/textfile.h"
#include "input/compact.h"
#include "input/csv.h"
#include "input/heidelberg.h"
#include "input/readdec.h"
#include "input/tridas.h"

namespace tarnik {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool is_name_char(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
           c == '.' || c == ':' || static_cast<unsigned char>(c) >= 0x80;
}

// The local part of an XML name ("t:tridas" -> "tridas").
std::string_view local_name(std::string_view name) {
    const std::size_t colon = name.rfind(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

// TRiDaS: markup from the first character to the last, the root element
// `tridas` opened at the start and closed at the end.
bool looks_like_tridas(std::string_view s) {
    if (s.starts_with(kBom)) s.remove_prefix(kBom.size());
    // The prolog: blanks, the XML declaration, comments, processing
    // instructions and a document type declaration.
    for (;;) {
        while (!s.empty() && is_space(s.front())) s.remove_prefix(1);
        std::string_view close;
        if (s.starts_with("<?")) close = "?>";
        else if (s.starts_with("<!--")) close = "-->";
        else if (s.starts_with("<!DOCTYPE")) close = s.find('[') < s.find('>') ? "]>" : ">";
        else break;
        const std::size_t end = s.find(close);
        if (end == std::string_view::npos) return false;
        s.remove_prefix(end + close.size());
    }
    if (!s.starts_with("<")) return false;
    std::size_t n = 1;
    while (n < s.size() && is_name_char(s[n])) ++n;
    if (n == s.size() || local_name(s.substr(1, n - 1)) != "tridas" ||
        !(is_space(s[n]) || s[n] == '>' || s[n] == '/'))
        return false;
    // After the root's end tag only blanks, comments and processing instructions.
    for (;;) {
        while (!s.empty() && is_space(s.back())) s.remove_suffix(1);
        std::string_view open;
        if (s.ends_with("-->")) open = "<!--";
        else if (s.ends_with("?>")) open = "<?";
        else break;
        const std::size_t at = s.rfind(open);
        if (at == std::string_view::npos || at == 0) return false;
        s = s.substr(0, at);
    }
    if (!s.ends_with(">")) return false;
    std::size_t t = s.size() - 1;
    while (t > 0 && is_space(s[t - 1])) --t;
    std::size_t b = t;
    while (b > 0 && is_name_char(s[b - 1])) --b;
    if (b < 2 || s.substr(b - 2, 2) != "</" || local_name(s.substr(b, t - b)) != "tridas") return false;
    // The end tag closes markup or stands on a line of its own: a decadal
    // series line whose marker is followed by "</tridas>" is no XML.
    std::size_t before = b - 2;
    while (before > 0 && (s[before - 1] == ' ' || s[before - 1] == '\t')) --before;
    return before == 0 || s[before - 1] == '>' || s[before - 1] == '\n' || s[before - 1] == '\r';
}

// Heidelberg: the first line that is not blank is HEADER:, then key=value
// lines (blank lines aside) up to a DATA:<kind> line.
bool looks_like_heidelberg(std::string_view content) {
    if (content.starts_with(kBom)) content.remove_prefix(kBom.size());
    std::size_t pos = 0;
    std::optional<std::string_view> line;
    do line = next_text_line(content, pos);
    while (line && is_blank(*line));
    if (!line || !HeidelbergReader::is_header_line(*line)) return false;
    while ((line = next_text_line(content, pos))) {
        if (is_blank(*line)) continue;
        if (HeidelbergReader::is_data_line(*line)) return true;
        if (!HeidelbergReader::key_of(*line)) return false;
    }
    return false;
}

}  // namespace

FileFormat detect_format(std::string_view content) {
    if (looks_like_tridas(content)) return FileFormat::tridas;
    if (looks_like_heidelberg(content)) return FileFormat::heidelberg;
    if (CsvReader::looks_like(content)) return FileFormat::csv;
    if (CompactReader::looks_like(content)) return FileFormat::compact;
    return FileFormat::decadal;
}

std::unique_ptr<SeriesSource> open_series_source(const std::string& path) {
    auto content = read_whole_file(path);
    if (!content) return nullptr;
    switch (detect_format(*content)) {
        case FileFormat::tridas: return std::make_unique<TridasReader>(std::move(*content), path);
        case FileFormat::heidelberg: {
            if (content->starts_with(kBom)) content->erase(0, kBom.size());
            return std::make_unique<HeidelbergReader>(std::move(*content), path);
        }
        case FileFormat::csv: return std::make_unique<CsvReader>(std::move(*content), path);
        case FileFormat::compact: return std::make_unique<CompactReader>(std::move(*content), path);
        case FileFormat::decadal: break;
    }
    return std::make_unique<DecadalReader>(std::move(*content));
}

}  // namespace tarnik
