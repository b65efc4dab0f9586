#pragma once
// Starting the signed-in user's login shell from the session menu.

#include <cstdint>
#include <map>
#include <string>

#include "core/catalog.h"

namespace tarnwick::app {

struct SessionUser {
    std::string name;
    std::string home;   // bytes as stored
    std::string shell;  // bytes as stored
    std::uint32_t uid = 0;
    std::uint32_t gid = 0;
};

// Exactly TERM, LANG, PATH, HOME, USER, LOGNAME and SHELL.
std::map<std::string, std::string> shell_env(const SessionUser& user);

// Restores the terminal, lends it to the account, runs the account's shell as
// that account and waits for it, then takes the terminal back from whatever
// the shell left running on it. Returns the status line for the session
// menu: "session.shell_return" only when the shell really ran.
std::string start_shell(const std::string& tty_device, const std::string& pam_user,
                        const Catalog& catalog);

}  // namespace tarnwick::app
