#pragma once
// The reader of Excel 2007+ workbooks (.xlsx): a ZIP container of XML parts.
// xl/workbook.xml lists the sheets in the workbook's order, its relationships
// (xl/_rels/workbook.xml.rels) lead to each sheet's part and to the shared
// strings; the first worksheet is read as a table (input/workbook_source.h).
// Cells hold numbers (their stored value, a formula's cached one), shared or
// inline strings, booleans, errors or dates.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "input/workbook_source.h"

namespace tarnik {

class ZipArchive;
class XmlHandler;

class XlsxReader : public WorkbookSource {
public:
    XlsxReader(std::string content, std::string file);
    ~XlsxReader() override;

    // A ZIP archive that holds xl/workbook.xml.
    static bool looks_like(std::string_view content);

    // The shared strings may take at most this much memory (twice that while
    // their store grows).
    static constexpr std::size_t kMaxSharedStrings = std::size_t{128} << 20;
    // A workbook may list at most this many sheets.
    static constexpr std::size_t kMaxSheets = 65536;

private:
    class SheetList;
    class Relationships;
    class SharedStrings;
    class SheetCells;

    void read_table() override;
    void parse_part(const ZipArchive& zip, const std::string& name, XmlHandler& handler, bool needed);

    std::string content_;
    // The shared strings, one after another, and where each ends.
    std::string strings_;
    std::vector<std::uint64_t> string_ends_;
};

}  // namespace tarnik
