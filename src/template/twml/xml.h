#pragma once
// The XML side of TWML on pugixml: parsing with positioned messages, local
// names, unprefixed attribute lookup and the serialisation used for component
// bodies and slot contents.

#include "core/result.h"
#include "template/twml/error.h"

#include <pugixml.hpp>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick::tmpl {

using XmlDocument = std::unique_ptr<pugi::xml_document>;

// Parses a whole text. Beyond what pugixml checks, a document needs exactly one
// root element, no text outside it and no attribute given twice. Failures are
// XmlParse "<description> at <line>:<column>".
Result<XmlDocument, TwmlError> parse_xml(std::string_view text);

// The root element of a parsed document.
pugi::xml_node root_element(const pugi::xml_document& document);

// Name without its namespace prefix: the text after the last ':'.
std::string_view local_name(std::string_view name);
std::string_view local_name(const pugi::xml_node& element);
std::string_view local_name(const pugi::xml_attribute& attribute);

// xmlns and xmlns:* are namespace declarations, not attributes.
bool is_namespace_declaration(const pugi::xml_attribute& attribute);

// The value of the attribute of that name that carries no prefix.
std::optional<std::string> unprefixed_attribute(const pugi::xml_node& element, const char* name);

bool is_text_node(const pugi::xml_node& node);

// Calls `visit` for every descendant of `node` in document order (not for
// `node` itself). Iterative, so deep documents cannot exhaust the stack.
void for_each_descendant(const pugi::xml_node& node,
                         const std::function<void(const pugi::xml_node&)>& visit);

// Appends the node: elements by local name with escaped attributes in document
// order ("/>" right after the last attribute when empty), text escaped,
// comments and processing instructions dropped.
void write_xml_node(const pugi::xml_node& node, std::string& out);

// & < > and the double quote as entities, the ampersand first.
std::string escape_xml(std::string_view text);

}  // namespace tarnwick::tmpl
