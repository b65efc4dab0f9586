#pragma once
// The folders in which TWML pages are looked for, in search order: an operator
// overrides a shipped page by placing one of the same path in an earlier folder.

#include <array>
#include <string>
#include <string_view>

namespace tarnwick::tmpl {

inline constexpr std::string_view kInstalledTemplatesDir = "/usr/local/etc/tarnwick/templates";

// 1. <config_dir>/templates (fixed name; templates_dir does not change it),
// 2. /usr/local/etc/tarnwick/templates, 3. fixed_res_dir()/templates: the
// installation's share/tarnwick/templates, or the source tree's
// res/templates for a program run from the build tree.
std::array<std::string, 3> template_dirs(std::string_view config_dir);

}  // namespace tarnwick::tmpl
