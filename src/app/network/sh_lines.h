#pragma once
// How /bin/sh reads the lines of rc.conf: which lines begin a command and
// which only continue one (a quoted value or a substitution left open, a
// line ended by a backslash, a here-document's body), where a setting that
// begins a command ends, and every place that sets or names a variable.
// Enough of the shell for a rewrite to replace a setting whole, never to
// write into another command, and to tell when it cannot be sure which line
// sets a variable: quoting, substitutions, here-documents, compound commands
// and function bodies, and the words of simple commands. Code inside $( )
// and backquotes runs in a subshell: it sets nothing, only its extent (and a
// here-document in it) matters.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::app {

struct ShLines {
    std::vector<bool> starts_command;  // one entry per line
    std::vector<std::size_t> comment;  // where a comment begins on the line; npos: none
    bool ends_open = false;            // a quote or substitution is open at the end
    bool ends_continued = false;       // the last line ends with a continuing backslash
    // The text ends inside a here-document, a compound command or an
    // unfinished command, or closes something it never opened: a line
    // appended to it would not run as a command of its own.
    bool unbalanced = false;
};

ShLines read_sh_lines(const std::vector<std::string>& lines);

// How one word of the text sets or names a variable.
enum class VarUse : std::uint8_t {
    LineStart,  // an assignment that begins the command of a line at the top level
    InList,     // another plain assignment at the top level (after ;, &&, ||, ! or
                // another assignment): it runs when its list gets that far
    Unsure,     // anything else that may set, freeze or hide it (see variable_uses)
};
struct VarUseAt {
    std::size_t line = 0;
    VarUse use = VarUse::LineStart;
    bool operator==(const VarUseAt&) const = default;
};

// Every use of the variable `name` in the order of the text. Unsure are: an
// assignment inside a compound command or function body, in front of a
// command word, in a pipeline or in a list run in the background; the name
// in a word after a command word (readonly, export, unset, read, eval, ...;
// with quotes removed, expansions left out) or as a for loop's variable;
// ${name=...} and ${name:=...}; an assignment in arithmetic; "name=" or
// "name:=" in a here-document's body (such a body may be fed to sh or
// eval). Values, comments and subshells count for nothing.
std::vector<VarUseAt> variable_uses(const std::vector<std::string>& lines, std::string_view name);

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

// Whether the text after a command word sets or names the key once more
// outside quotes and substitutions (a later word or command on the line).
bool assigns_again(std::string_view rest, std::string_view key);

// The last line of the command word that begins line `first` (an
// assignment with its value, quotes, substitutions and continued lines
// included), or the later line that closes a quote opened after the word on
// its last line; the last line of the text when it ends first.
std::size_t setting_end_line(const std::vector<std::string>& lines, std::size_t first);

// Whether the lines hold nothing but assignments to `name` joined by ";",
// "&&" or "||" (and blanks and a comment): all a line may lose when it
// sets the name twice and is replaced whole.
bool only_assigns(const std::vector<std::string>& lines, std::string_view name);

// Whether the lines hold one simple command of words alone, perhaps ended
// by ";" (and blanks and a comment): no other command, operator,
// redirection or compound command.
bool one_plain_command(const std::vector<std::string>& lines);

}  // namespace tarnwick::app
