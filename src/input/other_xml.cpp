#include "input/other_xml.h"

#include "console/answers.h"
#include "input/xml_markup.h"

namespace tarnik {

OtherXmlReader::OtherXmlReader(std::string content, std::string file)
    : root_(xml::root_element(content).value_or("")), file_(std::move(file)) {}

bool OtherXmlReader::looks_like(std::string_view content) { return xml::root_element(content).has_value(); }

bool OtherXmlReader::next(SeriesRead&) {
    throw UnusableFile{{" The file " + file_ + " is an XML document whose root element is <" + printable(root_) +
                            ">: neither a TRiDaS document nor a PAST4 project, it holds no ring widths.",
                        " There is nothing to analyse. The run ends here."}};
}

}  // namespace tarnik
