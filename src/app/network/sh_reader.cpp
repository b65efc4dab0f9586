#include "app/network/sh_reader.h"

#include <algorithm>

#include "app/network/sh_words.h"
#include "core/text.h"

namespace tarnwick::app::sh {

constexpr std::size_t kNone = std::string_view::npos;

void Reader::read(Stop stop) {
    codes_.assign(1, Code{});
    if (stop == Stop::AtEnd) {
        shape.starts_command.reserve(lines_.size());
        shape.comment.reserve(lines_.size());
        open_at_end.reserve(lines_.size());
    }
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        shape.starts_command.push_back(false);
        shape.comment.push_back(kNone);
        open_at_end.push_back(false);
        read_line(i);
        if (stop == Stop::AfterFirstSetting && first_word && first_word->line <= i &&
            !open_at_end[i]) {
            return;
        }
    }
    finish();
}

bool Reader::in_body() const {
    return std::any_of(stack_.begin(), stack_.end(),
                       [](const Frame& f) { return f.ctx == Ctx::Body; });
}

// Inside ${ }, $(( )) or backquotes of the word being read.
bool Reader::in_expansion() const {
    for (auto f = stack_.rbegin(); f != stack_.rend() && f->ctx != Ctx::Subst; ++f) {
        if (f->ctx == Ctx::Brace || f->ctx == Ctx::Arith || f->ctx == Ctx::Backquote) return true;
    }
    return false;
}

void Reader::read_line(std::size_t i) {
    line_ = i;
    const std::string_view line = lines_[i];
    const bool joined = continued_;
    continued_ = false;
    if (!stack_.empty() && top() == Ctx::Body && !joined && ends_body(line)) {
        stack_.pop_back();
        body_joined_.clear();
        if (!pending_.empty()) start_body();
        open_at_end[i] = !stack_.empty();
        return;
    }
    shape.starts_command[i] = stack_.empty() && !joined;
    // A body's lines are looked at as the shell joins them.
    const bool body = in_body();
    std::string body_line;
    if (body) {
        body_line = body_joined_ + std::string(line);
        if (mentions(body_line, name_, true)) add_use(VarUse::Unsure, i);
    }
    body_joined_.clear();
    const Code& outer = codes_.front();
    first_token_ = shape.starts_command[i] && outer.blocks.empty() && outer.pos == Pos::Command &&
                   !outer.list_open;
    for (std::size_t k = 0; k < line.size();) k += step(line, k);
    open_at_end[i] = !stack_.empty() || (continued_ && code().word.active);
    if (body && continued_ && in_body()) body_joined_ = body_line.substr(0, body_line.size() - 1);
    if (!continued_) end_of_line(line.size());
}

bool Reader::ends_body(std::string_view line) const {
    std::string_view text = without_returns(line);
    if (body_.strip_tabs) {
        while (text.starts_with('\t')) text.remove_prefix(1);
    }
    return text == body_.delimiter;
}

void Reader::start_body() {
    body_ = pending_.front();
    pending_.pop_front();
    if (body_.level != codes_.size()) broken_ = true;
    stack_.push_back(Frame{Ctx::Body, 0, body_.quoted, {}});
}

// Reads the character at `k` (and those after it that belong to it);
// returns how many were read.
std::size_t Reader::step(std::string_view line, std::size_t k) {
    if (in_code()) return code_step(line, k);
    const char c = line[k];
    const Ctx ctx = top();
    switch (ctx) {
        case Ctx::Single:
            if (c == '\'') {
                stack_.pop_back();
            } else {
                add(c);
            }
            return 1;
        case Ctx::DollarSingle:
            if (c == '\\' && k + 1 < line.size()) {  // a backslash escapes the quote here
                // dash has no $'...': for it that quote ends the word.
                if (line[k + 1] == '\'') broken_ = true;
                add(line[k + 1]);
                return 2;
            }
            if (c == '\'') {
                stack_.pop_back();
            } else {
                add(c);
            }
            return 1;
        case Ctx::Backquote:
            // The shell finds the end of `...` by the next unescaped
            // backquote alone: quotes and "#" inside do not count for that.
            if (c == '\\') return backquote_escape(line, k);
            if (c == '`') {
                close_backquote();
            } else {
                stack_.back().text += c;
                add(c);
            }
            return 1;
        case Ctx::Body:
            if (stack_.back().literal) return 1;
            if (c == '\\') return escape(line, k);
            if (const std::size_t n = expansion(line, k)) return n;
            return 1;
        default:
            break;
    }
    if (c == '\\') return escape(line, k);
    if (const std::size_t n = expansion(line, k)) return n;
    // A double quote closes the one open innermost, else opens one.
    if (c == '"') {
        if (ctx == Ctx::Double) {
            stack_.pop_back();
        } else {
            push(Ctx::Double);
        }
        return 1;
    }
    if (ctx != Ctx::Double && c == '\'') {
        push(Ctx::Single);
        return 1;
    }
    if (ctx == Ctx::Brace && c == '}') {
        stack_.pop_back();
        return 1;
    }
    if (ctx == Ctx::Arith) return arith_step(line, k);
    if (const std::size_t n = parameter_length(line, k)) {
        add_expanded(line.substr(k, n));
        return n;
    }
    add(c);
    return 1;
}

// A character outside quotes, where words and operators are.
std::size_t Reader::code_step(std::string_view line, std::size_t k) {
    const char c = line[k];
    const bool last = k + 1 == line.size();
    // Carriage returns that end the line are its DOS line ending: they end a
    // word and are no part of it.
    if (c == '\r' && line.find_first_not_of('\r', k) == kNone) {
        end_word(k);
        return line.size() - k;
    }
    if (c == '\\' && last) {
        // The line feed goes: a word goes on on the next line, and a "#"
        // there is no comment.
        continue_line(line, k);
        return 1;
    }
    if (!code().word.active) {
        if (is_blank(c)) return 1;
        if (c == '#') {
            if (stack_.empty()) shape.comment[line_] = k;
            return line.size() - k;
        }
        if (is_operator_char(c)) return operator_here(line, k);
        begin_word();
    } else if (is_blank(c)) {
        end_word(k);
        return 1;
    } else if (is_operator_char(c)) {
        return operator_here(line, k);
    }
    Word& word = code().word;
    if (c == '\\' || c == '\'' || c == '"' || c == '`' ||
        (c == '$' && !last && (line[k + 1] == '(' || line[k + 1] == '{' || line[k + 1] == '\''))) {
        word.plain = false;
        word.quoted = word.quoted || c != '$' || line[k + 1] == '\'';
    }
    if (c == '\\') {
        word.text += line[k + 1];
        word.names += line[k + 1];
        return 2;
    }
    if (c == '\'' || c == '"') {
        push(c == '\'' ? Ctx::Single : Ctx::Double);
        return 1;
    }
    if (const std::size_t n = expansion(line, k)) return n;  // `word` may be gone now
    if (const std::size_t n = parameter_length(line, k)) {
        word.plain = false;
        word.text += line.substr(k, n);
        return n;
    }
    if (word.plain) word.literal += c;
    word.text += c;
    word.names += c;
    return 1;
}

std::size_t Reader::escape(std::string_view line, std::size_t k) {
    if (k + 1 == line.size()) {
        continue_line(line, k);  // the line feed goes, the next line joins this one
        return 1;
    }
    add(line[k + 1]);
    return 2;
}

// A backslash inside `...`: it escapes only "$", "`", "\\" and, inside
// double quotes or a here-document, a double quote; otherwise it stays in
// the commands.
std::size_t Reader::backquote_escape(std::string_view line, std::size_t k) {
    if (k + 1 == line.size()) {
        continue_line(line, k);
        return 1;
    }
    const char next = line[k + 1];
    const Ctx outside = stack_.size() >= 2 ? stack_[stack_.size() - 2].ctx : Ctx::Subst;
    const bool quoted = outside == Ctx::Double || outside == Ctx::Body;
    std::string& text = stack_.back().text;
    if (next != '$' && next != '`' && next != '\\' && !(quoted && next == '"')) text += '\\';
    text += next;
    add(next);
    return 2;
}

// The shell reads the commands inside `...` when it reads the text: one it
// cannot read ends the script.
void Reader::close_backquote() {
    const std::string text = std::move(stack_.back().text);
    stack_.pop_back();
    std::vector<std::string> inner_lines;
    for (const std::string_view line : split_at_line_feeds(text)) inner_lines.emplace_back(line);
    Reader inner(inner_lines, {});
    inner.read();
    if (inner.shape.ends_open || inner.shape.unbalanced) broken_ = true;
}

// A backslash at `k` ends the line: the next one joins it. Inside ${ } or
// $(( )), or where the joined line could begin one after a "$", the names
// and operators looked at line by line may be split: the text is refused.
void Reader::continue_line(std::string_view line, std::size_t k) {
    continued_ = true;
    const bool after_dollar =
        (k >= 1 && line[k - 1] == '$') || (k >= 2 && line.substr(k - 2, 2) == "$(");
    const bool in_parameter = std::any_of(stack_.begin(), stack_.end(), [](const Frame& f) {
        return f.ctx == Ctx::Brace || f.ctx == Ctx::Arith;
    });
    if (after_dollar || in_parameter) broken_ = true;
}

// A substitution or quote that begins at `k`: how many characters open it,
// or 0.
std::size_t Reader::expansion(std::string_view line, std::size_t k) {
    const char c = line[k];
    if (c == '`') {
        if (top_level()) expansions.run = true;
        push(Ctx::Backquote);
        return 1;
    }
    if (c != '$' || k + 1 == line.size()) return 0;
    const char next = line[k + 1];
    if (next == '(' && k + 2 < line.size() && line[k + 2] == '(') {
        if (top_level()) shape.may_stop = true;
        push(Ctx::Arith);
        return 3;
    }
    if (next == '(') {
        if (top_level()) expansions.run = true;
        push(Ctx::Subst);
        codes_.emplace_back();
        return 2;
    }
    if (next == '{') {
        if (top_level()) parameter_expansion(line.substr(k + 2));
        push(Ctx::Brace);
        return 2;
    }
    if (next == '\'' && (stack_.empty() || (top() != Ctx::Double && top() != Ctx::Body))) {
        push(Ctx::DollarSingle);
        return 2;
    }
    return 0;
}

// What ${ at the top level does beyond expanding (not in a subshell).
void Reader::parameter_expansion(std::string_view inner) {
    std::size_t n = 0;
    if (!inner.empty() && (is_name_start(inner[0]) || (inner[0] >= '0' && inner[0] <= '9'))) {
        while (n < inner.size() && is_name_char(inner[n])) ++n;
    }
    if (n == 0) return;
    const std::string_view after = inner.substr(n);
    // ${name?} ends the script while the name is unset.
    if (after.starts_with('?') || after.starts_with(":?")) shape.may_stop = true;
    if (!after.starts_with('=') && !after.starts_with(":=")) return;
    // ${name=...} and ${name:=...} assign when they expand (a body's line
    // counts as a whole for the name looked for).
    expansions.assign = true;
    if (!in_body() && inner.substr(0, n) == name_) add_use(VarUse::Unsure, line_);
}

std::size_t Reader::arith_step(std::string_view line, std::size_t k) {
    if (top_level() && is_name_start(line[k]) && (k == 0 || !is_name_char(line[k - 1]))) {
        std::size_t end = k;
        while (end < line.size() && is_name_char(line[end])) ++end;
        if (assigns_in_arithmetic(line.substr(end))) {
            expansions.assign = true;
            if (line.substr(k, end - k) == name_) add_use(VarUse::Unsure, line_);
        }
    }
    Frame& frame = stack_.back();
    const char c = line[k];
    if (c == '(') {
        ++frame.parens;
    } else if (c == ')' && frame.parens > 0) {
        --frame.parens;
    } else if (c == ')') {
        stack_.pop_back();
        return k + 1 < line.size() && line[k + 1] == ')' ? 2 : 1;
    }
    add(c);
    return 1;
}

void Reader::add(char c) {
    Word& word = code().word;
    if (!word.active) return;
    word.text += c;
    if (!in_expansion()) word.names += c;
}

void Reader::add_expanded(std::string_view chars) {
    Word& word = code().word;
    if (word.active) word.text += chars;
}

void Reader::begin_word() {
    Code& c = code();
    c.word = Word{};
    c.word.active = true;
    c.word.line = line_;
    c.word.first_on_line = top_level() && first_token_;
    if (top_level()) first_token_ = false;
    c.list_open = false;
}

void Reader::end_word(std::size_t column) {
    Code& c = code();
    if (!c.word.active) return;
    const Word word = std::move(c.word);
    c.word = Word{};
    if (top_level() && !first_word) first_word = WordEnd{line_, column};
    take_word(word);
}

void Reader::end_of_line(std::size_t column) {
    if (!in_code()) {
        if (top() != Ctx::Body) add('\n');  // a line feed inside quotes is part of the word
        if (top() == Ctx::Backquote) stack_.back().text += '\n';
        return;
    }
    end_word(column);
    newline();
    if (!pending_.empty()) start_body();
}

void Reader::finish() {
    if (top_level() && code().word.active && !lines_.empty()) end_word(lines_.back().size());
    shape.ends_open = std::any_of(stack_.begin(), stack_.end(),
                                  [](const Frame& f) { return f.ctx != Ctx::Body; });
    shape.ends_continued = stack_.empty() && continued_;
    const Code& outer = codes_.front();
    shape.unbalanced = broken_ || in_body() || !pending_.empty() || !outer.blocks.empty() ||
                       !completes_a_command(outer);
}

}  // namespace tarnwick::app::sh
