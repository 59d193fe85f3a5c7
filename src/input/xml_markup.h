#pragma once
// What the readers of XML files (TRiDaS documents, PAST4 projects, and XML
// that is neither) share for recognising a document by its content.

#include <optional>
#include <string_view>

namespace tarnik::xml {

// The name of the root element as written ("t:tridas"), when the content is
// XML markup from its first to its last character: after the prolog (blanks,
// the XML declaration, comments, processing instructions, a document type
// declaration) an element that the end tag of the same name closes at the end
// of the content (only blanks, comments and processing instructions after it).
// The end tag must close markup or stand on a line of its own, so that a
// decadal file whose title is a start tag and whose last series line ends in
// an end tag is no XML. No value for anything else.
std::optional<std::string_view> root_element(std::string_view content);

// The local part of a name ("t:tridas" -> "tridas").
std::string_view local_name(std::string_view name);

// True when some element of the document is in a namespace whose URI begins
// with `uri_prefix`, as an XML parser resolves prefixes and default
// namespaces. The document is parsed only as far as the first such element;
// a document that is not well-formed before it has none.
bool has_element_in_namespace(std::string_view content, std::string_view uri_prefix);

}  // namespace tarnik::xml
