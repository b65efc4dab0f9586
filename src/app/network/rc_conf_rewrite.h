#pragma once
// Changing settings in /etc/rc.conf: every other byte kept, the previous text
// saved as a backup first, both files replaced atomically. Only a file that
// is nothing but settings (rc_conf_grammar.h) is changed.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/network/net_error.h"
#include "app/network/net_paths.h"
#include "core/result.h"

namespace tarnwick::app {

using RcPairs = std::vector<std::pair<std::string, std::string>>;

// The text with each pair set, in order: the WORD of the key's last setting
// (the one the shell keeps) becomes "value", or key="value" is appended on a
// line of its own. Every other byte stays: other settings on that line, its
// indentation and comment, carriage returns (the shell keeps them in a
// value). The text ends with a line feed. Refused (see certain_rc_settings)
// when the text is anything but settings or sets rc_conf_files. Pairs must
// have passed the checks.
Result<std::string, NetError> rewrite_rc_conf_text(std::string_view text, const RcPairs& pairs);

// Refused when a file the boot reads after rc.conf (a file, or a folder of
// them) sets one of the keys ("<file> line <n> also sets <key>; not
// changed"), holds anything but settings or sets rc_conf_files, or cannot be
// read (`Io` "<file>: <error>"). A missing one is fine.
Result<void, NetError> check_later_rc_files(const std::vector<LaterRcFile>& files,
                                            const RcPairs& pairs);

// Checks every key and value, reads rc.conf (a missing file is empty text;
// an unreadable or non-UTF-8 one is `Io`), rewrites the text as above,
// checks the later files, writes the old text to the backup and then the new
// text to rc.conf, each by rename, each with the old file's mode and owner.
// Nothing is written when a check, a read or the rewrite fails, and rc.conf
// is left as it was when the backup cannot be written.
Result<void, NetError> write_rc_conf(const RcPairs& pairs);
Result<void, NetError> write_rc_conf(const NetPaths& paths, const RcPairs& pairs);

}  // namespace tarnwick::app
