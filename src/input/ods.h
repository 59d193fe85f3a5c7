#pragma once
// The reader of OpenDocument spreadsheets (.ods): a ZIP container whose
// `mimetype` part reads application/vnd.oasis.opendocument.spreadsheet and
// whose content.xml holds the sheets (tables) in order; the first is read as a
// table (input/workbook_source.h). A cell's number is its office:value;
// repeated cells and rows (number-columns-repeated, number-rows-repeated)
// count as that many, but runs of empty ones are skipped, never expanded. A
// package whose manifest lists encryption data is encrypted.

#include <string>
#include <string_view>

#include "input/workbook_source.h"

namespace tarnik {

class OdsReader : public WorkbookSource {
public:
    OdsReader(std::string content, std::string file);

    static bool looks_like(std::string_view content);

private:
    class Manifest;
    class Content;

    void read_table() override;

    std::string content_;
};

}  // namespace tarnik
