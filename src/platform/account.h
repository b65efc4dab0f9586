#pragma once
// Password-database lookup by user name.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick::platform {

struct Account {
    std::uint32_t uid = 0;
    std::uint32_t gid = 0;
    std::string home;   // bytes as stored
    std::string shell;  // bytes as stored
};

// Absent for a name holding a NUL byte, a name without entry and a failing lookup.
std::optional<Account> lookup_account(std::string_view name);

}  // namespace tarnwick::platform
