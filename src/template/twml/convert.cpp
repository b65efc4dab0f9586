#include "template/twml/convert.h"

#include "core/text.h"
#include "template/twml/values.h"
#include "template/twml/xml.h"

namespace tarnwick::tmpl {
namespace {

using Nodes = std::vector<TwmlNode>;

// Attribute reader for one element with the props of its scope.
class Attributes {
public:
    Attributes(const XmlNode& element, const PropMap& props) : element_(element), props_(props) {}

    std::optional<std::string> get(const char* name) const {
        auto value = unprefixed_attribute(element_, name);
        if (!value) {
            return std::nullopt;
        }
        return substitute_props(*value, props_);
    }
    std::string text_or(const char* name, std::string fallback) const {
        return get(name).value_or(std::move(fallback));
    }
    bool flag(const char* name) const { return parse_bool_attr(get(name).value_or("")); }
    std::optional<std::size_t> count(const char* name) const {
        auto value = get(name);
        return value ? parse_count(*value) : std::nullopt;
    }
    Result<std::optional<Capability>, TwmlError> require() const {
        auto value = get("require");
        if (!value) {
            return std::optional<Capability>{};
        }
        auto capability = parse_require_attr(*value);
        if (!capability) {
            return fail(std::move(capability.error()));
        }
        return std::optional<Capability>{*capability};
    }

private:
    const XmlNode& element_;
    const PropMap& props_;
};

Nodes one(TwmlNode node) {
    Nodes nodes;
    nodes.push_back(std::move(node));
    return nodes;
}

Result<Nodes, TwmlError> convert_field(const Attributes& attrs) {
    TwmlField field;
    if (auto type = attrs.get("type")) {
        if (!parse_field_type(*type)) {
            return fail(TwmlError::make(TwmlError::Kind::UnknownFieldType, *type));
        }
        field.type = std::move(*type);
    }
    field.secret = attrs.flag("secret") || field.type == "password";
    auto require = attrs.require();
    if (!require) {
        return fail(std::move(require.error()));
    }
    field.require = *require;
    if (auto choices = attrs.get("choices")) {
        field.choices = split_comma_list(*choices);
    }
    field.max_length = attrs.count("max-length");
    field.id = attrs.text_or("id", "");
    field.label_key = attrs.get("label-key");
    field.bind = attrs.get("bind");
    field.readonly = attrs.flag("readonly");
    field.label_width = attrs.get("label-width");
    field.field_width = attrs.get("field-width");
    return one(TwmlNode{std::move(field)});
}

// The text of a "text" element: its first child when that is text, trimmed.
std::string element_text(const XmlNode& element) {
    XmlNode first = element.first_child();
    return first && first.is_text() ? std::string(trim(first.value())) : std::string();
}

}  // namespace

Result<Nodes, TwmlError> convert_element(const XmlNode& element, ComponentMap& map,
                                         const PropMap& props, std::size_t depth) {
    if (depth > MAX_TWML_DEPTH) {
        return fail(TwmlError::make(TwmlError::Kind::NestingTooDeep));
    }
    Attributes attrs(element, props);
    std::string_view name = local_name(element);

    if (name == "header") {
        TwmlNode::Header header;
        header.brand_key = attrs.get("brand-key");
        header.height = attrs.text_or("height", "1");
        header.mode_badge = attrs.flag("mode-badge");
        return one(TwmlNode{std::move(header)});
    }
    if (name == "footer") {
        TwmlNode::Footer footer;
        footer.help_key = attrs.get("help-key");
        footer.status_bind = attrs.get("status-bind");
        footer.height = attrs.text_or("height", "3");
        return one(TwmlNode{std::move(footer)});
    }
    if (name == "main") {
        auto children = convert_children(element, map, props, depth);
        if (!children) {
            return fail(std::move(children.error()));
        }
        return one(TwmlNode{TwmlNode::Main{std::move(*children)}});
    }
    if (name == "section") {
        std::string title_key = attrs.text_or("title-key", "");
        auto children = convert_children(element, map, props, depth);
        if (!children) {
            return fail(std::move(children.error()));
        }
        return one(TwmlNode{TwmlNode::Section{std::move(title_key), std::move(*children)}});
    }
    if (name == "field") {
        return convert_field(attrs);
    }
    if (name == "text") {
        TwmlNode::Text text;
        text.key = attrs.get("key");
        text.text = element_text(element);
        return one(TwmlNode{std::move(text)});
    }
    if (name == "log") {
        TwmlNode::Log log;
        log.bind = attrs.get("bind");
        log.max = attrs.count("max").value_or(100);
        return one(TwmlNode{std::move(log)});
    }
    if (name == "menu") {
        auto children = convert_children(element, map, props, depth);
        if (!children) {
            return fail(std::move(children.error()));
        }
        std::string id = attrs.text_or("id", "");
        return one(TwmlNode{TwmlNode::Menu{std::move(id), std::move(*children)}});
    }
    if (name == "item") {
        TwmlNode::Item item;
        auto require = attrs.require();
        if (!require) {
            return fail(std::move(require.error()));
        }
        item.require = *require;
        item.id = attrs.text_or("id", "");
        item.label_key = attrs.get("label-key");
        item.action = attrs.get("action");
        return one(TwmlNode{std::move(item)});
    }
    if (name == "slot") {
        return Nodes{};  // a slot outside a component body is dropped
    }
    if (name == "fragment") {
        return convert_children(element, map, props, depth);
    }
    if (name == "component") {
        return expand_component(element, map, props, depth);
    }
    return fail(TwmlError::make(TwmlError::Kind::UnknownTag, std::string(name)));
}

Result<Nodes, TwmlError> convert_children(const XmlNode& element, ComponentMap& map,
                                          const PropMap& props, std::size_t depth) {
    Nodes nodes;
    for (XmlNode child : element.children()) {
        if (!child.is_element()) {
            continue;
        }
        auto converted = convert_element(child, map, props, depth + 1);
        if (!converted) {
            return fail(std::move(converted.error()));
        }
        for (TwmlNode& node : *converted) {
            nodes.push_back(std::move(node));
        }
    }
    return nodes;
}

Result<void, TwmlError> check_duplicate_field_ids(const TwmlNode& node,
                                                  std::set<std::string>& seen) {
    const std::vector<TwmlNode>* children = nullptr;
    if (const auto* main = node.get<TwmlNode::Main>()) {
        children = &main->children;
    } else if (const auto* section = node.get<TwmlNode::Section>()) {
        children = &section->children;
    } else if (const auto* menu = node.get<TwmlNode::Menu>()) {
        children = &menu->children;
    } else if (const auto* field = node.get<TwmlNode::Field>()) {
        if (!field->id.empty() && !seen.insert(field->id).second) {
            return fail(TwmlError::make(TwmlError::Kind::DuplicateFieldId, field->id));
        }
        return {};
    }
    if (children != nullptr) {
        for (const TwmlNode& child : *children) {
            auto checked = check_duplicate_field_ids(child, seen);
            if (!checked) {
                return checked;
            }
        }
    }
    return {};
}

}  // namespace tarnwick::tmpl
