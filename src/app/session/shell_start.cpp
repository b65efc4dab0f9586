#include "app/session/shell_start.h"

#include <cstdlib>

#include "core/text.h"
#include "platform/account.h"
#include "platform/shell_exec.h"
#include "tui/term/terminal.h"

namespace tarnwick::app {
namespace {

std::string env_or(const char* name, const char* fallback) {
    const char* value = std::getenv(name);
    if (value != nullptr && is_valid_utf8(value)) return value;
    return fallback;
}

}  // namespace

std::map<std::string, std::string> shell_env(const SessionUser& user) {
    return {
        {"TERM", env_or("TERM", "xterm")},
        {"LANG", env_or("LANG", "C.UTF-8")},
        {"PATH", "/sbin:/bin:/usr/sbin:/usr/bin:/usr/local/sbin:/usr/local/bin"},
        {"HOME", decode_lossy(user.home)},
        {"USER", user.name},
        {"LOGNAME", user.name},
        {"SHELL", decode_lossy(user.shell)},
    };
}

std::string start_shell(const std::string& pam_user, const Catalog& catalog) {
    tui::restore_terminal();
    const auto account = platform::lookup_account(pam_user);
    if (!account) {
        return translate_arg(catalog, "session.shell_error", "error", "unknown user " + pam_user);
    }
    const SessionUser user{pam_user, account->home, account->shell, account->uid, account->gid};
    platform::ShellLaunch launch;
    launch.user = user.name;
    launch.uid = user.uid;
    launch.gid = user.gid;
    launch.home = user.home;
    launch.shell_path = decode_lossy(user.shell);
    for (auto& [key, value] : shell_env(user)) launch.env.emplace_back(key, value);
    if (auto ran = platform::run_as_user_and_wait(launch); !ran) {
        return translate_arg(catalog, "session.shell_error", "error",
                             platform::errno_name_and_text(ran.error()));
    }
    return translate(catalog, "session.shell_return");
}

}  // namespace tarnwick::app
