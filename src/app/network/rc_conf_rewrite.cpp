#include "app/network/rc_conf_rewrite.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <optional>

#include <fmt/format.h>

#include "app/network/net_checks.h"
#include "app/network/rc_conf_grammar.h"
#include "core/atomic_file.h"
#include "core/read_file.h"
#include "core/text.h"

namespace tarnwick::app {
namespace {

constexpr std::string_view kRcConf = "rc.conf";

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

Result<void, NetError> set_in_text(std::string& text, const std::string& key,
                                   const std::string& value) {
    auto scan = certain_rc_settings(text, kRcConf);
    if (!scan) return fail(std::move(scan.error()));
    const std::vector<RcSetting>& settings = scan->settings;
    const std::string word = "\"" + value + "\"";
    const auto last = std::find_if(settings.rbegin(), settings.rend(),
                                   [&](const RcSetting& s) { return s.name == key; });
    if (last != settings.rend()) {
        text.replace(last->word_begin, last->word_end - last->word_begin, word);
        return {};
    }
    // A line written after a last line that a backslash joins on would
    // become part of it: a blank line ends that line first. (A text that
    // ends without a line feed cannot end so: a backslash there is refused.)
    if (!text.empty() && !text.ends_with('\n')) text += '\n';
    if (scan->ends_joined) text += '\n';
    text += key + "=" + word + "\n";
    return {};
}

// The names in a folder that ls(1) lists, in its order (bytewise, as at boot).
Result<std::vector<std::string>, NetError> listed_names(const LaterRcFile& folder) {
    DIR* dir = ::opendir(folder.path.c_str());
    if (dir == nullptr) {
        return fail(NetError::io(folder.label + ": " + system_error_text(errno)));
    }
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] != '.') names.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

// One later file: its settings must be certain and leave the keys alone.
Result<void, NetError> check_later_file(const LaterRcFile& file, const RcPairs& pairs) {
    auto text = read_text_file(file.path, kMaxConfigFileBytes);
    if (!text) return fail(NetError::io(file.label + ": " + display_read_file_error(text.error())));
    auto scan = certain_rc_settings(*text, file.label);
    if (!scan) return fail(std::move(scan.error()));
    for (const RcSetting& setting : scan->settings) {
        for (const auto& [key, value] : pairs) {
            if (setting.name != key) continue;
            return fail(NetError::message(fmt::format("{} line {} also sets {}; not changed",
                                                      file.label, setting.line, key)));
        }
    }
    return {};
}

}  // namespace

Result<std::string, NetError> rewrite_rc_conf_text(std::string_view text, const RcPairs& pairs) {
    std::string out(text);
    // Each pair scans the text again; the first refuses what is no setting.
    if (pairs.empty()) {
        if (auto scan = certain_rc_settings(out, kRcConf); !scan)
            return fail(std::move(scan.error()));
    }
    for (const auto& [key, value] : pairs) {
        if (auto set = set_in_text(out, key, value); !set) return fail(std::move(set.error()));
    }
    if (!out.ends_with('\n')) out += '\n';
    return out;
}

Result<void, NetError> check_later_rc_files(const std::vector<LaterRcFile>& files,
                                            const RcPairs& pairs) {
    for (const LaterRcFile& file : files) {
        // The boot sources a regular file, or each regular file of a folder;
        // anything else it passes over.
        struct stat st {};
        if (::stat(file.path.c_str(), &st) != 0) {
            if (errno == ENOENT) continue;
            return fail(NetError::io(file.label + ": " + system_error_text(errno)));
        }
        if (S_ISREG(st.st_mode)) {
            if (auto ok = check_later_file(file, pairs); !ok) return ok;
            continue;
        }
        if (!S_ISDIR(st.st_mode)) continue;
        auto names = listed_names(file);
        if (!names) return fail(std::move(names.error()));
        for (const std::string& name : *names) {
            const LaterRcFile entry{join_path(file.path, name), file.label + "/" + name};
            if (::stat(entry.path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
            if (auto ok = check_later_file(entry, pairs); !ok) return ok;
        }
    }
    return {};
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
    auto rewritten = rewrite_rc_conf_text(old_text, pairs);
    if (!rewritten) return fail(std::move(rewritten.error()));
    if (auto later = check_later_rc_files(paths.later_rc_files, pairs); !later) return later;
    const std::string& new_text = *rewritten;

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
