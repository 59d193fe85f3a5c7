#pragma once
// Workbooks written inside the tests: .xlsx and .ods files are ZIP archives of
// small XML parts, written here with libzip from the parts' text.

#include <zip.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace tarnik::test {

struct ZipPart {
    std::string name, content;
    bool stored = false;     // kept uncompressed (an OpenDocument mimetype)
    bool encrypted = false;  // encrypted with a password
};

inline std::string zip_of(const std::vector<ZipPart>& parts) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_source_keep(buffer);
    zip_t* zip = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
    if (!zip) throw std::runtime_error("zip_open_from_source");
    for (const ZipPart& p : parts) {
        zip_source_t* s = zip_source_buffer(zip, p.content.data(), p.content.size(), 0);
        const zip_int64_t i = zip_file_add(zip, p.name.c_str(), s, ZIP_FL_ENC_UTF_8);
        if (i < 0) throw std::runtime_error("zip_file_add");
        if (p.stored) zip_set_file_compression(zip, static_cast<zip_uint64_t>(i), ZIP_CM_STORE, 0);
        if (p.encrypted && zip_file_set_encryption(zip, static_cast<zip_uint64_t>(i), ZIP_EM_AES_256, "secret") != 0)
            throw std::runtime_error("zip_file_set_encryption");
    }
    if (zip_close(zip) != 0) throw std::runtime_error("zip_close");
    zip_stat_t st;
    zip_source_stat(buffer, &st);
    std::string bytes(st.size, '\0');
    zip_source_open(buffer);
    zip_source_read(buffer, bytes.data(), bytes.size());
    zip_source_close(buffer);
    zip_source_free(buffer);
    return bytes;
}

// An .xlsx workbook: its sheets (name and the XML inside <sheetData>, or a
// chart sheet when the XML is "chart") and its shared strings.
struct XlsxSheet {
    std::string name, data;
};
inline std::string xlsx_of(const std::vector<XlsxSheet>& sheets, const std::vector<std::string>& strings = {}) {
    const std::string main = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
    const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    std::string list, rels;
    std::vector<ZipPart> parts;
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        const std::string n = std::to_string(i + 1);
        const bool chart = sheets[i].data == "chart";
        // The parts are named in reverse order: the workbook's order counts, not the names.
        const std::string part = (chart ? "chartsheets/sheet" : "worksheets/sheet") + std::to_string(sheets.size() - i) + ".xml";
        list += "<sheet name=\"" + sheets[i].name + "\" sheetId=\"" + n + "\" r:id=\"rId" + n + "\"/>";
        rels += "<Relationship Id=\"rId" + n + "\" Type=\"" + rel + (chart ? "/chartsheet" : "/worksheet") +
                "\" Target=\"" + part + "\"/>";
        parts.push_back({"xl/" + part, chart ? "<chartsheet xmlns=\"" + main + "\"/>"
                                             : "<?xml version=\"1.0\"?>\n<worksheet xmlns=\"" + main + "\" xmlns:r=\"" + rel +
                                                   "\"><dimension ref=\"A1\"/><sheetData>" + sheets[i].data +
                                                   "</sheetData><pageMargins/></worksheet>"});
    }
    std::string sst = "<sst xmlns=\"" + main + "\">";
    for (const std::string& s : strings) sst += "<si>" + s + "</si>";
    sst += "</sst>";
    rels += "<Relationship Id=\"rIdS\" Type=\"" + rel + "/sharedStrings\" Target=\"/xl/sharedStrings.xml\"/>";
    parts.push_back({"[Content_Types].xml", "<Types/>"});
    parts.push_back({"xl/workbook.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<workbook xmlns=\"" +
                                            main + "\" xmlns:r=\"" + rel + "\"><sheets>" + list + "</sheets></workbook>"});
    parts.push_back({"xl/_rels/workbook.xml.rels",
                     "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">" + rels +
                         "</Relationships>"});
    parts.push_back({"xl/sharedStrings.xml", sst});
    return zip_of(parts);
}

// An .ods spreadsheet: its tables (name and the XML inside <table:table>).
inline std::string ods_of(const std::vector<std::pair<std::string, std::string>>& tables, std::string manifest_extra = {}) {
    std::string body;
    for (const auto& [name, xml] : tables) body += "<table:table table:name=\"" + name + "\">" + xml + "</table:table>";
    const std::string content =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document-content "
        "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
        "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
        "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" office:version=\"1.2\">"
        "<office:body><office:spreadsheet>" + body + "</office:spreadsheet></office:body></office:document-content>";
    const std::string manifest =
        "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\">"
        "<manifest:file-entry manifest:full-path=\"content.xml\" manifest:media-type=\"text/xml\">" + manifest_extra +
        "</manifest:file-entry></manifest:manifest>";
    return zip_of({{"mimetype", "application/vnd.oasis.opendocument.spreadsheet", true},
                   {"content.xml", content},
                   {"META-INF/manifest.xml", manifest}});
}

}  // namespace tarnik::test
