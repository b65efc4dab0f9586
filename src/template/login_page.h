#pragma once
// The login page model: the few texts and limits the login screen takes from
// pages/login.twml.

#include "core/result.h"
#include "template/twml/error.h"
#include "template/twml/page.h"

#include <cstddef>
#include <string>
#include <vector>

namespace tarnwick::tmpl {

struct LoginTemplate {
    std::string title_key = "login.title";
    std::string user_label_key = "login.user";
    std::string password_label_key = "login.password";
    std::string language_label_key = "login.language";
    std::string help_key = "login.help";
    std::size_t password_max_length = 256;  // characters
    std::size_t user_max_length = 64;       // characters

    bool operator==(const LoginTemplate&) const = default;
};

Result<LoginTemplate, TwmlError> load_login_page(const std::string& page_path,
                                                 const std::string& template_dir);

// Walks main and section nodes in document order; later matches overwrite
// earlier ones field by field. Menus are not entered.
void extract_login_fields(const std::vector<TwmlNode>& nodes, LoginTemplate& login,
                          bool& password_found, bool& user_found);

}  // namespace tarnwick::tmpl
