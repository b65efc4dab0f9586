#pragma once
// The console's users offered on the login screen: "administrator" first,
// then the members of the configured console group that are real accounts.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/config.h"
#include "platform/command.h"

namespace tarnwick::app {

inline constexpr std::string_view kGroupFile = "/etc/group";

// Never offered, whatever the group says.
extern const std::vector<std::string_view> SYSTEM_ACCOUNTS;

// How many `id -u` lookups run at the same time, at most.
inline constexpr std::size_t kMaxIdLookups = 16;

// Built once per session. Never fails: in the worst case "administrator" alone.
std::vector<std::string> login_user_list(const TarnwickConfig& config);
// The same with the group database file as a parameter.
std::vector<std::string> login_user_list(const TarnwickConfig& config,
                                         const std::string& group_file);

// Starts `getent group <console group>` in `commands`, so that it runs while
// the session starts up otherwise.
platform::CommandSet::Handle start_group_lookup(const TarnwickConfig& config,
                                                platform::CommandSet& commands);
// The list from a group lookup started in `commands`; the id lookups of the
// members run there too, up to kMaxIdLookups at once, and their results are
// taken in the members' order, so the list is the one of lookups run one by one.
std::vector<std::string> login_user_list(const TarnwickConfig& config,
                                         platform::CommandSet& commands,
                                         platform::CommandSet::Handle group_lookup,
                                         const std::string& group_file = std::string(kGroupFile));

// The fourth field of a group line split at ",", each part trimmed, empty
// parts dropped; nothing when the line has fewer than four fields.
std::optional<std::vector<std::string>> group_members(std::string_view group_line);

// The members in the output of `getent group NAME`: its one line, trimmed.
std::optional<std::vector<std::string>> members_from_getent_output(std::string_view out);

// The uid in the output of `id -u NAME`: an unsigned 32-bit decimal, one
// leading "+" allowed, white space around it ignored.
std::optional<std::uint32_t> uid_from_id_output(std::string_view out);

// Whether the login screen starts with the list instead of a typed name.
bool show_user_list(const TarnwickConfig& config, std::size_t login_users);

}  // namespace tarnwick::app
