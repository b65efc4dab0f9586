#pragma once
// Loading a TWML page: read, parse, imports and definitions, root checks, then
// the conversion of the root's children into the page model.

#include "core/result.h"
#include "template/twml/error.h"
#include "template/twml/page.h"

#include <string>

namespace tarnwick::tmpl {

// `template_dir` is the search folder in which the page was found; imported
// files must lie inside it.
Result<TwmlPage, TwmlError> load_page(const std::string& page_path,
                                      const std::string& template_dir);

}  // namespace tarnwick::tmpl
