#include "app/session/shell_start.h"

#include <cstdlib>

#include "core/console_log.h"
#include "core/text.h"
#include "platform/account.h"
#include "platform/shell_exec.h"
#include "platform/terminal_claim.h"
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

std::string start_shell(const std::string& tty_device, const std::string& pam_user,
                        const Catalog& catalog) {
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

    if (auto lent = platform::lend_terminal(tty_device, user.uid, user.gid); !lent) {
        log_console("terminal not handed to " + pam_user + ": " + lent.error());
    }
    auto ran = platform::run_as_user_and_wait(launch);
    // Whatever the shell left behind loses the terminal before the menu
    // shows anything again.
    if (auto taken = platform::claim_terminal(tty_device); !taken) {
        log_console("terminal not taken back from " + pam_user + ": " + taken.error());
    }
    if (!ran) {
        const platform::SpawnFailure& failure = ran.error();
        const std::string error = failure.step == platform::SpawnStep::Prepare
                                      ? platform::errno_name_and_text(failure.errnum)
                                      : platform::display_spawn_failure(failure);
        log_console("shell start failed for " + pam_user + ": " + error);
        return translate_arg(catalog, "session.shell_error", "error", error);
    }
    return translate(catalog, "session.shell_return");
}

}  // namespace tarnwick::app
