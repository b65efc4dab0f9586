#include "template/login_page.h"

#include "template/twml/loader.h"

namespace tarnwick::tmpl {
namespace {

void take_field(const TwmlField& field, LoginTemplate& login, bool& password_found,
                bool& user_found) {
    if (field.id == "user" || field.id == "username") {
        user_found = true;
        if (field.label_key) {
            login.user_label_key = *field.label_key;
        }
        if (field.max_length) {
            login.user_max_length = *field.max_length;
        }
    } else if (field.id == "password" || field.type == "password" || field.secret) {
        password_found = true;
        if (field.label_key) {
            login.password_label_key = *field.label_key;
        }
        if (field.max_length) {
            login.password_max_length = *field.max_length;
        }
    } else if (field.id == "language" || field.id == "locale") {
        if (field.label_key) {
            login.language_label_key = *field.label_key;
        }
    }
}

}  // namespace

void extract_login_fields(const std::vector<TwmlNode>& nodes, LoginTemplate& login,
                          bool& password_found, bool& user_found) {
    for (const TwmlNode& node : nodes) {
        if (const auto* main = node.get<TwmlNode::Main>()) {
            extract_login_fields(main->children, login, password_found, user_found);
        } else if (const auto* section = node.get<TwmlNode::Section>()) {
            extract_login_fields(section->children, login, password_found, user_found);
        } else if (const auto* footer = node.get<TwmlNode::Footer>()) {
            if (footer->help_key) {
                login.help_key = *footer->help_key;
            }
        } else if (const auto* field = node.get<TwmlNode::Field>()) {
            take_field(*field, login, password_found, user_found);
        }
    }
}

Result<LoginTemplate, TwmlError> load_login_page(const std::string& page_path,
                                                 const std::string& template_dir) {
    auto page = load_page(page_path, template_dir);
    if (!page) {
        return fail(std::move(page.error()));
    }
    if (page->require != Capability::Public) {
        return fail(TwmlError::message("login screen must require public (unauthenticated)"));
    }
    LoginTemplate login;
    if (page->title_key) {
        login.title_key = *page->title_key;
    }
    bool password_found = false;
    bool user_found = false;
    extract_login_fields(page->nodes, login, password_found, user_found);
    if (!password_found) {
        return fail(TwmlError::message(
            "login TWML must define a password field (id=password or type=password)"));
    }
    if (!user_found) {
        return fail(TwmlError::message("login TWML must define a user field (id=user)"));
    }
    return login;
}

}  // namespace tarnwick::tmpl
