#include "app/power/power_action.h"

#include <fmt/format.h>

#include "core/catalog.h"
#include "core/console_log.h"
#include "platform/command.h"
#include "tui/screens/page_screens.h"
#include "tui/term/terminal.h"

namespace tarnwick::app {
namespace {

struct PowerSteps {
    std::string_view page;
    std::string_view default_key;
    std::string_view flag;
    std::string_view status_key;
};

PowerSteps steps_of(PowerAction action) {
    switch (action) {
        case PowerAction::PowerOff:
            return {"pages/confirm-poweroff.twml", "confirm.power_off", "-p",
                    "session.shutdown_requested"};
        case PowerAction::Reboot:
            break;
    }
    return {"pages/confirm-reboot.twml", "confirm.reboot", "-r", "session.reboot_requested"};
}

std::string exit_text(const platform::ExitStatus& status) {
    if (status.exited) return fmt::format("exit status {}", status.code);
    return fmt::format("killed by signal {}", status.code);
}

}  // namespace

Result<void, std::string> run_shutdown_with(std::string_view program, std::string_view fallback,
                                            const std::vector<std::string>& args) {
    using Kind = platform::CommandError::Kind;
    auto ran = platform::run_command_inheriting_streams(program, args);
    // Only a program that never started hands over to the one on PATH.
    if (!ran && (ran.error().kind == Kind::Exec || ran.error().kind == Kind::Spawn)) {
        ran = platform::run_command_inheriting_streams(fallback, args);
    }
    if (!ran) return fail(platform::display_command_error(ran.error()));
    if (!ran->success()) return fail(exit_text(*ran));
    return {};
}

std::optional<std::string> run_power_action(PowerAction action, std::string_view config_dir,
                                            AutoMode color, const Catalog& catalog, bool is_admin) {
    const PowerSteps steps = steps_of(action);
    if (!tui::confirm_page(config_dir, steps.page, steps.default_key, color, catalog, is_admin)) {
        return std::nullopt;
    }
    tui::restore_terminal();
    auto done = run_shutdown_with("/sbin/shutdown", "shutdown", {std::string(steps.flag), "now"});
    if (!done) {
        log_console(fmt::format("shutdown {} now failed: {}", steps.flag, done.error()));
        return translate_arg(catalog, "session.shutdown_failed", "error", done.error());
    }
    return translate(catalog, steps.status_key);
}

}  // namespace tarnwick::app
