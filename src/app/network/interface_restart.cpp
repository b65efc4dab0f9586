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
                                         const std::vector<std::string>& args) {
    const auto result = platform::run_command(program, args);
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
                                                std::string_view interface_name) {
    const std::string name(interface_name);
    const auto service = platform::run_command("service", {"netif", "restart", name});
    if (!service) return fail(NetError::io(system_error_text(service.error().errnum)));
    if (service->success()) return "service netif restart " + name + ": ok";

    const std::string err = service->err_text();
    const std::string head = "service netif restart failed (" + std::string(trim(err)) + ")";
    // Every step runs even after one failed: an interface left down is worse
    // than a second error.
    std::vector<std::string> failures;
    for (const auto& [program, args] :
         std::vector<std::pair<std::string, std::vector<std::string>>>{
             {"ifconfig", {name, "down"}},
             {"ifconfig", {name, "up"}},
             {paths.netif_script, {"start", name}},
         }) {
        if (auto failure = cycle_failure(program, args)) failures.push_back(std::move(*failure));
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
