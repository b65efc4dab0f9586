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
    // unfinished command, closes something it never opened, or holds what
    // /bin/sh refuses or what FreeBSD's sh and dash read apart: a line
    // appended to it would not run as a command of its own.
    bool unbalanced = false;
    // A command that may end the reading of the text before its end or
    // change how the shell reads what follows: exit, exec of a command,
    // return or local outside a function, set with an option, alias,
    // readonly (a later assignment to the name ends the script), eval and
    // "." (what they run is not read here), export or unset of what is no
    // name, ${name?}, an arithmetic expansion (an error in it ends the
    // script too), or one of these run through command or builtin. A setting after
    // it, or anywhere when a function holds it, may never be read.
    bool may_stop = false;
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

// Both of the above in one reading of the text.
struct ShReading {
    ShLines shape;
    std::vector<VarUseAt> uses;
};
ShReading read_sh(const std::vector<std::string>& lines, std::string_view name);

struct WordEnd {
    std::size_t line = 0;
    std::size_t column = 0;
};
inline constexpr std::size_t kNoComment = static_cast<std::size_t>(-1);

// The setting that begins line `first`, read only as far as it goes:
// - word: where its command word ends, its last line and the column after
//   its last character (quotes, substitutions and continued lines
//   included); the end of the text when it runs off it;
// - end: the word's last line, or the later line that ends a quote opened,
//   or a word continued by a backslash, after the word on that line; the
//   last line of the text when it ends first;
// - comment: where a comment begins on line `end`, or kNoComment.
struct SettingSpan {
    WordEnd word;
    std::size_t end = 0;
    std::size_t comment = kNoComment;
};
SettingSpan setting_span(const std::vector<std::string>& lines, std::size_t first);

// Whether the text after a command word holds anything /bin/sh runs or
// assigns: more than blanks, a comment, a backslash continuing the line and
// carriage returns ending it.
bool holds_more_than_a_comment(std::string_view rest);

// Whether the text after a command word sets or names the key once more
// outside quotes and substitutions (a later word or command on the line).
bool assigns_again(std::string_view rest, std::string_view key);

// Whether the lines, which follow an assignment to `name` on its line, hold
// nothing but more of them joined by ";", "&&" or "||" (and blanks and a
// comment): all a line may lose when it sets the name twice and is
// replaced whole.
bool only_assigns(const std::vector<std::string>& lines, std::string_view name);

// What the expansions of the lines (outside subshells) do beyond giving
// text: assign to a variable (${name=...}, ${name:=...}, an assignment in
// arithmetic), so that text holding one cannot go without changing
// another variable; run a command ($( ) or backquotes), whose status an
// assignment takes.
struct Expansions {
    bool assign = false;
    bool run = false;
};
Expansions expansions_in(const std::vector<std::string>& lines);

// Whether the lines hold one simple command of words alone, perhaps ended
// by ";" (and blanks and a comment): no other command, operator,
// redirection or compound command.
bool one_plain_command(const std::vector<std::string>& lines);

}  // namespace tarnwick::app
