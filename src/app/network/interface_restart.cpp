#include "app/network/interface_restart.h"

#include <vector>

#include "core/text.h"
#include "platform/command.h"

namespace tarnwick::app {
namespace {

std::string command_line(std::string_view program, const std::vector<std::string>& args) {
    std::string line(program);
    for (const std::string& arg : args) line += " " + arg;
    return line;
}

// Why one command of the manual cycle failed, or nothing when it succeeded.
std::optional<std::string> cycle_failure(std::string_view program,
                                         const std::vector<std::string>& args,
                                         const platform::CommandLimits& limits) {
    const auto result = platform::run_command(program, args, limits);
    if (!result) return platform::display_command_error(result.error());
    if (result->success()) return std::nullopt;
    const std::string line = command_line(program, args);
    if (!result->status.exited) {
        return line + " was killed by signal " + std::to_string(result->status.code);
    }
    std::string what = line + " exited with status " + std::to_string(result->status.code);
    const std::string err = result->err_text();
    if (const std::string_view detail = trim(err); !detail.empty()) {
        what += ": " + std::string(detail);
    }
    return what;
}

}  // namespace

Result<std::string, NetError> restart_interface(const NetPaths& paths,
                                                std::string_view interface_name,
                                                std::chrono::milliseconds time_limit) {
    const std::string name(interface_name);
    const platform::CommandLimits restart_limits{time_limit};
    const auto service =
        platform::run_command("service", {"netif", "restart", name}, restart_limits);
    std::string err;
    if (service && service->success()) return "service netif restart " + name + ": ok";
    if (service) {
        err = service->err_text();
    } else if (service.error().kind == platform::CommandError::Kind::TimedOut) {
        // It ran and was stopped, perhaps half way: the manual cycle follows.
        err = platform::display_command_error(service.error());
    } else {
        return fail(NetError::io(system_error_text(service.error().errnum)));
    }
    const std::string head = "service netif restart failed (" + std::string(trim(err)) + ")";
    // Every step runs even after one failed: an interface left down is worse
    // than a second error.
    std::vector<std::string> failures;
    struct Step {
        std::string program;
        std::vector<std::string> args;
        platform::CommandLimits limits;
    };
    const Step steps[] = {
        {"ifconfig", {name, "down"}, {}},
        {"ifconfig", {name, "up"}, {}},
        {paths.netif_script, {"start", name}, restart_limits},
    };
    for (const Step& step : steps) {
        if (auto failure = cycle_failure(step.program, step.args, step.limits)) {
            failures.push_back(std::move(*failure));
        }
    }
    if (failures.empty()) return head + "; attempted ifconfig cycle";
    std::string what;
    for (const std::string& failure : failures) what += (what.empty() ? "" : "; ") + failure;
    return fail(NetError::message(head + "; ifconfig cycle failed: " + what));
}

Result<std::string, NetError> restart_interface(std::string_view interface_name) {
    return restart_interface(system_net_paths(), interface_name);
}

}  // namespace tarnwick::app
