#include "template/twml/xml.h"

#include "core/text.h"

#include <fmt/format.h>

#include <cstring>
#include <set>

namespace tarnwick::tmpl {
namespace {

// Comments and processing instructions are kept as nodes so that "the first
// child" means what the document says; white-space text is kept so that a slot
// holding a line break is not mistaken for an empty one.
constexpr unsigned kParseOptions = pugi::parse_cdata | pugi::parse_escapes |
                                   pugi::parse_wconv_attribute | pugi::parse_eol |
                                   pugi::parse_comments | pugi::parse_pi | pugi::parse_ws_pcdata |
                                   // Keeps text outside the root as nodes, so it can be refused.
                                   pugi::parse_fragment;

// 1-based line and column (in characters) of a byte offset.
std::string position_of(std::string_view text, std::ptrdiff_t offset) {
    std::size_t end = offset < 0 ? 0 : static_cast<std::size_t>(offset);
    if (end > text.size()) {
        end = text.size();
    }
    std::size_t line = 1;
    std::size_t line_start = 0;
    for (std::size_t i = 0; i < end; ++i) {
        if (text[i] == '\n') {
            ++line;
            line_start = i + 1;
        }
    }
    std::size_t column = 1;
    for (std::size_t i = line_start; i < end; ++i) {
        // Count lead bytes only, so a column counts characters.
        if ((static_cast<unsigned char>(text[i]) & 0xC0U) != 0x80U) {
            ++column;
        }
    }
    return fmt::format("{}:{}", line, column);
}

// pugixml places an element at its name; report the "<" before it.
std::ptrdiff_t element_offset(const pugi::xml_node& element) {
    return element.offset_debug() - 1;
}

TwmlError parse_error(std::string_view text, std::string_view description, std::ptrdiff_t offset) {
    return TwmlError::make(TwmlError::Kind::XmlParse,
                           fmt::format("{} at {}", description, position_of(text, offset)));
}

std::optional<TwmlError> check_duplicate_attributes(std::string_view text,
                                                    const pugi::xml_node& root) {
    std::optional<TwmlError> error;
    auto check = [&](const pugi::xml_node& node) {
        if (error || node.type() != pugi::node_element) {
            return;
        }
        std::set<std::string_view> names;
        for (const pugi::xml_attribute& attribute : node.attributes()) {
            if (!names.insert(attribute.name()).second) {
                error = parse_error(text, fmt::format("Duplicate attribute {}", attribute.name()),
                                    element_offset(node));
                return;
            }
        }
    };
    check(root);
    for_each_descendant(root, check);
    return error;
}

}  // namespace

Result<XmlDocument, TwmlError> parse_xml(std::string_view text) {
    auto document = std::make_unique<pugi::xml_document>();
    pugi::xml_parse_result result =
        document->load_buffer(text.data(), text.size(), kParseOptions, pugi::encoding_utf8);
    if (!result) {
        return fail(parse_error(text, result.description(), result.offset));
    }
    pugi::xml_node root;
    for (pugi::xml_node child : document->children()) {
        switch (child.type()) {
            case pugi::node_element:
                if (root) {
                    return fail(parse_error(text, "Unexpected element after the document element",
                                            element_offset(child)));
                }
                root = child;
                break;
            case pugi::node_pcdata:
                if (!trim(child.value()).empty()) {
                    return fail(parse_error(text, "Unexpected text outside the document element",
                                            child.offset_debug()));
                }
                break;
            case pugi::node_cdata:
                return fail(parse_error(text, "Unexpected text outside the document element",
                                        child.offset_debug()));
            default:
                break;
        }
    }
    if (!root) {
        return fail(parse_error(text, "No document element found",
                                static_cast<std::ptrdiff_t>(text.size())));
    }
    if (auto duplicate = check_duplicate_attributes(text, root)) {
        return fail(std::move(*duplicate));
    }
    return document;
}

pugi::xml_node root_element(const pugi::xml_document& document) {
    return document.document_element();
}

std::string_view local_name(std::string_view name) {
    std::size_t colon = name.rfind(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

std::string_view local_name(const pugi::xml_node& element) {
    return local_name(std::string_view(element.name()));
}

std::string_view local_name(const pugi::xml_attribute& attribute) {
    return local_name(std::string_view(attribute.name()));
}

bool is_namespace_declaration(const pugi::xml_attribute& attribute) {
    std::string_view name = attribute.name();
    return name == "xmlns" || name.starts_with("xmlns:");
}

std::optional<std::string> unprefixed_attribute(const pugi::xml_node& element, const char* name) {
    // pugixml compares the whole name, so a prefixed attribute never matches.
    pugi::xml_attribute attribute = element.attribute(name);
    if (!attribute) {
        return std::nullopt;
    }
    return std::string(attribute.value());
}

void for_each_descendant(const pugi::xml_node& node,
                         const std::function<void(const pugi::xml_node&)>& visit) {
    pugi::xml_node current = node.first_child();
    while (current) {
        visit(current);
        if (current.first_child()) {
            current = current.first_child();
            continue;
        }
        while (current != node && !current.next_sibling()) {
            current = current.parent();
        }
        if (current == node) {
            return;
        }
        current = current.next_sibling();
    }
}

bool is_text_node(const pugi::xml_node& node) {
    return node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata;
}

namespace {

void write_open_tag(const pugi::xml_node& element, std::string& out) {
    out += '<';
    out += local_name(element);
    for (const pugi::xml_attribute& attribute : element.attributes()) {
        if (is_namespace_declaration(attribute)) {
            continue;
        }
        out += ' ';
        out += local_name(attribute);
        out += "=\"";
        out += escape_xml(attribute.value());
        out += '"';
    }
}

void write_close_tag(const pugi::xml_node& element, std::string& out) {
    out += "</";
    out += local_name(element);
    out += '>';
}

}  // namespace

void write_xml_node(const pugi::xml_node& node, std::string& out) {
    // Iterative, so that a deeply nested definition cannot exhaust the stack.
    pugi::xml_node current = node;
    for (;;) {
        bool descend = false;
        if (is_text_node(current)) {
            out += escape_xml(current.value());
        } else if (current.type() == pugi::node_element) {
            write_open_tag(current, out);
            if (current.first_child()) {
                out += '>';
                descend = true;
            } else {
                out += "/>";
            }
        }
        if (descend) {
            current = current.first_child();
            continue;
        }
        // Climb until a next sibling exists, closing the elements left.
        while (current != node && !current.next_sibling()) {
            current = current.parent();
            write_close_tag(current, out);
        }
        if (current == node) {
            return;
        }
        current = current.next_sibling();
    }
}

std::string escape_xml(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
                break;
        }
    }
    return out;
}

}  // namespace tarnwick::tmpl
