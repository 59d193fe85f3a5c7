#include "input/formats.h"

#include "input/besancon.h"
#include "input/catras.h"
#include "input/chronology.h"
#include "input/compact.h"
#include "input/csv.h"
#include "input/ods.h"
#include "input/decadal.h"
#include "input/heidelberg.h"
#include "input/other_xml.h"
#include "input/past4.h"
#include "input/sheffield.h"
#include "input/tridas.h"
#include "input/vformat.h"
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
