#include "input/formats.h"

#include "input/compact.h"
#include "input/csv.h"
#include "input/heidelberg.h"
#include "input/ods.h"
#include "input/decadal.h"
#include "input/tridas.h"
#include "input/xls.h"
#include "input/xlsx.h"

namespace tarnik {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

template <class Reader>
std::unique_ptr<SeriesSource> make(std::string content, const std::string& file) {
    return std::make_unique<Reader>(std::move(content), file);
}

// The order matters where two tests could accept the same content: the
// binary containers of workbooks (a ZIP or OLE2 signature and the parts of a
// workbook inside) first, then the structured text formats, each test demanding its format's structure beyond
// the first line, and the decadal format, which takes anything, last.
constexpr FormatEntry kFormats[] = {
    {FileFormat::xlsx, ContentKind::bytes, XlsxReader::looks_like, make<XlsxReader>},
    {FileFormat::ods, ContentKind::bytes, OdsReader::looks_like, make<OdsReader>},
    {FileFormat::xls, ContentKind::bytes, XlsReader::looks_like, make<XlsReader>},
    {FileFormat::tridas, ContentKind::text, TridasReader::looks_like, make<TridasReader>},
    {FileFormat::heidelberg, ContentKind::text, HeidelbergReader::looks_like, make<HeidelbergReader>},
    {FileFormat::csv, ContentKind::text, CsvReader::looks_like, make<CsvReader>},
    {FileFormat::compact, ContentKind::text, CompactReader::looks_like, make<CompactReader>},
    {FileFormat::decadal, ContentKind::text, DecadalReader::looks_like, make<DecadalReader>},
};

const FormatEntry& entry_for(std::string_view bytes) {
    const std::string_view text = text_of(bytes);
    for (const FormatEntry& f : kFormats)
        if (f.looks_like(f.content == ContentKind::text ? text : bytes)) return f;
    return kFormats[std::size(kFormats) - 1];
}

}  // namespace

std::span<const FormatEntry> format_table() { return kFormats; }

std::string_view text_of(std::string_view bytes) {
    return bytes.starts_with(kUtf8Bom) ? bytes.substr(kUtf8Bom.size()) : bytes;
}

FileFormat detect_format(std::string_view bytes) { return entry_for(bytes).format; }

std::unique_ptr<SeriesSource> make_series_source(std::string bytes, const std::string& file) {
    const FormatEntry& f = entry_for(bytes);
    if (f.content == ContentKind::text && bytes.starts_with(kUtf8Bom)) bytes.erase(0, kUtf8Bom.size());
    return f.make(std::move(bytes), file);
}

}  // namespace tarnik
