#pragma once
// What start-up gathers once and the login and menu loops use for the whole
// session.

#include <optional>
#include <string>
#include <vector>

#include "app/cli.h"
#include "core/config.h"
#include "core/locale.h"
#include "template/login_page.h"
#include "template/screen/screen_template.h"

namespace tarnwick::app {

struct SessionContext {
    const Cli* cli = nullptr;
    std::string config_dir;
    std::string terminal_path;  // --tty, else /dev/ttyv0
    std::string tty_device;     // the terminal attached and claimed, by its /dev path
    std::string terminal_label;
    TarnwickConfig config;
    AutoMode color = AutoMode::Auto;
    std::string locales_dir;
    std::string current_tag;
    tmpl::ScreenTemplate menu_template;
    std::vector<std::string> login_users;
    std::vector<std::string> addresses;
    std::vector<LocaleInfo> languages;
    tmpl::LoginTemplate login_template;
};

// The signed-in user the login loop hands to the menu loop.
struct SignedIn {
    std::string display_name;
    std::string pam_user;
};

}  // namespace tarnwick::app
