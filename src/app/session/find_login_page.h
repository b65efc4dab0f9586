#pragma once

#include <optional>
#include <string>

#include "template/login_page.h"

namespace tarnwick::app {

// The first pages/login.twml of the template folders that loads as a login
// page, logging each invalid one; absent (after logging and telling standard
// error) when none does.
std::optional<tmpl::LoginTemplate> find_login_page(const std::string& config_dir);

// What standard error, and then the console, are told when no folder has a
// login page (no line end).
std::string login_page_required_line();

}  // namespace tarnwick::app
