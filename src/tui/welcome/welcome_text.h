#pragma once
// The welcome text of the login screen: per-language Markdown files looked for
// in the configuration folder, /usr/local/etc/tarnwick and fixed_res_dir().

#include "tui/welcome/markup.h"

#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::tui {

// The configuration folder, /usr/local/etc/tarnwick, fixed_res_dir() (the
// installation's share/tarnwick, or the source tree's res/).
std::vector<std::string> welcome_folders(const std::string& config_dir);

// File names for a tag, in search order: welcome.{tag}.md, welcome.{lang}.md,
// welcome.md (tag trimmed). A tag holding "/" or NUL names no tagged file.
std::vector<std::string> welcome_file_names(std::string_view tag);

// The first file (folders before names) that reads as UTF-8 and shows at
// least one line; its load is written to the console log. Empty when none.
std::vector<MarkupLine> load_welcome_text(const std::string& config_dir, std::string_view tag);
std::vector<MarkupLine> load_welcome_text_from(const std::vector<std::string>& folders,
                                               std::string_view tag);

}  // namespace tarnwick::tui
