#include "app/network/rc_conf_rewrite.h"

#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <optional>

#include "app/network/ifconfig_listing.h"
#include "app/network/net_checks.h"
#include "core/atomic_file.h"
#include "core/read_file.h"
#include "core/text.h"

namespace tarnwick::app {
namespace {

// The key a line assigns to, or nothing for blank lines, comments and lines
// without "=".
std::optional<std::string_view> assigned_key(std::string_view line) {
    const std::string_view text = trim(line);
    if (text.empty() || text.front() == '#') return std::nullopt;
    const std::size_t eq = text.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return trim(text.substr(0, eq));
}

// A link at rc.conf's name is written through, as /bin/sh reads through it:
// replacing the link itself would leave the real file unchanged.
std::string file_behind(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr) return path;
    return resolved;
}

Result<void, NetError> check_pairs(const RcPairs& pairs) {
    for (const auto& [key, value] : pairs) {
        if (auto ok = check_rc_key(key); !ok) return ok;
        if (auto ok = check_rc_value(key, value); !ok) return ok;
    }
    return {};
}

}  // namespace

std::string rewrite_rc_conf_text(std::string_view text, const RcPairs& pairs) {
    std::vector<std::string> lines;
    for (const std::string_view line : split_lines(text)) lines.emplace_back(line);
    for (const auto& [key, value] : pairs) {
        std::string setting = key + "=\"" + value + "\"";
        auto last = lines.rend();
        for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
            if (assigned_key(*it) == std::string_view(key)) {
                last = it;
                break;
            }
        }
        if (last != lines.rend()) {
            *last = std::move(setting);
        } else {
            lines.push_back(std::move(setting));
        }
    }
    std::string out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) out += '\n';
        out += lines[i];
    }
    if (out.empty() || out.back() != '\n') out += '\n';
    return out;
}

Result<void, NetError> write_rc_conf(const NetPaths& paths, const RcPairs& pairs) {
    if (auto ok = check_pairs(pairs); !ok) return ok;

    const std::string target = file_behind(paths.rc_conf);
    auto read = read_text_file(target, kMaxConfigFileBytes);
    AtomicWriteOptions options;  // a new file: 0644, the process's owner
    std::string old_text;
    if (read) {
        struct stat info {};
        if (::stat(target.c_str(), &info) != 0) return fail(NetError::io(system_error_text(errno)));
        options.mode = info.st_mode & 07777;
        options.owner = FileOwner{info.st_uid, info.st_gid};
        old_text = std::move(*read);
    } else if (read.error().kind != ReadFileError::Kind::System ||
               read.error().os_error != ENOENT) {
        return fail(NetError::io(display_read_file_error(read.error())));
    }
    const std::string new_text = rewrite_rc_conf_text(old_text, pairs);

    if (auto saved = write_file_atomically(paths.rc_conf_backup, old_text, options); !saved) {
        return fail(NetError::io(system_error_text(saved.error().errnum)));
    }
    if (auto written = write_file_atomically(target, new_text, options); !written) {
        return fail(NetError::io(system_error_text(written.error().errnum)));
    }
    return {};
}

Result<void, NetError> write_rc_conf(const RcPairs& pairs) {
    return write_rc_conf(system_net_paths(), pairs);
}

}  // namespace tarnwick::app
