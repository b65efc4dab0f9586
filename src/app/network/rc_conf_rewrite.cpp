#include "app/network/rc_conf_rewrite.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <optional>

#include "app/network/net_checks.h"
#include "app/network/sh_lines.h"
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

// Whether the line begins, after blanks, with an assignment to the key as
// /bin/sh reads one ("key=" with nothing between).
bool is_assignment_to(std::string_view line, std::string_view key) {
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    return line.starts_with(key) && line.substr(key.size()).starts_with('=');
}

// The last line that begins a command assigning the key.
std::optional<std::size_t> last_assignment(const std::vector<std::string>& lines, const ShLines& sh,
                                           std::string_view key) {
    for (std::size_t i = lines.size(); i-- > 0;) {
        if (sh.starts_command[i] && assigned_key(lines[i]) == key) return i;
    }
    return std::nullopt;
}

bool any_unsure(const std::vector<VarUseAt>& uses) {
    return std::any_of(uses.begin(), uses.end(),
                       [](const VarUseAt& u) { return u.use == VarUse::Unsure; });
}

// Whether /bin/sh is sure to keep the setting on line `at`: it is the last
// use of the key, nothing else may set, freeze or hide the key, and the text
// is whole around it.
bool keeps_setting(const std::vector<std::string>& lines, std::string_view key, std::size_t at) {
    const ShLines sh = read_sh_lines(lines);
    const std::vector<VarUseAt> uses = variable_uses(lines, key);
    return !sh.ends_open && !sh.unbalanced && !any_unsure(uses) && !uses.empty() &&
           uses.back() == VarUseAt{at, VarUse::LineStart};
}

// What follows a replaced assignment on its line when it is a comment: it
// stays behind the new one.
std::string comment_in(std::string_view rest) {
    const std::size_t start = rest.find_first_not_of(" \t");
    return start != std::string_view::npos && rest[start] == '#' ? std::string(rest)
                                                                 : std::string();
}

// The comment that begins at `column` of the line, with the blanks before
// it (one when there are none: it must stay a comment).
std::string comment_from(const std::string& line, std::size_t column) {
    if (column == std::string::npos) return {};
    std::size_t from = column;
    while (from > 0 && (line[from - 1] == ' ' || line[from - 1] == '\t')) --from;
    std::string comment(from == column ? 1 : 0, ' ');
    comment.append(line, from);
    return comment;
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

// The lines of rc.conf with DOS line endings dropped, except a carriage
// return after a backslash (see rewrite_rc_conf_text).
std::vector<std::string> rc_conf_lines(std::string_view text) {
    std::vector<std::string> lines;
    for (std::string_view line : split_at_line_feeds(text)) {
        if (line.ends_with('\r') && !line.substr(0, line.size() - 1).ends_with('\\')) {
            line.remove_suffix(1);
        }
        lines.emplace_back(line);
    }
    return lines;
}

// Sets the key in the lines: see rewrite_rc_conf_text.
Result<void, NetError> set_in_lines(std::vector<std::string>& lines, const std::string& key,
                                    const std::string& setting) {
    const auto unsure = [&key] { return fail(NetError::message(unsure_setting_text(key))); };
    const auto open = [] { return fail(NetError::message(std::string(kOpenQuoteText))); };
    {
        // Where a quote never closes, no line's extent is known: any change
        // could swallow the lines after it. The line to replace is certain
        // only when nothing else can set, freeze or hide the key, and when
        // the text is whole (an appended line must not land in a
        // here-document or a compound command); the same holds for the
        // result.
        const ShLines sh = read_sh_lines(lines);
        if (sh.ends_open) return open();
        if (sh.unbalanced || any_unsure(variable_uses(lines, key))) return unsure();
    }
    std::size_t at = 0;
    // Until the setting is the last assignment of the key: a line that only
    // continued the replaced one may begin a command of its own now.
    while (true) {
        const ShLines sh = read_sh_lines(lines);
        if (sh.ends_open) return open();
        const std::optional<std::size_t> last = last_assignment(lines, sh, key);
        if (!last) {
            // A blank line ends a last line that a backslash continues.
            if (sh.ends_continued) lines.emplace_back();
            lines.push_back(setting);
            at = lines.size() - 1;
            break;
        }
        const std::size_t first = *last;
        const WordEnd word = command_word_end(lines, first);
        const std::string rest = lines[word.line].substr(word.column);
        const bool assignment = is_assignment_to(lines[first], key);
        // The blanks that indent the assignment are not part of it: they stay.
        const std::string indent =
            assignment ? lines[first].substr(0, lines[first].find_first_not_of(" \t")) : "";
        std::size_t end = word.line;
        std::string line = indent;
        if (assignment && !holds_more_than_a_comment(rest)) {
            line += setting + comment_in(rest);
        } else if (assignment && !assigns_again(rest, key)) {
            // Other settings or commands after the assignment stay.
            line += setting + rest;
        } else {
            // The line is replaced whole, together with the lines its value
            // continues on: only when that loses nothing but the key's own
            // assignments, or the one command a spaced "key = value" is.
            end = setting_end_line(lines, first);
            std::vector<std::string> lost(
                lines.begin() + static_cast<std::ptrdiff_t>(assignment ? word.line + 1 : first),
                lines.begin() + static_cast<std::ptrdiff_t>(end) + 1);
            if (assignment) lost.insert(lost.begin(), rest);
            if (assignment ? !only_assigns(lost, key) : !one_plain_command(lost)) return unsure();
            line += setting + comment_from(lines[end], sh.comment[end]);
        }
        if (end == first && lines[first] == line) {
            at = first;
            break;
        }
        lines[first] = line;
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(first) + 1,
                    lines.begin() + static_cast<std::ptrdiff_t>(end) + 1);
    }
    if (!keeps_setting(lines, key, at)) return unsure();
    return {};
}

}  // namespace

std::string unsure_setting_text(std::string_view key) {
    return "rc.conf sets " + std::string(key) +
           " in a way that cannot be changed safely; not changed";
}

Result<std::string, NetError> rewrite_rc_conf_text(std::string_view text, const RcPairs& pairs) {
    std::vector<std::string> lines = rc_conf_lines(text);
    for (const auto& [key, value] : pairs) {
        if (auto set = set_in_lines(lines, key, key + "=\"" + value + "\""); !set) {
            return fail(std::move(set.error()));
        }
    }
    // Every line keeps its line feed; an empty text becomes one blank line.
    if (lines.empty()) lines.emplace_back();
    std::string out;
    for (const std::string& line : lines) {
        out += line;
        out += '\n';
    }
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
    auto rewritten = rewrite_rc_conf_text(old_text, pairs);
    if (!rewritten) return fail(std::move(rewritten.error()));
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
