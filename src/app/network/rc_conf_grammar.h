#pragma once
// rc.conf as a file of settings: the one grammar in which the network
// configuration reads rc.conf and in which it may change it. /bin/sh sources
// the file at boot, and every command in it might be a function of the boot
// scripts, so only a file made of nothing but this grammar is one whose
// settings are known for certain:
//
//   - blank lines; comments ("#" where a word begins, to the end of the line);
//   - settings NAME=WORD, several on a line separated by blanks or ";", an
//     optional ";" and a comment after them, any indentation;
//   - a WORD of characters that are no shell metacharacters, '...', "..."
//     (inside: literal characters, backslash escapes, $NAME, ${NAME}),
//     backslash escapes, and the expansions $NAME and ${NAME}.
//
// A backslash before a line feed joins the lines wherever the shell joins
// them (everywhere but in single quotes and comments). Nothing else belongs
// to it: no other ${...} form, no $(...), backquotes, $((...)), positional
// or special parameters, no command, operator or redirection, no NUL byte.
// A carriage return is an ordinary character, as it is for the shell.
//
// The scan is one pass over the text, without recursion.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/network/net_error.h"
#include "core/result.h"

namespace tarnwick::app {

struct RcSetting {
    std::string name;
    // As the shell assigns it: quotes removed, escapes and joined lines
    // applied, $NAME and ${NAME} left as written.
    std::string value;
    std::size_t line = 0;  // where the name stands, from 1
    // The bytes of the WORD in the text: from just after "=" to just after
    // its last character (a backslash-newline after it is not part of it).
    std::size_t word_begin = 0;
    std::size_t word_end = 0;
};

struct RcFault {
    enum class Kind : std::uint8_t {
        NotASetting,  // a line outside the grammar
        OpenQuote,    // a quote that the text never closes
    };
    Kind kind = Kind::NotASetting;
    std::size_t line = 0;  // the line where it stands (for a quote: where it opens), from 1
    std::string excerpt;   // that line, trimmed of blanks, cut when long, controls escaped
};

struct RcScan {
    // The settings of every line that fits the grammar, in the order of the
    // text. A line outside it adds none of its settings (for a line that
    // quotes or joins over several, all of them are one line here).
    std::vector<RcSetting> settings;
    std::optional<RcFault> fault;  // the first line outside the grammar
    // The text ends in a backslash-newline that would join a line written
    // after it to its last line.
    bool ends_joined = false;
};

// Until the end, or (for a refusal, which needs no more) to the first fault.
enum class RcScanUntil : std::uint8_t { End, FirstFault };
RcScan scan_rc_conf(std::string_view text, RcScanUntil until = RcScanUntil::End);

// "<file> line <n> is not a setting ("<excerpt>"); not changed" or
// "<file> line <n> has an unterminated quote or substitution ("<excerpt>");
// not changed".
std::string rc_fault_text(std::string_view file, const RcFault& fault);

// The scan of a file the boot sources, when its settings are certain:
// `Message` rc_fault_text when a line is outside the grammar, or "<file>
// line <n> sets rc_conf_files; not changed" (that changes which files the
// boot reads).
Result<RcScan, NetError> certain_rc_settings(std::string_view text, std::string_view file);

}  // namespace tarnwick::app
