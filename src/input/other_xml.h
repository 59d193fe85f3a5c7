#pragma once
// XML that is neither a TRiDaS document nor a PAST4 project: no ring-width
// file the program reads. Rather than report its markup as a line that cannot
// be read, the run ends with a message naming the document's root element.

#include <string>
#include <string_view>

#include "input/series_source.h"

namespace tarnik {

class OtherXmlReader : public SeriesSource {
public:
    // `file` names the file in the message.
    OtherXmlReader(std::string content, std::string file);

    // Ends the run: throws UnusableFile with the message.
    bool next(SeriesRead& s) override;
    std::size_t value_count_bound() const override { return 0; }
    ReadReport report() const override { return {"XML", "document", 0, {}}; }

    // True when the content is XML markup from its first to its last character
    // (see xml::root_element), whatever its root.
    static bool looks_like(std::string_view content);

private:
    std::string root_, file_;
};

}  // namespace tarnik
