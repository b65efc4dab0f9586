#include "app/session/login_users.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <set>

#include "core/administrator.h"
#include "core/read_file.h"
#include "core/text.h"
#include "platform/command.h"

namespace tarnwick::app {

const std::vector<std::string_view> SYSTEM_ACCOUNTS = {
    "nobody", "daemon", "operator", "bin",   "tty",     "kmem", "games",    "news",  "man",
    "sshd",   "toor",   "bind",     "proxy", "unbound", "www",  "mailnull", "guest", "messagebus",
};

namespace {

std::optional<std::vector<std::string>> members_from_getent(
    const Result<platform::CommandOutput, platform::CommandError>& output) {
    if (!output || !output->success()) return std::nullopt;
    return members_from_getent_output(output->out_text());
}

std::vector<std::string> members_from_file(const std::string& group, const std::string& path) {
    // Bounded and regular files only: a FIFO or a device named here must not
    // hang or flood the login screen.
    const auto read = read_text_file(path, kMaxConfigFileBytes);
    if (!read) return {};
    const std::string& text = *read;
    const std::string prefix = group + ":";
    for (std::string_view line : split_lines(text)) {
        if (line.substr(0, prefix.size()) != prefix) continue;
        if (auto members = group_members(line)) return std::move(*members);
    }
    return {};
}

bool excluded_by_name(std::string_view name) {
    if (is_builtin_login_account(name)) return true;
    if (!name.empty() && name.front() == '_') return true;
    return std::find(SYSTEM_ACCOUNTS.begin(), SYSTEM_ACCOUNTS.end(), name) != SYSTEM_ACCOUNTS.end();
}

std::optional<std::uint32_t> account_uid(
    const Result<platform::CommandOutput, platform::CommandError>& output) {
    if (!output || !output->success()) return std::nullopt;
    return uid_from_id_output(output->out_text());
}

}  // namespace

std::optional<std::vector<std::string>> group_members(std::string_view group_line) {
    std::size_t pos = 0;
    for (int field = 0; field < 3; ++field) {
        pos = group_line.find(':', pos);
        if (pos == std::string_view::npos) return std::nullopt;
        ++pos;
    }
    std::string_view members = group_line.substr(pos);
    members = members.substr(0, members.find(':'));
    std::vector<std::string> out;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = members.find(',', start);
        const std::string_view part =
            trim(members.substr(start, comma == std::string_view::npos ? comma : comma - start));
        if (!part.empty()) out.emplace_back(part);
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return out;
}

std::optional<std::vector<std::string>> members_from_getent_output(std::string_view out) {
    return group_members(trim(out));
}

std::optional<std::uint32_t> uid_from_id_output(std::string_view out) {
    std::string_view text = trim(out);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
        if (value > UINT32_MAX) return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

std::vector<std::string> login_user_list(const TarnwickConfig& config,
                                         const std::string& group_file) {
    platform::CommandSet commands;
    const auto group_lookup = start_group_lookup(config, commands);
    return login_user_list(config, commands, group_lookup, group_file);
}

std::vector<std::string> login_user_list(const TarnwickConfig& config) {
    return login_user_list(config, std::string(kGroupFile));
}

platform::CommandSet::Handle start_group_lookup(const TarnwickConfig& config,
                                                platform::CommandSet& commands) {
    return commands.start("getent", {"group", config.console_group});
}

std::vector<std::string> login_user_list(const TarnwickConfig& config,
                                         platform::CommandSet& commands,
                                         platform::CommandSet::Handle group_lookup,
                                         const std::string& group_file) {
    std::set<std::string> names{std::string(kAdministratorLogin)};
    std::vector<std::string> members;
    if (auto from_getent = members_from_getent(commands.finish(group_lookup))) {
        members = std::move(*from_getent);
    } else {
        members = members_from_file(config.console_group, group_file);
    }

    // A window of lookups in members' order: the oldest is taken before
    // another starts.
    std::deque<std::pair<const std::string*, platform::CommandSet::Handle>> lookups;
    const auto take_oldest = [&] {
        const auto [member, handle] = lookups.front();
        lookups.pop_front();
        const auto uid = account_uid(commands.finish(handle));
        if (uid && (*uid == 0 || *uid > 999)) names.insert(*member);
    };
    for (const std::string& member : members) {
        if (excluded_by_name(member)) continue;
        if (lookups.size() == kMaxIdLookups) take_oldest();
        lookups.emplace_back(&member, commands.start("id", {"-u", member}));
    }
    while (!lookups.empty()) take_oldest();

    std::vector<std::string> users;
    users.emplace_back(kAdministratorLogin);
    for (const std::string& name : names) {
        if (name != kAdministratorLogin) users.push_back(name);
    }
    return users;
}

bool show_user_list(const TarnwickConfig& config, std::size_t login_users) {
    switch (config.user_list) {
        case AutoMode::Never:
            return false;
        case AutoMode::Always:
            return true;
        case AutoMode::Auto:
            break;
    }
    return login_users <= config.user_list_max;
}

}  // namespace tarnwick::app
