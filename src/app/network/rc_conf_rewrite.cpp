#include "app/network/rc_conf_rewrite.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <iterator>
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
    const ShReading read = read_sh(lines, key);
    const ShLines& sh = read.shape;
    return !sh.ends_open && !sh.unbalanced && !sh.may_stop && !any_unsure(read.uses) &&
           !read.uses.empty() && read.uses.back() == VarUseAt{at, VarUse::LineStart};
}

// Whether a list operator that looks at the status of what comes before it
// follows on the line ("a=$(f) || b=1").
bool tests_status(std::string_view rest) {
    return rest.find("&&") != std::string_view::npos || rest.find("||") != std::string_view::npos;
}

// The last line that reads the last status ($?), if any.
std::optional<std::size_t> last_status_read(const std::vector<std::string>& lines) {
    for (std::size_t i = lines.size(); i-- > 0;) {
        if (lines[i].find("$?") != std::string::npos || lines[i].find("${?") != std::string::npos) {
            return i;
        }
    }
    return std::nullopt;
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
    if (column == kNoComment) return {};
    std::size_t from = column;
    while (from > 0 && (line[from - 1] == ' ' || line[from - 1] == '\t')) --from;
    std::string comment(from == column ? 1 : 0, ' ');
    comment.append(line, from);
    return comment;
}

// Whether the line ends with a backslash that joins the next line to it (an
// odd number of them: a pair is one escaped backslash).
bool ends_with_joining_backslash(std::string_view line) {
    const std::size_t last = line.find_last_not_of('\\');
    const std::size_t count = last == std::string_view::npos ? line.size() : line.size() - last - 1;
    return count % 2 == 1;
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

// The line that stands for the setting that begins line `first`, the last
// line it takes the place of, and whether the line after that begins a
// command of its own now (a backslash that joined it went).
struct Replacement {
    std::string line;
    std::size_t end = 0;
    bool frees_next = false;
};

// The setting that begins line `first` replaced (see rewrite_rc_conf_text),
// or nothing when that would lose or change what else the shell runs there.
// `status_read_later`: the text reads the last status ($?) on that line or
// after it.
std::optional<Replacement> replace_setting(const std::vector<std::string>& lines, std::size_t first,
                                           const std::string& key, const std::string& setting,
                                           bool status_read_later) {
    const SettingSpan span = setting_span(lines, first);
    const WordEnd word = span.word;
    const std::string rest = lines[word.line].substr(word.column);
    const bool assignment = is_assignment_to(lines[first], key);
    // The blanks that indent the setting are not part of it: they stay.
    Replacement replacement{lines[first].substr(0, lines[first].find_first_not_of(" \t")),
                            word.line, false};
    std::string kept;  // what stays after the new setting on its line
    bool whole = false;
    if (assignment && !holds_more_than_a_comment(rest)) {
        kept = comment_in(rest);
    } else if (assignment && !assigns_again(rest, key)) {
        // Other settings or commands after the assignment stay.
        kept = rest;
    } else {
        // The line is replaced whole, together with the lines its value
        // continues on: only when that loses nothing but the key's own
        // assignments, or the one command a spaced "key = value" is.
        whole = true;
        replacement.end = span.end;
        std::vector<std::string> lost(
            lines.begin() + static_cast<std::ptrdiff_t>(assignment ? word.line + 1 : first),
            lines.begin() + static_cast<std::ptrdiff_t>(span.end) + 1);
        if (assignment) lost.insert(lost.begin(), rest);
        if (assignment ? !only_assigns(lost, key) : !one_plain_command(lost)) return std::nullopt;
        kept = comment_from(lines[span.end], span.comment);
    }
    // What goes must not assign anything as it expands (${other:=x}), nor
    // run a command whose status is looked at: an assignment ends with the
    // status of its last substitution, the new one with 0.
    std::vector<std::string> replaced(
        lines.begin() + static_cast<std::ptrdiff_t>(first),
        lines.begin() + static_cast<std::ptrdiff_t>(replacement.end) + 1);
    if (!whole) replaced.back().resize(word.column);
    const Expansions expansions = expansions_in(replaced);
    if (expansions.assign) return std::nullopt;
    if (expansions.run && ((!whole && tests_status(rest)) || status_read_later))
        return std::nullopt;
    replacement.frees_next = kept.empty() && (whole ? ends_with_joining_backslash(lines[span.end])
                                                    : ends_with_joining_backslash(rest));
    replacement.line += setting + kept;
    return replacement;
}

// Sets the key in the lines: see rewrite_rc_conf_text.
Result<void, NetError> set_in_lines(std::vector<std::string>& lines, const std::string& key,
                                    const std::string& setting) {
    const auto unsure = [&key] { return fail(NetError::message(unsure_setting_text(key))); };
    // Where a quote never closes, no line's extent is known: any change could
    // swallow the lines after it. The line to replace is certain only when
    // nothing else can set, freeze or hide the key, when the text is whole
    // (an appended line must not land in a here-document or a compound
    // command) and when nothing may stop the shell before it; the same holds
    // for the result.
    const ShReading read = read_sh(lines, key);
    const ShLines& sh = read.shape;
    if (sh.ends_open) return fail(NetError::message(std::string(kOpenQuoteText)));
    if (sh.unbalanced || sh.may_stop || any_unsure(read.uses)) return unsure();

    std::size_t at = 0;
    const std::optional<std::size_t> last = last_assignment(lines, sh, key);
    if (!last) {
        // A blank line ends a last line that a backslash continues.
        if (sh.ends_continued) lines.emplace_back();
        lines.push_back(setting);
        at = lines.size() - 1;
    } else {
        const std::optional<std::size_t> status_read = last_status_read(lines);
        std::vector<std::string> out(
            std::make_move_iterator(lines.begin()),
            std::make_move_iterator(lines.begin() + static_cast<std::ptrdiff_t>(*last)));
        std::size_t next = *last;
        while (true) {
            const bool status_read_later = status_read && *status_read >= next;
            std::optional<Replacement> replacement =
                replace_setting(lines, next, key, setting, status_read_later);
            if (!replacement) return unsure();
            out.push_back(std::move(replacement->line));
            next = replacement->end + 1;
            // A line that only continued the replaced one begins a command of
            // its own now: when it sets the key too, it is the last to.
            if (!replacement->frees_next || next == lines.size() ||
                assigned_key(lines[next]) != key) {
                break;
            }
        }
        at = out.size() - 1;
        out.insert(out.end(),
                   std::make_move_iterator(lines.begin() + static_cast<std::ptrdiff_t>(next)),
                   std::make_move_iterator(lines.end()));
        lines = std::move(out);
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
    // A backslash that ends the text is a character of its last word; the
    // line feed the rewrite ends the text with would make it join lines.
    if (!pairs.empty() && !text.empty() && !text.ends_with('\n') &&
        read_sh_lines(lines).ends_continued) {
        return fail(NetError::message(unsure_setting_text(pairs.front().first)));
    }
    for (const auto& [key, value] : pairs) {
        if (auto set = set_in_lines(lines, key, key + "=\"" + value + "\""); !set) {
            return fail(std::move(set.error()));
        }
    }
    // Every line keeps its line feed; an empty text becomes one blank line.
    if (lines.empty()) lines.emplace_back();
    std::string out;
    out.reserve(text.size() + pairs.size() * 128);
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
