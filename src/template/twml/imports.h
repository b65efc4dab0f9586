#pragma once
// Imports: component definitions taken from other files, which must lie inside
// the template folder in which the page was found.

#include "core/result.h"
#include "template/twml/components.h"
#include "template/twml/error.h"

#include "template/twml/xml.h"

#include <cstddef>
#include <string>

namespace tarnwick::tmpl {

// Follows the "import" and registers the "define-component" children of
// `element`, whose children stand at import depth `depth`.
Result<void, TwmlError> resolve_imports(const XmlNode& element, const std::string& template_dir,
                                        const std::string& base_dir, ComponentMap& map,
                                        std::size_t depth);

// True when `path` equals `folder` or lies below it, compared component by
// component (both canonical).
bool path_within(std::string_view path, std::string_view folder);

}  // namespace tarnwick::tmpl
