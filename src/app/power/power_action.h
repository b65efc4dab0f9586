#pragma once
// Power off and reboot: confirmed through the action's confirmation page,
// then handed to the system's shutdown command with the terminal restored.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/config.h"
#include "core/result.h"

namespace tarnwick {
struct Catalog;
}

namespace tarnwick::app {

enum class PowerAction { PowerOff, Reboot };

// The status line after the action: the "requested" text when the shutdown
// command ran and exited with 0, "session.shutdown_failed" with the reason
// when it could not be started or failed; none when the user did not confirm
// (nothing ran, the terminal was left alone).
std::optional<std::string> run_power_action(PowerAction action, std::string_view config_dir,
                                            AutoMode color, const Catalog& catalog, bool is_admin);

// Runs `program` with the arguments, else `fallback` found through PATH when
// `program` cannot be started, with this process's standard streams (the
// power actions pass /sbin/shutdown and shutdown). The error text says why it
// failed: the start error or the exit status.
Result<void, std::string> run_shutdown_with(std::string_view program, std::string_view fallback,
                                            const std::vector<std::string>& args);

}  // namespace tarnwick::app
