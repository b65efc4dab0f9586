#pragma once

#include <string>

#include "core/result.h"
#include "template/login_page.h"

namespace tarnwick::app {

// The first pages/login.twml of the template folders that loads as a login
// page, logging each invalid one. When none does, the line that says why
// (no line end), which is logged and written on standard error already.
Result<tmpl::LoginTemplate, std::string> find_login_page(const std::string& config_dir);

}  // namespace tarnwick::app
