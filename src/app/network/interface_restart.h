#pragma once
// Restarting an interface so that rewritten settings take effect.

#include <chrono>
#include <string>
#include <string_view>

#include "app/network/net_error.h"
#include "app/network/net_paths.h"
#include "core/result.h"

namespace tarnwick::app {

// Runs `service netif restart <if>`: "service netif restart <if>: ok" on
// success. When it fails, cycles the interface by hand (`ifconfig <if>
// down`, `ifconfig <if> up`, `<netif script> start <if>`, all three run):
// "service netif restart failed (<stderr>); attempted ifconfig cycle" when
// those succeed, else `Message` "service netif restart failed (<stderr>);
// ifconfig cycle failed: <what>". `Io` when `service` cannot be started.
Result<std::string, NetError> restart_interface(std::string_view interface_name);

// How long `service netif restart` and the netif script may run: restarting
// an interface configured for DHCP waits for a lease. A service stopped at
// the limit counts as failed (the manual cycle follows).
inline constexpr std::chrono::seconds kRestartTimeLimit{90};

Result<std::string, NetError> restart_interface(
    const NetPaths& paths, std::string_view interface_name,
    std::chrono::milliseconds time_limit = kRestartTimeLimit);

}  // namespace tarnwick::app
