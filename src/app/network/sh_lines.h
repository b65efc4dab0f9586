#pragma once
// How /bin/sh groups the lines of rc.conf: which lines begin a command and
// which only continue one (a quoted value or a substitution left open, or a
// line ended by a backslash), and on which line a setting that begins a
// command ends. Enough of the shell's quoting for a rewrite to replace a
// setting that spans lines as a whole and never to write into the middle of
// another one; here-documents and compound commands are not followed.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::app {

struct ShLines {
    std::vector<bool> starts_command;  // one entry per line
    bool ends_open = false;            // a quote or substitution is open at the end
    bool ends_continued = false;       // the last line ends with a continuing backslash
};

ShLines read_sh_lines(const std::vector<std::string>& lines);

// Where the command word that begins line `first` ends: its last line and
// the column after its last character (quotes, substitutions and continued
// lines included); the end of the text when it runs off it.
struct WordEnd {
    std::size_t line = 0;
    std::size_t column = 0;
};
WordEnd command_word_end(const std::vector<std::string>& lines, std::size_t first);

// Whether the text after a command word holds anything /bin/sh runs or
// assigns: more than blanks, a comment, a backslash continuing the line and
// carriage returns ending it.
bool holds_more_than_a_comment(std::string_view rest);

// Whether the text after a command word assigns the key once more outside
// quotes and substitutions (a later word or command on the same line).
bool assigns_again(std::string_view rest, std::string_view key);

// The last line of the command word that begins line `first` (an
// assignment with its value, quotes, substitutions and continued lines
// included), or the later line that closes a quote opened after the word on
// its last line; the last line of the text when it ends first.
std::size_t setting_end_line(const std::vector<std::string>& lines, std::size_t first);

}  // namespace tarnwick::app
