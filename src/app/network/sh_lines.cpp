#include "app/network/sh_lines.h"

#include <cstdint>
#include <string_view>

namespace tarnwick::app {
namespace {

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

// Characters that end a word outside quotes.
bool ends_word(char c) {
    return is_blank(c) || c == ';' || c == '&' || c == '|' || c == '<' || c == '>' || c == '(' ||
           c == ')';
}

// The quotes and substitutions open at a point of the text, innermost last.
class Quoting {
public:
    bool open() const { return !stack_.empty(); }
    // Outside quotes, or inside a $(...) substitution: where "#" may begin a
    // comment.
    bool in_code() const { return stack_.empty() || stack_.back() == Ctx::Paren; }
    // Set when the line just read ended with a backslash that joins the next.
    bool continued = false;

    // Reads the character at `k` (and the one after it when they belong
    // together); returns how many were read.
    std::size_t step(std::string_view line, std::size_t k) {
        const char c = line[k];
        const bool last = k + 1 == line.size();
        const Ctx top = stack_.empty() ? Ctx::None : stack_.back();
        if (top == Ctx::Single) {
            if (c == '\'') stack_.pop_back();
            return 1;
        }
        if (top == Ctx::DollarSingle) {
            if (c == '\'') stack_.pop_back();
            return c == '\\' && !last ? 2 : 1;  // a backslash escapes the quote here
        }
        if (c == '\\') {
            if (last) {
                continued = true;
                return 1;
            }
            return 2;
        }
        if (top == Ctx::Backquote) {
            // The shell finds the end of `...` by the next unescaped
            // backquote alone: quotes and "#" inside do not count.
            if (c == '`') stack_.pop_back();
            return 1;
        }
        // A double quote closes the one open innermost, else opens one; a
        // backquote here always opens.
        if (c == '"' || c == '`') {
            if (c == '"' && top == Ctx::Double) {
                stack_.pop_back();
            } else {
                stack_.push_back(c == '"' ? Ctx::Double : Ctx::Backquote);
            }
            return 1;
        }
        if (c == '$' && !last && line[k + 1] == '\'' && top != Ctx::Double) {
            stack_.push_back(Ctx::DollarSingle);
            return 2;
        }
        if (c == '$' && !last && (line[k + 1] == '(' || line[k + 1] == '{')) {
            stack_.push_back(line[k + 1] == '(' ? Ctx::Paren : Ctx::Brace);
            return 2;
        }
        if (top == Ctx::Double) return 1;
        if (c == '\'') {
            stack_.push_back(Ctx::Single);
        } else if (c == '(' && top == Ctx::Paren) {
            stack_.push_back(Ctx::Paren);
        } else if ((c == ')' && top == Ctx::Paren) || (c == '}' && top == Ctx::Brace)) {
            stack_.pop_back();
        }
        return 1;
    }

private:
    enum class Ctx : std::uint8_t { None, Single, DollarSingle, Double, Backquote, Paren, Brace };
    std::vector<Ctx> stack_;
};

// Reads a line from `k` on, comments skipped; `word_start` tells whether a
// word may begin at `k`. Returns whether one may begin at the next line's
// start: a continued line goes on with the word its backslash stood in, so
// "a=\<newline>#x" assigns "#x" and comments nothing out.
bool read_rest(Quoting& quoting, std::string_view line, std::size_t k, bool word_start) {
    quoting.continued = false;
    while (k < line.size()) {
        const char c = line[k];
        if (c == '#' && word_start && quoting.in_code()) return true;  // a comment
        const bool before = word_start;
        k += quoting.step(line, k);
        if (quoting.continued) return before;
        word_start = quoting.in_code() && ends_word(c);
    }
    return true;
}

// Reads the command word that begins line `first`, leaving `quoting` as it
// stands after the word.
WordEnd read_word(Quoting& quoting, const std::vector<std::string>& lines, std::size_t first) {
    std::size_t i = first;
    std::size_t k = 0;
    while (k < lines[i].size() && is_blank(lines[i][k])) ++k;
    while (true) {
        const std::string& line = lines[i];
        quoting.continued = false;
        while (k < line.size()) {
            if (!quoting.open() && ends_word(line[k])) return {i, k};
            k += quoting.step(line, k);
        }
        if (!quoting.open() && !quoting.continued) return {i, line.size()};
        if (i + 1 == lines.size()) return {i, line.size()};
        ++i;
        k = 0;
    }
}

}  // namespace

ShLines read_sh_lines(const std::vector<std::string>& lines) {
    ShLines out;
    Quoting quoting;
    bool starts = true;
    bool word_start = true;
    for (const std::string& line : lines) {
        out.starts_command.push_back(starts);
        word_start = read_rest(quoting, line, 0, word_start);
        starts = !quoting.open() && !quoting.continued;
    }
    out.ends_open = quoting.open();
    out.ends_continued = !quoting.open() && quoting.continued;
    return out;
}

WordEnd command_word_end(const std::vector<std::string>& lines, std::size_t first) {
    if (lines.empty()) return {};
    Quoting quoting;
    return read_word(quoting, lines, first);
}

bool holds_more_than_a_comment(std::string_view rest) {
    // Carriage returns that end the line belong to a DOS line ending, which
    // the rewrite drops: they run nothing.
    while (rest.ends_with('\r')) rest.remove_suffix(1);
    for (std::size_t k = 0; k < rest.size(); ++k) {
        const char c = rest[k];
        if (is_blank(c)) continue;
        if (c == '#') return false;
        return !(c == '\\' && k + 1 == rest.size());
    }
    return false;
}

bool assigns_again(std::string_view rest, std::string_view key) {
    Quoting quoting;
    bool word_start = true;
    for (std::size_t k = 0; k < rest.size();) {
        const char c = rest[k];
        if (word_start && !quoting.open()) {
            if (c == '#') return false;
            const std::string_view word = rest.substr(k);
            if (word.starts_with(key) && word.substr(key.size()).starts_with('=')) return true;
        }
        k += quoting.step(rest, k);
        word_start = !quoting.open() && ends_word(c);
    }
    return false;
}

std::size_t setting_end_line(const std::vector<std::string>& lines, std::size_t first) {
    if (lines.empty()) return 0;
    Quoting quoting;
    const WordEnd word = read_word(quoting, lines, first);
    if (quoting.open() || word.column == lines[word.line].size()) return word.line;
    bool word_start = read_rest(quoting, lines[word.line], word.column, true);
    // Then the lines over which a quote opened after it stays open.
    std::size_t i = word.line;
    while (quoting.open()) {
        if (++i == lines.size()) return lines.size() - 1;
        word_start = read_rest(quoting, lines[i], 0, word_start);
    }
    return i;
}

}  // namespace tarnwick::app
