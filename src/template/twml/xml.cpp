#include "template/twml/xml.h"

#ifdef TARNWICK_BSDXML
#include <bsdxml.h>
#else
#include <expat.h>
#endif
#include <fmt/format.h>

#include <algorithm>
#include <climits>
#include <new>
#include <type_traits>

namespace tarnwick::tmpl {

XmlNode::Kind XmlNode::kind() const {
    return tree_->nodes_[index_].kind;
}

std::string_view XmlNode::local_name() const {
    return is_element() ? std::string_view(tree_->nodes_[index_].text) : std::string_view();
}

std::string_view XmlNode::prefix() const {
    return tree_->nodes_[index_].prefix;
}

std::string_view XmlNode::value() const {
    return is_text() ? std::string_view(tree_->nodes_[index_].text) : std::string_view();
}

std::span<const XmlAttribute> XmlNode::attributes() const {
    const XmlTree::Node& node = tree_->nodes_[index_];
    return std::span<const XmlAttribute>(tree_->attributes_)
        .subspan(node.first_attribute, node.attribute_count);
}

XmlNode XmlNode::parent() const {
    return tree_->node(tree_->nodes_[index_].parent);
}
XmlNode XmlNode::first_child() const {
    return tree_->node(tree_->nodes_[index_].first_child);
}
XmlNode XmlNode::next_sibling() const {
    return tree_->node(tree_->nodes_[index_].next_sibling);
}

// Builds the tree from expat's events. Handlers never let an exception reach
// expat: a failed allocation stops the parse and is reported as expat would.
class XmlTreeBuilder {
public:
    // Expat joins namespace URI, local name and prefix with this character.
    // It cannot occur in a name and is no XML character, so it cannot occur
    // in a URI either.
    static constexpr char kSeparator = '\x01';

    explicit XmlTreeBuilder(XML_Parser parser) : parser_(parser) {}

    std::unique_ptr<XmlTree> take_tree() { return std::move(tree_); }

    // Why the builder stopped the parse, when it did.
    const std::optional<std::string>& refusal() const { return refusal_; }

    static void XMLCALL on_start(void* self, const XML_Char* name, const XML_Char** attributes) {
        static_cast<XmlTreeBuilder*>(self)->guarded(
            [&](XmlTreeBuilder& b) { b.start_element(name, attributes); });
    }
    static void XMLCALL on_end(void* self, const XML_Char* /*name*/) {
        auto& b = *static_cast<XmlTreeBuilder*>(self);
        // After a stop the element may never have been added.
        if (!b.refusal_ && b.current_ != XmlTree::kNone) {
            b.current_ = b.tree_->nodes_[b.current_].parent;
        }
    }
    static void XMLCALL on_text(void* self, const XML_Char* text, int length) {
        static_cast<XmlTreeBuilder*>(self)->guarded([&](XmlTreeBuilder& b) {
            b.add_text(std::string_view(text, static_cast<std::size_t>(length)));
        });
    }
    static void XMLCALL on_comment(void* self, const XML_Char* /*text*/) {
        static_cast<XmlTreeBuilder*>(self)->guarded(
            [](XmlTreeBuilder& b) { b.add_leaf(XmlNode::Kind::Comment); });
    }
    static void XMLCALL on_processing_instruction(void* self, const XML_Char* /*target*/,
                                                  const XML_Char* /*data*/) {
        static_cast<XmlTreeBuilder*>(self)->guarded(
            [](XmlTreeBuilder& b) { b.add_leaf(XmlNode::Kind::ProcessingInstruction); });
    }
    // A DTD could declare entities (and their expansion); none is accepted.
    static void XMLCALL on_doctype(void* self, const XML_Char* /*name*/, const XML_Char* /*sysid*/,
                                   const XML_Char* /*pubid*/, int /*has_internal_subset*/) {
        static_cast<XmlTreeBuilder*>(self)->stop("document type declaration not allowed");
    }

private:
    template <class F>
    void guarded(F&& step) {
        try {
            step(*this);
        } catch (const std::bad_alloc&) {
            stop(XML_ErrorString(XML_ERROR_NO_MEMORY));
        }
    }

    void stop(std::string reason) {
        if (!refusal_) {
            refusal_ = std::move(reason);
            (void)XML_StopParser(parser_, XML_FALSE);  // fails only when already stopped
        }
    }

    // "uri SEP local SEP prefix", "uri SEP local" (default namespace) or "local".
    static void split_name(std::string_view name, std::string& prefix, std::string& local) {
        const std::size_t first = name.find(kSeparator);
        if (first == std::string_view::npos) {
            prefix.clear();
            local = name;
            return;
        }
        std::string_view rest = name.substr(first + 1);
        const std::size_t second = rest.find(kSeparator);
        if (second == std::string_view::npos) {
            prefix.clear();
            local = rest;
            return;
        }
        local = rest.substr(0, second);
        prefix = rest.substr(second + 1);
    }

    std::size_t append_child(XmlTree::Node node) {
        const std::size_t index = tree_->nodes_.size();
        node.parent = current_;
        if (current_ != XmlTree::kNone) {
            XmlTree::Node& parent = tree_->nodes_[current_];
            if (parent.last_child == XmlTree::kNone) {
                parent.first_child = index;
            } else {
                tree_->nodes_[parent.last_child].next_sibling = index;
            }
            parent.last_child = index;
        }
        tree_->nodes_.push_back(std::move(node));
        return index;
    }

    void start_element(const XML_Char* name, const XML_Char** attributes) {
        XmlTree::Node node;
        split_name(name, node.prefix, node.text);
        node.first_attribute = tree_->attributes_.size();
        for (std::size_t i = 0; attributes[i] != nullptr; i += 2) {
            XmlAttribute attribute;
            split_name(attributes[i], attribute.prefix, attribute.local_name);
            attribute.value = attributes[i + 1];
            tree_->attributes_.push_back(std::move(attribute));
        }
        node.attribute_count = tree_->attributes_.size() - node.first_attribute;
        current_ = append_child(std::move(node));
    }

    void add_text(std::string_view text) {
        if (current_ == XmlTree::kNone) {
            return;
        }
        const std::size_t last = tree_->nodes_[current_].last_child;
        if (last != XmlTree::kNone && tree_->nodes_[last].kind == XmlNode::Kind::Text) {
            tree_->nodes_[last].text += text;
            return;
        }
        XmlTree::Node node;
        node.kind = XmlNode::Kind::Text;
        node.text = text;
        (void)append_child(std::move(node));  // a leaf: nothing to descend into
    }

    // Comments and processing instructions outside the root are not kept.
    void add_leaf(XmlNode::Kind kind) {
        if (current_ == XmlTree::kNone) {
            return;
        }
        XmlTree::Node node;
        node.kind = kind;
        (void)append_child(std::move(node));  // a leaf: nothing to descend into
    }

    XML_Parser parser_;
    std::unique_ptr<XmlTree> tree_ = std::make_unique<XmlTree>();
    std::size_t current_ = XmlTree::kNone;
    std::optional<std::string> refusal_;
};

namespace {

struct ParserFree {
    void operator()(XML_Parser parser) const { XML_ParserFree(parser); }
};
using Parser = std::unique_ptr<std::remove_pointer_t<XML_Parser>, ParserFree>;

TwmlError parse_error(std::string_view description, XML_Parser parser) {
    // Expat counts lines from 1 and columns from 0.
    return TwmlError::make(TwmlError::Kind::XmlParse,
                           fmt::format("{} at {}:{}", description, XML_GetCurrentLineNumber(parser),
                                       XML_GetCurrentColumnNumber(parser) + 1));
}

}  // namespace

Result<XmlDocument, TwmlError> parse_xml(std::string_view text) {
    // The text is already UTF-8; an encoding declaration in it is not obeyed.
    Parser parser(XML_ParserCreateNS("UTF-8", XmlTreeBuilder::kSeparator));
    if (!parser) {
        return fail(
            TwmlError::make(TwmlError::Kind::XmlParse, XML_ErrorString(XML_ERROR_NO_MEMORY)));
    }
    XmlTreeBuilder builder(parser.get());
    XML_SetReturnNSTriplet(parser.get(), 1);
    XML_SetUserData(parser.get(), &builder);
    XML_SetElementHandler(parser.get(), XmlTreeBuilder::on_start, XmlTreeBuilder::on_end);
    XML_SetCharacterDataHandler(parser.get(), XmlTreeBuilder::on_text);
    XML_SetCommentHandler(parser.get(), XmlTreeBuilder::on_comment);
    XML_SetProcessingInstructionHandler(parser.get(), XmlTreeBuilder::on_processing_instruction);
    XML_SetStartDoctypeDeclHandler(parser.get(), XmlTreeBuilder::on_doctype);
    (void)XML_SetParamEntityParsing(parser.get(), XML_PARAM_ENTITY_PARSING_NEVER);  // the default

    // Fed in pieces, since expat takes an int length.
    constexpr std::size_t kPiece = std::size_t{1} << 20;
    std::size_t offset = 0;
    do {
        const std::size_t length = std::min(kPiece, text.size() - offset);
        const bool last = offset + length == text.size();
        if (XML_Parse(parser.get(), text.data() + offset, static_cast<int>(length),
                      last ? XML_TRUE : XML_FALSE) != XML_STATUS_OK) {
            if (builder.refusal()) {
                return fail(parse_error(*builder.refusal(), parser.get()));
            }
            return fail(parse_error(XML_ErrorString(XML_GetErrorCode(parser.get())), parser.get()));
        }
        offset += length;
    } while (offset < text.size());
    return XmlDocument(builder.take_tree());
}

XmlNode root_element(const XmlTree& document) {
    return document.root();
}

std::optional<std::string> unprefixed_attribute(const XmlNode& element, std::string_view name) {
    for (const XmlAttribute& attribute : element.attributes()) {
        if (attribute.prefix.empty() && attribute.local_name == name) {
            return attribute.value;
        }
    }
    return std::nullopt;
}

void for_each_descendant(const XmlNode& node, const std::function<void(const XmlNode&)>& visit) {
    XmlNode current = node.first_child();
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

namespace {

void write_open_tag(const XmlNode& element, std::string& out) {
    out += '<';
    out += element.local_name();
    for (const XmlAttribute& attribute : element.attributes()) {
        out += ' ';
        out += attribute.local_name;
        out += "=\"";
        out += escape_xml(attribute.value);
        out += '"';
    }
}

void write_close_tag(const XmlNode& element, std::string& out) {
    out += "</";
    out += element.local_name();
    out += '>';
}

}  // namespace

void write_xml_node(const XmlNode& node, std::string& out) {
    // Iterative, so that a deeply nested definition cannot exhaust the stack.
    XmlNode current = node;
    for (;;) {
        bool descend = false;
        if (current.is_text()) {
            out += escape_xml(current.value());
        } else if (current.is_element()) {
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
