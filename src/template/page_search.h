#pragma once
// The search every page builder shares: a page path relative to a template
// folder is tried in each folder of `template_dirs` in order.

#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace tarnwick::tmpl {

using PageOffer = std::function<bool(const std::string& path, const std::string& folder)>;

// For each folder in which `relative` names a regular file (symbolic links
// followed), calls offer(candidate path, folder). The search stops when offer
// returns true (the page was accepted); the result says whether one was.
// Candidates that are missing, unreadable or not regular files are passed
// over without a word.
bool search_folders(std::span<const std::string> folders, std::string_view relative,
                    const PageOffer& offer);

// The same over template_dirs(config_dir).
bool search_template_folders(std::string_view config_dir, std::string_view relative,
                             const PageOffer& offer);

}  // namespace tarnwick::tmpl
