#include "template/twml/components.h"

#include "template/twml/convert.h"
#include "template/twml/values.h"
#include "template/twml/xml.h"

#include <array>

namespace tarnwick::tmpl {
namespace {

constexpr std::string_view kDefaultSlot = "default";
constexpr std::string_view kDefaultPrefix = "default-";

void replace_all(std::string& text, std::string_view pattern, std::string_view replacement) {
    if (pattern.empty()) {
        return;
    }
    std::string out;
    std::size_t pos = 0;
    bool changed = false;
    for (;;) {
        std::size_t at = text.find(pattern, pos);
        if (at == std::string::npos) {
            break;
        }
        changed = true;
        out.append(text, pos, at - pos);
        out += replacement;
        pos = at + pattern.size();
    }
    if (changed) {
        out.append(text, pos, std::string::npos);
        text = std::move(out);
    }
}

std::string fragment_of_children(const XmlNode& element) {
    std::string out = "<fragment>";
    for (XmlNode child : element.children()) {
        write_xml_node(child, out);
    }
    out += "</fragment>";
    return out;
}

std::string slot_name(const XmlNode& slot) {
    return unprefixed_attribute(slot, "name").value_or(std::string(kDefaultSlot));
}

// End of the tag opened at `lt` (index of its '>'), skipping quoted values.
std::size_t tag_end(std::string_view text, std::size_t lt) {
    char quote = 0;
    for (std::size_t i = lt + 1; i < text.size(); ++i) {
        char c = text[i];
        if (quote != 0) {
            if (c == quote) {
                quote = 0;
            }
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return i;
        }
    }
    return std::string_view::npos;
}

// One past the end of the element whose open tag starts at `lt`.
std::size_t element_end(std::string_view text, std::size_t lt) {
    std::size_t gt = tag_end(text, lt);
    if (gt == std::string_view::npos) {
        return gt;
    }
    if (text[gt - 1] == '/') {
        return gt + 1;
    }
    std::size_t depth = 1;
    std::size_t pos = gt + 1;
    while (depth > 0) {
        std::size_t next = text.find('<', pos);
        if (next == std::string_view::npos) {
            return next;
        }
        std::size_t end = tag_end(text, next);
        if (end == std::string_view::npos) {
            return end;
        }
        if (next + 1 < text.size() && text[next + 1] == '/') {
            --depth;
        } else if (text[next + 1] != '!' && text[next + 1] != '?' && text[end - 1] != '/') {
            ++depth;
        }
        pos = end + 1;
    }
    return pos;
}

}  // namespace

void ComponentMap::insert(ComponentDef definition) {
    std::string key = definition.name;
    definitions_.insert_or_assign(std::move(key), std::move(definition));
}

const ComponentDef* ComponentMap::find(std::string_view name) const {
    auto it = definitions_.find(name);
    return it == definitions_.end() ? nullptr : &it->second;
}

bool ComponentMap::charge_expansion(std::size_t text_size) {
    if (expansions_left_ == 0 || text_size > bytes_left_) {
        expansions_left_ = 0;
        return false;
    }
    --expansions_left_;
    bytes_left_ -= text_size;
    return true;
}

Result<void, TwmlError> parse_define_component(const XmlNode& definition, ComponentMap& map) {
    auto name = unprefixed_attribute(definition, "name");
    if (!name) {
        return fail(TwmlError::message("define-component missing name"));
    }
    ComponentDef def;
    def.name = std::move(*name);
    for (std::string& prop :
         split_comma_list(unprefixed_attribute(definition, "props").value_or(""))) {
        def.props.insert(std::move(prop));
    }
    for (const XmlAttribute& attribute : definition.attributes()) {
        std::string_view attribute_name = local_name(attribute);
        if (attribute_name.starts_with(kDefaultPrefix)) {
            def.defaults.insert_or_assign(std::string(attribute_name.substr(kDefaultPrefix.size())),
                                          std::string(attribute.value));
        }
    }
    for_each_descendant(definition, [&](const XmlNode& node) {
        if (node.is_element() && local_name(node) == "slot" &&
            parse_bool_attr(unprefixed_attribute(node, "required").value_or(""))) {
            def.required_slots.insert(slot_name(node));
        }
    });
    def.body = fragment_of_children(definition);
    map.insert(std::move(def));
    return {};
}

std::string substitute_props(std::string_view text, const PropMap& props) {
    std::string out(text);
    for (const auto& [name, value] : props) {
        replace_all(out, "{" + name + "}", value);
    }
    return out;
}

std::string remove_leftover_slots(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    for (;;) {
        std::size_t at = text.find("<slot", pos);
        if (at == std::string_view::npos) {
            break;
        }
        std::size_t end = element_end(text, at);
        if (end == std::string_view::npos) {
            // Not a complete element: leave the rest for the parser to judge.
            break;
        }
        out.append(text.substr(pos, at - pos));
        pos = end;
    }
    out.append(text.substr(pos));
    return out;
}

Result<std::vector<TwmlNode>, TwmlError> expand_component(const XmlNode& instance,
                                                          ComponentMap& map,
                                                          const PropMap& outer_props,
                                                          std::size_t depth) {
    auto is = unprefixed_attribute(instance, "is");
    if (!is) {
        return fail(TwmlError::message("component missing is="));
    }
    std::string name = substitute_props(*is, outer_props);
    const ComponentDef* def = map.find(name);
    if (def == nullptr) {
        return fail(TwmlError::make(TwmlError::Kind::UnknownComponent, name));
    }

    PropMap props(def->defaults.begin(), def->defaults.end());
    for (const XmlAttribute& attribute : instance.attributes()) {
        std::string attribute_name(local_name(attribute));
        if (attribute_name == "is") {
            continue;
        }
        if (!def->props.contains(attribute_name)) {
            return fail(TwmlError::make(TwmlError::Kind::UnknownProp, attribute_name, name));
        }
        props.insert_or_assign(std::move(attribute_name),
                               substitute_props(attribute.value, outer_props));
    }
    for (const std::string& prop : def->props) {
        if (!props.contains(prop)) {
            return fail(TwmlError::make(TwmlError::Kind::MissingRequiredProp, prop));
        }
    }

    std::map<std::string, std::string> slots;
    std::string loose;
    for (XmlNode child : instance.children()) {
        if (!child.is_element()) {
            continue;
        }
        if (local_name(child) == "slot") {
            slots.insert_or_assign(slot_name(child), fragment_of_children(child));
        } else {
            write_xml_node(child, loose);
        }
    }
    if (!loose.empty() && !slots.contains(std::string(kDefaultSlot))) {
        slots.emplace(kDefaultSlot, "<fragment>" + loose + "</fragment>");
    }
    for (const std::string& required : def->required_slots) {
        if (!slots.contains(required)) {
            return fail(TwmlError::make(TwmlError::Kind::MissingRequiredSlot, required));
        }
    }

    std::string text = def->body;
    for (const auto& [slot, content] : slots) {
        const std::array<std::string, 4> markers = {
            "<slot name=\"" + slot + "\"/>",
            "<slot name=\"" + slot + "\" />",
            "<slot name=\"" + slot + "\" required=\"true\"/>",
            "<slot name=\"" + slot + "\" required=\"true\" />",
        };
        for (const std::string& marker : markers) {
            replace_all(text, marker, content);
        }
        if (slot == kDefaultSlot) {
            replace_all(text, "<slot/>", content);
            replace_all(text, "<slot />", content);
        }
    }
    text = remove_leftover_slots(text);

    if (!map.charge_expansion(text.size())) {
        return fail(TwmlError::make(TwmlError::Kind::NestingTooDeep));
    }
    auto document = parse_xml(text);
    if (!document) {
        return fail(std::move(document.error()));
    }
    return convert_children(root_element(**document), map, props, depth);
}

}  // namespace tarnwick::tmpl
