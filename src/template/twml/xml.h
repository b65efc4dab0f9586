#pragma once
// The XML side of TWML: a strict, namespace-aware parse (expat) into a small
// read-only node tree, local names, unprefixed attribute lookup and the
// serialisation used for component bodies and slot contents.

#include "core/result.h"
#include "template/twml/error.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::tmpl {

struct XmlAttribute {
    std::string prefix;  // empty when the attribute carries none
    std::string local_name;
    std::string value;  // references resolved, white space normalised
};

class XmlTree;
class XmlChildren;

// A handle on one node of a parsed document; valid while the document lives.
// A default-constructed handle is no node and tests false.
class XmlNode {
public:
    // Adjacent character data (CDATA sections included) forms one Text node.
    enum class Kind { Element, Text, Comment, ProcessingInstruction };

    XmlNode() = default;

    explicit operator bool() const { return tree_ != nullptr; }
    bool operator==(const XmlNode&) const = default;

    Kind kind() const;
    bool is_element() const { return kind() == Kind::Element; }
    bool is_text() const { return kind() == Kind::Text; }

    // Elements: the name without its prefix, and the prefix as written.
    std::string_view local_name() const;
    std::string_view prefix() const;
    // Text nodes: the text, references resolved.
    std::string_view value() const;
    // Elements: attributes in document order; namespace declarations are not
    // attributes and do not appear.
    std::span<const XmlAttribute> attributes() const;

    XmlNode parent() const;
    XmlNode first_child() const;
    XmlNode next_sibling() const;
    XmlChildren children() const;

private:
    friend class XmlTree;
    XmlNode(const XmlTree* tree, std::size_t index) : tree_(tree), index_(index) {}

    const XmlTree* tree_ = nullptr;
    std::size_t index_ = 0;
};

// The children of one node, for range-for.
class XmlChildren {
public:
    class Iterator {
    public:
        using value_type = XmlNode;
        using difference_type = std::ptrdiff_t;
        Iterator() = default;
        explicit Iterator(XmlNode node) : node_(node) {}
        XmlNode operator*() const { return node_; }
        Iterator& operator++() {
            node_ = node_.next_sibling();
            return *this;
        }
        Iterator operator++(int) {
            Iterator before = *this;
            ++*this;
            return before;
        }
        bool operator==(const Iterator&) const = default;

    private:
        XmlNode node_;
    };

    explicit XmlChildren(XmlNode first) : first_(first) {}
    Iterator begin() const { return Iterator(first_); }
    Iterator end() const { return Iterator(); }

private:
    XmlNode first_;
};

inline XmlChildren XmlNode::children() const {
    return XmlChildren(first_child());
}

// A parsed document: its nodes in document order, the root element first.
class XmlTree {
public:
    XmlNode root() const { return nodes_.empty() ? XmlNode() : XmlNode(this, 0); }

private:
    friend class XmlNode;
    friend class XmlTreeBuilder;
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    struct Node {
        XmlNode::Kind kind = XmlNode::Kind::Element;
        std::size_t parent = kNone;
        std::size_t first_child = kNone;
        std::size_t last_child = kNone;
        std::size_t next_sibling = kNone;
        std::string prefix;
        std::string text;  // the local name of an element, the text of a text node
        std::size_t first_attribute = 0;
        std::size_t attribute_count = 0;
    };

    XmlNode node(std::size_t index) const {
        return index == kNone ? XmlNode() : XmlNode(this, index);
    }

    std::vector<Node> nodes_;
    std::vector<XmlAttribute> attributes_;
};

using XmlDocument = std::unique_ptr<const XmlTree>;

// Parses a whole UTF-8 text as a well-formed, namespace-well-formed XML 1.0
// document. Refused beyond well-formedness: any document type declaration (so
// no entities but the five predefined ones and character references).
// Failures are XmlParse "<description> at <line>:<column>", both counted from
// 1, the column in characters.
Result<XmlDocument, TwmlError> parse_xml(std::string_view text);

// The root element of a parsed document.
XmlNode root_element(const XmlTree& document);

inline std::string_view local_name(const XmlNode& element) {
    return element.local_name();
}
inline std::string_view local_name(const XmlAttribute& attribute) {
    return attribute.local_name;
}

// The value of the attribute of that name that carries no prefix.
std::optional<std::string> unprefixed_attribute(const XmlNode& element, std::string_view name);

// Calls `visit` for every descendant of `node` in document order (not for
// `node` itself). Iterative, so deep documents cannot exhaust the stack.
void for_each_descendant(const XmlNode& node, const std::function<void(const XmlNode&)>& visit);

// Appends the node: elements by local name with escaped attributes in document
// order ("/>" right after the last attribute when empty), text escaped,
// comments and processing instructions dropped.
void write_xml_node(const XmlNode& node, std::string& out);

// & < > and the double quote as entities, the ampersand first.
std::string escape_xml(std::string_view text);

}  // namespace tarnwick::tmpl
