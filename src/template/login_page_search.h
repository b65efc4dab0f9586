#pragma once
// The search for the login page along the template folders, shared by the
// console's start-up and --check-config so that the check fails exactly when
// the console would not start. It writes nothing: the console logs what it
// returns.

#include "template/login_page.h"
#include "template/twml/error.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::tmpl {

struct InvalidLoginPage {
    std::string path;
    TwmlError error;
};

struct FoundLoginPage {
    std::string path;
    LoginTemplate page;
};

struct LoginPageSearch {
    std::vector<InvalidLoginPage> invalid;  // pages that did not load, in search order
    std::optional<FoundLoginPage> found;    // the first that loaded; the search ends there
};

// pages/login.twml of each folder in order that is a regular file (symbolic
// links followed), loaded as a login page.
LoginPageSearch search_login_folders(std::span<const std::string> folders);

// The same over template_dirs(config_dir).
LoginPageSearch search_login_page(std::string_view config_dir);

// Why a search that found nothing found nothing: the first invalid page's
// path and load error (that page's folder comes first, so it is the one meant
// to be used), else that no folder holds one.
std::string login_page_failure(const LoginPageSearch& search);

}  // namespace tarnwick::tmpl
