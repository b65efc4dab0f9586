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

// Restores the terminal, runs the account's shell as that account and waits
// for it. Returns the status line for the session menu.
std::string start_shell(const std::string& pam_user, const Catalog& catalog);

}  // namespace tarnwick::app
