#pragma once
// Components: definitions with props, slots and a serialised body, and their
// expansion at each use into ordinary page nodes.

#include "core/result.h"
#include "template/twml/error.h"
#include "template/twml/page.h"

#include "template/twml/xml.h"

#include <cstddef>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::tmpl {

struct ComponentDef {
    std::string name;
    std::set<std::string> props;                  // declared, ascending byte order
    std::map<std::string, std::string> defaults;  // from default-* attributes
    std::set<std::string> required_slots;
    std::string body;  // "<fragment>" + serialised children + "</fragment>"
};

// Props of one component instance. Ordered, so props are substituted in
// ascending byte order of their names and a page always expands the same way.
using PropMap = std::map<std::string, std::string>;

// The definitions of one page load, by name, and what that load may still
// spend on expansions: a component used several times in its own body grows
// exponentially within the depth limit, so the load is cut off with
// NestingTooDeep before it exhausts time or memory.
class ComponentMap {
public:
    static constexpr std::size_t kMaxExpansions = 10000;
    static constexpr std::size_t kMaxExpandedBytes = std::size_t{32} << 20;

    // Replaces an earlier definition of the same name.
    void insert(ComponentDef definition);
    const ComponentDef* find(std::string_view name) const;
    const std::map<std::string, ComponentDef, std::less<>>& definitions() const {
        return definitions_;
    }

    // Charges one expansion of `text_size` bytes; false once the budget is spent.
    bool charge_expansion(std::size_t text_size);

private:
    std::map<std::string, ComponentDef, std::less<>> definitions_;
    std::size_t expansions_left_ = kMaxExpansions;
    std::size_t bytes_left_ = kMaxExpandedBytes;
};

Result<void, TwmlError> parse_define_component(const XmlNode& definition, ComponentMap& map);

// Expands one "component" element standing at `depth` into nodes.
Result<std::vector<TwmlNode>, TwmlError> expand_component(const XmlNode& instance,
                                                          ComponentMap& map,
                                                          const PropMap& outer_props,
                                                          std::size_t depth);

// Replaces every "{name}" by the prop's value, prop by prop in ascending order.
std::string substitute_props(std::string_view text, const PropMap& props);

// Cuts slot elements left after pasting: a self-closing one from "<slot"
// through its "/>", one with content through its matching close tag. The rest
// of the text stays as it is. Expects text written by write_xml_node.
std::string remove_leftover_slots(std::string_view text);

}  // namespace tarnwick::tmpl
