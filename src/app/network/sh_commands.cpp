#include "app/network/sh_reader.h"

#include <algorithm>
#include <initializer_list>
#include <iterator>

#include "app/network/sh_words.h"

namespace tarnwick::app::sh {
namespace {

// The variable an assignment word sets, or nothing.
std::string assigned_name(const Word& word) {
    const std::string_view literal = word.literal;
    const std::string_view name = literal.substr(0, literal.find('='));
    return name.size() < literal.size() && is_name(name) ? std::string(name) : std::string();
}

// Commands after which the shell may stop reading the text, or read it
// otherwise (see ShLines::may_stop). eval and "." run text this reading
// never sees.
constexpr std::string_view kStopWords[] = {"alias", "eval",   "exec",   "exit", "local",
                                           ".",     "source", "return", "set",  "readonly"};

bool is_stop_word(std::string_view word) {
    return std::find(std::begin(kStopWords), std::end(kStopWords), word) != std::end(kStopWords);
}

bool in_function(const Code& c) {
    return std::find(c.blocks.begin(), c.blocks.end(), Block::Function) != c.blocks.end();
}

}  // namespace

void Reader::take_word(const Word& w) {
    Code& c = code();
    const bool top = top_level();
    const bool reserved = c.pos == Pos::Command && w.plain && is_reserved(w.literal);
    std::string assigned;
    if ((c.pos == Pos::Command || c.pos == Pos::Prefix) && !reserved) {
        assigned = assigned_name(w);
    }
    if (top && keep_tokens_) tokens.push_back(Token{false, {}, assigned, reserved});
    switch (c.pos) {
        case Pos::Command:
            if (reserved) {
                reserved_word(w.literal);
                return;
            }
            [[fallthrough]];
        case Pos::Prefix:
            c.started = true;
            c.awaiting = false;
            c.negated = false;
            if (!assigned.empty()) {
                c.assignments = true;
                c.pos = Pos::Prefix;
                if (top && assigned == name_) add_assignment(w);
                return;
            }
            take_command_word(w);
            return;
        case Pos::Arguments:
            take_argument(w);
            return;
        case Pos::Target:
            c.pos = c.resume;
            return;
        case Pos::Delimiter:
            if (in_body()) {
                broken_ = true;
            } else {
                // A carriage return left in the delimiter was escaped or
                // quoted: the rewrite drops those that end the body's lines.
                if (w.text.find('\r') != std::string::npos) broken_ = true;
                pending_.push_back(HereDoc{w.text, c.strip_tabs, w.quoted, codes_.size()});
            }
            c.pos = c.resume;
            return;
        case Pos::ForName:
            if (top && w.text == name_) add_use(VarUse::Unsure, w.line);
            c.pos = Pos::ForIn;
            return;
        case Pos::ForIn:
            if (w.plain && w.literal == "in") {
                c.pos = Pos::ForWords;
            } else if (w.plain && w.literal == "do") {
                c.pos = Pos::Command;
                c.awaiting = true;
            } else {
                broken_ = true;
            }
            return;
        case Pos::ForWords:
            return;
        case Pos::ForDo:
            if (w.plain && w.literal == "do") {
                c.pos = Pos::Command;
                c.awaiting = true;
            } else {
                broken_ = true;
            }
            return;
        case Pos::CaseWord:
            c.pos = Pos::CaseIn;
            return;
        case Pos::CaseIn:
            if (w.plain && w.literal == "in") {
                c.pos = Pos::Pattern;
                c.pattern_started = false;
            } else {
                broken_ = true;
            }
            return;
        case Pos::Pattern:
            if (!c.pattern_started && w.plain && w.literal == "esac") {
                close(Block::Case);
                return;
            }
            c.pattern_started = true;
            c.pos = Pos::PatternNext;
            return;
        case Pos::PatternNext:
            broken_ = true;
            return;
        case Pos::FunctionClose:
            // "name (" without ")": no function; read on as if the
            // parenthesis nested.
            broken_ = true;
            c.blocks.push_back(Block::Subshell);
            c.pos = Pos::Arguments;
            return;
        case Pos::Closed:
            broken_ = true;
            c.pos = Pos::Arguments;
            return;
    }
}

void Reader::take_command_word(const Word& w) {
    Code& c = code();
    // In front of a command word an assignment only sets that command's
    // environment.
    c.command_word = true;
    c.command = w.text;
    for (const std::size_t u : c.prefix_uses) uses[u].use = VarUse::Unsure;
    c.prefix_uses.clear();
    c.pos = Pos::Arguments;
    c.command_is_name = w.plain && is_name(w.literal);
    if (!top_level()) return;  // a subshell's
    const std::string_view word = w.text;
    const bool needs_function = word == "return" || word == "local";
    const bool by_arguments = word == "exec" || word == "set";  // see take_argument
    if (is_stop_word(word) && !by_arguments && (!needs_function || !in_function(c))) {
        shape.may_stop = true;
    }
}

void Reader::take_argument(const Word& w) {
    Code& c = code();
    const bool first = c.arguments++ == 0;
    if (!top_level()) return;
    if (mentions(w.names, name_, false)) add_use(VarUse::Unsure, w.line);
    const std::string_view word = w.text;
    const bool option = word.starts_with('-') || word.starts_with('+');
    if (c.command == "exec" || (c.command == "set" && first && option && word != "--")) {
        shape.may_stop = true;
    }
    if ((c.command == "command" || c.command == "builtin") && is_stop_word(word)) {
        shape.may_stop = true;
    }
    // A name these refuse ends the script.
    const std::string_view name = c.command == "export" ? word.substr(0, word.find('=')) : word;
    if ((c.command == "export" || c.command == "unset") && !option && !is_name(name)) {
        shape.may_stop = true;
    }
}

void Reader::add_assignment(const Word& w) {
    Code& c = code();
    VarUse use = w.first_on_line ? VarUse::LineStart : VarUse::InList;
    if (!c.blocks.empty() || c.piped) use = VarUse::Unsure;
    uses.push_back({w.line, use});
    if (use == VarUse::Unsure) return;
    const std::size_t u = uses.size() - 1;
    c.prefix_uses.push_back(u);
    c.pipeline_uses.push_back(u);
    c.list_uses.push_back(u);
}

void Reader::reserved_word(std::string_view word) {
    Code& c = code();
    c.pos = Pos::Command;
    // "!" only begins a pipeline, once (FreeBSD's sh takes "! !", dash
    // does not).
    if (word == "!" && (c.negated || c.piped)) broken_ = true;
    c.negated = word == "!";
    // The shell refuses a body or condition without a command.
    const auto one_of = [&](std::initializer_list<std::string_view> words) {
        return std::find(words.begin(), words.end(), word) != words.end();
    };
    if (c.awaiting && one_of({"}", "then", "elif", "else", "fi", "do", "done"})) broken_ = true;
    if (word != "!") {
        c.awaiting = one_of({"{", "if", "then", "elif", "else", "while", "until", "do"});
    }
    const auto inside = [&](Block kind) { return !c.blocks.empty() && c.blocks.back() == kind; };
    if (word == "{") {
        c.blocks.push_back(Block::Brace);
    } else if (word == "}") {
        close(Block::Brace);
    } else if (word == "if") {
        c.blocks.push_back(Block::If);
    } else if (word == "then" || word == "elif" || word == "else") {
        if (!inside(Block::If)) broken_ = true;
    } else if (word == "fi") {
        close(Block::If);
    } else if (word == "while" || word == "until") {
        c.blocks.push_back(Block::Loop);
    } else if (word == "do") {
        if (!inside(Block::Loop) && !inside(Block::For)) broken_ = true;
    } else if (word == "done") {
        close(Block::Loop);
    } else if (word == "for") {
        c.blocks.push_back(Block::For);
        c.pos = Pos::ForName;
    } else if (word == "case") {
        c.blocks.push_back(Block::Case);
        c.pos = Pos::CaseWord;
    } else if (word == "esac") {
        close(Block::Case);
    } else {  // "!"
        c.list_open = true;
    }
}

void Reader::close(Block kind) {
    Code& c = code();
    const bool matches =
        !c.blocks.empty() &&
        (c.blocks.back() == kind || (kind == Block::Loop && c.blocks.back() == Block::For));
    if (matches) {
        c.blocks.pop_back();
    } else {
        broken_ = true;
    }
    c.pos = Pos::Closed;
    // A function's body is one compound command.
    if (!c.blocks.empty() && c.blocks.back() == Block::Function) c.blocks.pop_back();
}

void Reader::end_command(bool list_end) {
    Code& c = code();
    // A function's body may be one simple command too.
    if (c.started && !c.blocks.empty() && c.blocks.back() == Block::Function) {
        c.blocks.pop_back();
    }
    c.started = c.command_word = c.assignments = c.negated = false;
    c.command.clear();
    c.command_is_name = false;
    c.arguments = 0;
    c.prefix_uses.clear();
    if (list_end) {
        c.piped = false;
        c.pipeline_uses.clear();
        c.list_uses.clear();
        c.list_open = false;
    }
}

std::size_t Reader::operator_here(std::string_view line, std::size_t k) {
    const std::string_view op = operator_at(line.substr(k));
    Word& word = code().word;
    const bool redirection = op[0] == '<' || op[0] == '>';
    if (redirection && word.active && word.plain && !word.literal.empty() &&
        std::all_of(word.literal.begin(), word.literal.end(),
                    [](char c) { return c >= '0' && c <= '9'; })) {
        word = Word{};  // the descriptor number of the redirection
    } else {
        end_word(k);
    }
    if (top_level()) {
        if (!first_word) first_word = WordEnd{line_, k};
        first_token_ = false;
        if (keep_tokens_) tokens.push_back(Token{true, std::string(op), {}, false});
    }
    if (redirection) {
        redirect(op);
    } else {
        operate(op);
    }
    return op.size();
}

void Reader::redirect(std::string_view op) {
    Code& c = code();
    switch (c.pos) {
        case Pos::Command:
        case Pos::Prefix:
            c.resume = Pos::Prefix;
            c.started = true;
            c.awaiting = false;
            c.negated = false;
            break;
        case Pos::Arguments:
        case Pos::Closed:
            c.resume = c.pos;
            break;
        default:
            broken_ = true;
            c.resume = Pos::Prefix;
            break;
    }
    c.list_open = false;
    c.strip_tabs = op == "<<-";
    c.pos = op.starts_with("<<") ? Pos::Delimiter : Pos::Target;
}

void Reader::operate(std::string_view op) {
    Code& c = code();
    if (c.pos == Pos::Target || c.pos == Pos::Delimiter || c.pos == Pos::ForName ||
        c.pos == Pos::CaseWord || c.pos == Pos::CaseIn) {
        broken_ = true;  // a word was wanted
        c.pos = Pos::Command;
    }
    // A list operator with no command before it ("; a", "a; ;", "& b").
    const bool list_operator = op == ";" || op == "&" || op == "&&" || op == "||" || op == "|";
    const bool in_pattern = c.pos == Pos::Pattern || c.pos == Pos::PatternNext;
    const bool after_for = c.pos == Pos::ForIn || c.pos == Pos::ForWords;
    if (list_operator && !in_pattern && !after_for && !c.started && c.pos != Pos::Closed) {
        broken_ = true;
    }
    if (op == ";") {
        if (c.pos == Pos::ForIn || c.pos == Pos::ForWords) {
            c.pos = Pos::ForDo;
            return;
        }
        if (!completes_a_command(c)) broken_ = true;
        end_command(true);
        c.pos = Pos::Command;
    } else if (op == ";;") {
        if (c.blocks.empty() || c.blocks.back() != Block::Case || !completes_a_command(c)) {
            broken_ = true;
        }
        end_command(true);
        c.pos = Pos::Pattern;
        c.pattern_started = false;
    } else if (op == "&") {
        if (!completes_a_command(c)) broken_ = true;
        for (const std::size_t u : c.list_uses) uses[u].use = VarUse::Unsure;
        end_command(true);
        c.pos = Pos::Command;
    } else if (op == "&&" || op == "||") {
        if (!completes_a_command(c)) broken_ = true;
        end_command(false);
        c.piped = false;
        c.pipeline_uses.clear();
        c.pos = Pos::Command;
        c.list_open = true;
    } else if (op == "|") {
        if (c.pos == Pos::Pattern || c.pos == Pos::PatternNext) {
            c.pos = Pos::Pattern;
            return;
        }
        if (!completes_a_command(c)) broken_ = true;
        for (const std::size_t u : c.pipeline_uses) uses[u].use = VarUse::Unsure;
        end_command(false);
        c.pipeline_uses.clear();
        c.piped = true;
        c.pos = Pos::Command;
        c.list_open = true;
    } else if (op == "(") {
        open_paren(c);
    } else {
        close_paren(c);
    }
}

void Reader::open_paren(Code& c) {
    if (c.pos == Pos::Pattern && !c.pattern_started) return;  // "(pattern)"
    if (c.pos == Pos::Command) {
        c.blocks.push_back(Block::Subshell);
        c.negated = false;
        c.list_open = false;
        c.awaiting = true;
        return;
    }
    if (c.pos == Pos::Arguments && c.command_word && c.arguments == 0 && !c.assignments) {
        if (!c.command_is_name) broken_ = true;  // "Bad function name"
        c.pos = Pos::FunctionClose;
        return;
    }
    broken_ = true;
    c.blocks.push_back(Block::Subshell);
    c.pos = Pos::Command;
}

void Reader::close_paren(Code& c) {
    if (c.pos == Pos::FunctionClose) {
        c.started = c.command_word = false;
        c.blocks.push_back(Block::Function);
        c.pos = Pos::Command;
        return;
    }
    if (c.pos == Pos::Pattern || c.pos == Pos::PatternNext) {
        if (!c.pattern_started) broken_ = true;
        c.pos = Pos::Command;
        return;
    }
    end_command(true);
    if (!c.blocks.empty() && c.blocks.back() == Block::Subshell) {
        if (c.awaiting) broken_ = true;
        c.awaiting = false;
        close(Block::Subshell);
    } else if (!top_level()) {
        close_substitution();
    } else {
        broken_ = true;
        c.pos = Pos::Closed;
    }
}

void Reader::close_substitution() {
    const Code& inner = codes_.back();
    if (!inner.blocks.empty() || !completes_a_command(inner)) broken_ = true;
    // A here-document whose body never began there is lost to the shell.
    const std::size_t level = codes_.size();
    const auto lost = std::remove_if(pending_.begin(), pending_.end(),
                                     [&](const HereDoc& h) { return h.level == level; });
    if (lost != pending_.end()) broken_ = true;
    pending_.erase(lost, pending_.end());
    codes_.pop_back();
    stack_.pop_back();
}

// A line feed outside quotes: the end of a command, unless one is still
// wanted.
void Reader::newline() {
    Code& c = code();
    switch (c.pos) {
        case Pos::Target:
        case Pos::Delimiter:
        case Pos::ForName:
        case Pos::CaseWord:
        case Pos::PatternNext:
        case Pos::FunctionClose:
            broken_ = true;
            c.pos = Pos::Command;
            break;
        case Pos::ForIn:
        case Pos::ForDo:
        case Pos::CaseIn:
        case Pos::Pattern:
            break;  // a line break is allowed here
        case Pos::ForWords:
            c.pos = Pos::ForDo;
            break;
        default:
            if (!c.list_open) {
                end_command(true);
                c.pos = Pos::Command;
            }
            break;
    }
}

}  // namespace tarnwick::app::sh
