#pragma once
// Changing settings in /etc/rc.conf: every other line kept, the previous text
// saved as a backup first, both files replaced atomically.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/network/net_error.h"
#include "app/network/net_paths.h"
#include "core/result.h"

namespace tarnwick::app {

using RcPairs = std::vector<std::pair<std::string, std::string>>;

// The text with each pair set, in order: the last assignment of the key (the
// one /bin/sh keeps) becomes key="value", together with the lines its value
// continues on, or the line is appended. Other settings or commands after
// the assignment on its line stay, and so does a comment there. Only lines
// where /bin/sh begins a command are assignments: a line inside another
// setting's quoted value or a here-document is left alone. Comments, blank
// lines and other settings stay, every line with its line feed; a carriage
// return before a line feed is dropped unless a backslash comes before it
// (the shell reads that pair as an escaped character, and without the return
// the backslash would join the next line); the text ends with a line feed.
// `Message` kOpenQuoteText when the text leaves a quote open (no line's end
// is known then). `Message` unsure_setting_text(key) when the shell might
// not take the key from that line: something else sets, freezes or hides it
// (see variable_uses: a compound command, a function, a here-document,
// readonly, export, eval, ..., an expansion, a pipeline, an assignment in
// front of a command or on a later line), replacing the line would lose
// another command or what its old value did as it expanded (an assignment,
// a status read later), the text ends inside a here-document, a compound
// command or an unfinished command, or ends in a backslash without a line
// feed, or holds what may stop the shell before its end or what dash and
// FreeBSD's sh read apart (see ShLines). Pairs must have passed the checks.
inline constexpr std::string_view kOpenQuoteText =
    "rc.conf has an unterminated quote or substitution; not changed";
std::string unsure_setting_text(std::string_view key);
Result<std::string, NetError> rewrite_rc_conf_text(std::string_view text, const RcPairs& pairs);

// Checks every key and value, reads rc.conf (a missing file is empty text;
// an unreadable or non-UTF-8 one is `Io`), rewrites the text as above,
// writes the old text to the backup and then the new text to rc.conf, each
// by rename, each with the old file's mode and owner. Nothing is written
// when a check, the read or the rewrite fails, and rc.conf is left as it was
// when the backup cannot be written.
Result<void, NetError> write_rc_conf(const RcPairs& pairs);
Result<void, NetError> write_rc_conf(const NetPaths& paths, const RcPairs& pairs);

}  // namespace tarnwick::app
