#pragma once
// What the system-information view shows about the machine and the current
// sign-in, gathered afresh each time from the system and a few commands.
// Every source has a fallback, so gathering never fails.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::app {

struct SummaryAddress {
    std::string address;
    std::string iface;        // nothing fills it yet
    std::uint8_t family = 4;  // 6 when the address holds ":", else 4

    bool operator==(const SummaryAddress&) const = default;
};

struct SystemSummary {
    std::string hostname;
    std::string os;
    std::string os_version;
    std::string arch;
    std::string kernel;
    std::string uptime;
    std::string cpu_model;
    std::string cpu_cores;
    std::string memory;
    std::string load_avg;
    std::string display_user;
    std::string pam_user;
    std::string tty;
    std::string locale;
    std::vector<SummaryAddress> addresses;

    bool operator==(const SystemSummary&) const = default;
};

// Runs uname, uptime, sysctl (and hostname when the system call gives no
// usable name) through PATH, and gathers the console addresses.
SystemSummary gather_system_summary(std::string_view display_name, std::string_view pam_user,
                                    std::string_view tty, std::string_view locale);

// The host name from gethostname's bytes when they are valid UTF-8 (even
// empty); otherwise the trimmed output of the hostname command, or "unknown"
// when it cannot be started, prints no valid UTF-8 or nothing.
std::string host_name_from(const std::optional<std::string>& system_bytes);

// The running time that uptime prints after "up ", without the user count:
// "up 2 days, 17:33, 1 user, load averages: ..." gives "2 days, 17:33". "—"
// when there is no "up " or nothing after it.
std::string uptime_from(std::string_view output);

// "16384 MB (16.0 GB)" from a byte count; "—" when the output is no unsigned
// 64-bit decimal number.
std::string memory_from(std::string_view output);

// vm.loadavg without its braces: "{ 0.52 0.58 0.59 }" gives " 0.52 0.58 0.59 ".
std::string load_avg_from(std::string_view output);

}  // namespace tarnwick::app
