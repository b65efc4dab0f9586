#pragma once
// Conversion of TWML elements into page nodes, and the page-wide field id check.

#include "core/result.h"
#include "template/twml/components.h"
#include "template/twml/error.h"
#include "template/twml/page.h"

#include "template/twml/xml.h"

#include <cstddef>
#include <set>
#include <string>
#include <vector>

namespace tarnwick::tmpl {

// One element at `depth` below the page root (1 for the root's children)
// becomes zero, one or several nodes. Attribute values first get the props
// substituted; attributes are read in a fixed order so that of several faults
// of one element the same one is always reported.
Result<std::vector<TwmlNode>, TwmlError> convert_element(const XmlNode& element, ComponentMap& map,
                                                         const PropMap& props, std::size_t depth);

// The element children of `parent`, which stands at `depth`, converted one
// level below it; the nodes of all of them in document order.
Result<std::vector<TwmlNode>, TwmlError> convert_children(const XmlNode& parent, ComponentMap& map,
                                                          const PropMap& props, std::size_t depth);

// Adds the non-empty field ids below `node` to `seen`; a repeated one fails.
Result<void, TwmlError> check_duplicate_field_ids(const TwmlNode& node,
                                                  std::set<std::string>& seen);

}  // namespace tarnwick::tmpl
