#pragma once
// The reader behind sh_lines.h: goes through the lines as /bin/sh parses
// them, keeping what is open (quotes, substitutions, here-document bodies)
// and, for the top level and each substitution, the command being read
// (its words, its compound commands). sh_reader.cpp reads the characters,
// sh_commands.cpp the words and operators.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/network/sh_lines.h"

namespace tarnwick::app::sh {

// What is open at a point of the text, innermost last. A substitution $( )
// holds commands of its own; a here-document's body lasts from the line
// after its command to its delimiter line.
enum class Ctx : std::uint8_t {
    Single,
    DollarSingle,
    Double,
    Backquote,
    Subst,
    Arith,
    Brace,
    Body
};

struct Frame {
    Ctx ctx = Ctx::Double;
    int parens = 0;        // Arith: parentheses open inside it
    bool literal = false;  // Body: the delimiter was quoted, nothing expands
    std::string text;      // Backquote: the commands inside, escapes undone
};

struct HereDoc {
    std::string delimiter;
    bool strip_tabs = false;
    bool quoted = false;
    std::size_t level = 0;  // the commands (top level or a substitution) it belongs to
};

enum class Block : std::uint8_t { Brace, Subshell, If, Loop, For, Case, Function };

// What the next word of a list of commands is.
enum class Pos : std::uint8_t {
    Command,    // a command may begin: reserved words and assignments count
    Prefix,     // after an assignment or redirection: more of them or the command word
    Arguments,  // after the command word
    Target,     // the word after a redirection operator
    Delimiter,  // the word after << or <<-
    ForName,
    ForIn,     // after the loop variable: "in" or "do"
    ForWords,  // the words after "in"
    ForDo,
    CaseWord,
    CaseIn,
    Pattern,      // where a case pattern (or "esac") begins
    PatternNext,  // after a pattern word: "|" or ")"
    FunctionClose,
    Closed,  // after a compound command: operators and redirections only
};

struct Word {
    bool active = false;
    bool first_on_line = false;  // the first word of a line that begins a top-level command
    bool plain = true;           // only unquoted literal characters so far
    bool quoted = false;         // a quote or an escape in it
    std::size_t line = 0;
    std::string literal;  // its characters while it is plain
    std::string text;     // its characters with quotes and escapes removed
    std::string names;    // the same without expansions: the names it holds as text
};

// The commands of the top level or of one substitution.
struct Code {
    std::vector<Block> blocks;
    Pos pos = Pos::Command;
    Pos resume = Pos::Prefix;  // where the word after a redirection leads back to
    bool strip_tabs = false;
    bool list_open = false;  // after &&, ||, | or !: a command must follow
    bool awaiting = false;   // a body or condition has begun and holds no command yet
    bool pattern_started = false;
    Word word;
    // The simple command being read.
    bool started = false;
    bool command_word = false;
    std::string command;           // the command word, quotes removed
    bool command_is_name = false;  // a plain name: a function may be defined
    bool assignments = false;
    std::size_t arguments = 0;
    std::vector<std::size_t> prefix_uses;
    // The pipeline and the list being read: a use in a pipeline or in a list
    // run in the background sets nothing here.
    bool piped = false;
    bool negated = false;  // a "!" begins the pipeline
    std::vector<std::size_t> pipeline_uses;
    std::vector<std::size_t> list_uses;
};

// Whether what has been read ends a command: no word or command is wanted.
inline bool completes_a_command(const Code& code) {
    return !code.list_open && (code.pos == Pos::Command || code.pos == Pos::Prefix ||
                               code.pos == Pos::Arguments || code.pos == Pos::Closed);
}

// A word or an operator of the top level.
struct Token {
    bool op = false;
    std::string text;      // the operator
    std::string assigned;  // the variable a word in command position assigns
    bool reserved = false;
};

// How far a reading goes.
enum class Stop : std::uint8_t {
    AtEnd,
    // After the first line where the first command word has ended and
    // neither a quote nor a continued word goes on (what setting_span needs).
    AfterFirstSetting,
};

class Reader {
public:
    // With a name, its uses are gathered; with `keep_tokens`, the words and
    // operators of the top level.
    Reader(std::span<const std::string> lines, std::string_view name, bool keep_tokens = false)
        : lines_(lines), name_(name), keep_tokens_(keep_tokens) {}

    // Reads the lines, the first of them beginning a command. The per-line
    // results cover the lines read.
    void read(Stop stop = Stop::AtEnd);

    ShLines shape;
    std::vector<VarUseAt> uses;
    // A quote, substitution or body is open after the line, or a backslash
    // goes on with its last word on the next line.
    std::vector<bool> open_at_end;
    std::optional<WordEnd> first_word;
    std::vector<Token> tokens;
    Expansions expansions;

private:
    Code& code() { return codes_.back(); }
    bool top_level() const { return codes_.size() == 1; }
    Ctx top() const { return stack_.back().ctx; }
    bool in_code() const { return stack_.empty() || top() == Ctx::Subst; }
    bool in_body() const;
    bool in_expansion() const;
    void push(Ctx ctx) { stack_.push_back(Frame{ctx, 0, false, {}}); }
    void add_use(VarUse use, std::size_t line) {
        if (!name_.empty()) uses.push_back({line, use});
    }

    // Characters (sh_reader.cpp).
    void read_line(std::size_t i);
    bool ends_body(std::string_view line) const;
    void start_body();
    std::size_t step(std::string_view line, std::size_t k);
    std::size_t code_step(std::string_view line, std::size_t k);
    std::size_t escape(std::string_view line, std::size_t k);
    std::size_t backquote_escape(std::string_view line, std::size_t k);
    void close_backquote();
    void continue_line(std::string_view line, std::size_t k);
    void parameter_expansion(std::string_view inner);
    std::size_t expansion(std::string_view line, std::size_t k);
    std::size_t arith_step(std::string_view line, std::size_t k);
    void add(char c);
    void add_expanded(std::string_view chars);
    void begin_word();
    void end_word(std::size_t column);
    void end_of_line(std::size_t column);
    void finish();

    // Words and commands (sh_commands.cpp).
    void take_word(const Word& w);
    void take_command_word(const Word& w);
    void take_argument(const Word& w);
    void add_assignment(const Word& w);
    void reserved_word(std::string_view word);
    void close(Block kind);
    void end_command(bool list_end);
    std::size_t operator_here(std::string_view line, std::size_t k);
    void redirect(std::string_view op);
    void operate(std::string_view op);
    void open_paren(Code& c);
    void close_paren(Code& c);
    void close_substitution();
    void newline();

    std::span<const std::string> lines_;
    std::string_view name_;
    bool keep_tokens_ = false;
    std::vector<Frame> stack_;
    std::vector<Code> codes_;
    std::deque<HereDoc> pending_;
    HereDoc body_;
    std::size_t line_ = 0;
    bool continued_ = false;
    std::string body_joined_;  // a here-document body's line that the next one continues
    bool first_token_ = false;
    bool broken_ = false;
};

}  // namespace tarnwick::app::sh
