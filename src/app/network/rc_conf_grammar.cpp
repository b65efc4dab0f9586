#include "app/network/rc_conf_grammar.h"

#include <fmt/format.h>

#include "core/text.h"

namespace tarnwick::app {
namespace {

constexpr int kEnd = -1;
// Long lines are quoted in part: the refusal has to fit on a result page.
constexpr std::size_t kExcerptChars = 60;

bool is_blank(int c) {
    return c == ' ' || c == '\t';
}
bool is_name_start(int c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
bool is_name_char(int c) {
    return is_name_start(c) || (c >= '0' && c <= '9');
}
// What ends a word and begins an operator or redirection.
bool is_operator(int c) {
    return c == ';' || c == '&' || c == '|' || c == '<' || c == '>' || c == '(' || c == ')';
}

std::string excerpt_of_line_at(std::string_view text, std::size_t at) {
    std::size_t begin = at;
    while (begin > 0 && text[begin - 1] != '\n') --begin;
    std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(begin, end - begin);
    while (!line.empty() && is_blank(line.front())) line.remove_prefix(1);
    while (!line.empty() && is_blank(line.back())) line.remove_suffix(1);
    // The text is UTF-8 (the readers refuse any other), so whole characters
    // are cut off.
    const bool cut = char_count(line) > kExcerptChars;
    if (cut) line = take_chars(line, kExcerptChars);
    std::string excerpt = escape_control_chars(line, Backslash::kKept);
    if (cut) excerpt += "...";
    return excerpt;
}

class Scanner {
public:
    Scanner(std::string_view text, RcScanUntil until) : text_(text), until_(until) {}

    RcScan scan() {
        while (!done_ && pos_ < text_.size()) scan_line();
        return std::move(result_);
    }

private:
    // The next character that counts, past backslash-newline pairs, which
    // the shell removes before it reads the characters around them.
    int peek() {
        while (pos_ + 1 < text_.size() && text_[pos_] == '\\' && text_[pos_ + 1] == '\n') {
            pos_ += 2;
            ++line_;
            if (pos_ == text_.size()) result_.ends_joined = true;
        }
        return pos_ < text_.size() ? static_cast<unsigned char>(text_[pos_]) : kEnd;
    }

    void fault_here(RcFault::Kind kind, std::size_t at, std::size_t line) {
        bad_ = true;
        if (result_.fault) return;
        result_.fault = RcFault{kind, line, excerpt_of_line_at(text_, at)};
        if (until_ == RcScanUntil::FirstFault) done_ = true;
    }
    void not_a_setting() { fault_here(RcFault::Kind::NotASetting, pos_, line_); }
    void open_quote(std::size_t at, std::size_t line) {
        fault_here(RcFault::Kind::OpenQuote, at, line);
        done_ = true;
    }

    // One line from where a command may begin to past its line feed (or
    // the end): its settings count only when all of it fits the grammar.
    void scan_line() {
        bad_ = false;
        const std::size_t first = result_.settings.size();
        bool after_setting = false;  // a ";" needs a setting before it
        while (!done_) {
            const int c = peek();
            if (c == kEnd) break;
            if (c == '\n') {
                ++pos_;
                ++line_;
                break;
            }
            if (is_blank(c)) {
                ++pos_;
            } else if (c == '#') {
                skip_comment();
            } else if (c == ';') {
                if (!after_setting) not_a_setting();
                after_setting = false;
                ++pos_;
            } else if (is_operator(c)) {
                not_a_setting();
                ++pos_;
            } else {
                auto setting = scan_setting();
                if (setting && !bad_) result_.settings.push_back(std::move(*setting));
                after_setting = true;
            }
        }
        if (bad_ || done_) result_.settings.resize(first);
    }

    void skip_comment() {
        while (pos_ < text_.size() && text_[pos_] != '\n') {
            if (text_[pos_] == '\0') not_a_setting();
            ++pos_;
        }
    }

    // NAME=WORD, or nothing (and the line is outside the grammar) for any
    // other word, which is read on as far as it goes.
    std::optional<RcSetting> scan_setting() {
        RcSetting setting;
        setting.line = line_;
        int c = peek();
        if (is_name_start(c)) {
            while (is_name_char(c)) {
                setting.name += static_cast<char>(c);
                ++pos_;
                c = peek();
            }
        }
        const bool assignment = !setting.name.empty() && c == '=';
        if (!assignment) not_a_setting();
        if (assignment) ++pos_;
        setting.word_begin = pos_;
        setting.word_end = pos_;
        scan_word(setting);
        if (!assignment) return std::nullopt;
        return setting;
    }

    void scan_word(RcSetting& setting) {
        std::string& value = setting.value;
        while (!done_) {
            const int c = peek();
            if (c == kEnd || c == '\n' || is_blank(c) || is_operator(c)) return;
            if (c == '\'') {
                scan_single_quoted(value);
            } else if (c == '"') {
                scan_double_quoted(value);
            } else if (c == '\\') {
                // peek() took every backslash-newline: this one escapes.
                if (pos_ + 1 == text_.size()) {
                    // The shell keeps it; a line feed written after it
                    // would join the next line instead.
                    not_a_setting();
                    ++pos_;
                } else {
                    if (text_[pos_ + 1] == '\0') not_a_setting();
                    value += text_[pos_ + 1];
                    pos_ += 2;
                }
            } else if (c == '$') {
                scan_expansion(value);
            } else {
                if (c == '`' || c == '\0') not_a_setting();
                value += static_cast<char>(c);
                ++pos_;
            }
            if (!done_) setting.word_end = pos_;
        }
    }

    void scan_single_quoted(std::string& value) {
        const std::size_t open = pos_;
        const std::size_t open_line = line_;
        ++pos_;
        while (pos_ < text_.size() && text_[pos_] != '\'') {
            const char c = text_[pos_++];
            if (c == '\n') ++line_;
            if (c == '\0') not_a_setting();
            value += c;
        }
        if (pos_ == text_.size()) return open_quote(open, open_line);
        ++pos_;
    }

    void scan_double_quoted(std::string& value) {
        const std::size_t open = pos_;
        const std::size_t open_line = line_;
        ++pos_;
        while (!done_) {
            if (pos_ == text_.size()) return open_quote(open, open_line);
            const char c = text_[pos_];
            if (c == '"') {
                ++pos_;
                return;
            }
            if (c == '\\') {
                if (pos_ + 1 == text_.size()) return open_quote(open, open_line);
                const char next = text_[pos_ + 1];
                if (next == '\n') {
                    pos_ += 2;
                    ++line_;
                } else if (next == '$' || next == '`' || next == '"' || next == '\\') {
                    value += next;
                    pos_ += 2;
                } else {
                    // Before any other character a backslash is itself.
                    value += c;
                    ++pos_;
                }
                continue;
            }
            if (c == '$') {
                scan_expansion(value);
                continue;
            }
            if (c == '`' || c == '\0') not_a_setting();
            if (c == '\n') ++line_;
            value += c;
            ++pos_;
        }
    }

    // $NAME or ${NAME}, kept as written; any other use of "$" is outside
    // the grammar.
    void scan_expansion(std::string& value) {
        ++pos_;
        value += '$';
        int c = peek();
        const bool braced = c == '{';
        if (braced) {
            value += '{';
            ++pos_;
            c = peek();
        }
        if (!is_name_start(c)) return not_a_setting();
        while (is_name_char(c)) {
            value += static_cast<char>(c);
            ++pos_;
            c = peek();
        }
        if (!braced) return;
        if (c != '}') return not_a_setting();
        value += '}';
        ++pos_;
    }

    std::string_view text_;
    RcScanUntil until_;
    std::size_t pos_ = 0;
    std::size_t line_ = 1;
    bool bad_ = false;  // the current line is outside the grammar
    // A quote runs to the end (the shell reads nothing more), or the scan
    // was only for the first fault.
    bool done_ = false;
    RcScan result_;
};

}  // namespace

RcScan scan_rc_conf(std::string_view text, RcScanUntil until) {
    return Scanner(text, until).scan();
}

std::string rc_fault_text(std::string_view file, const RcFault& fault) {
    const char* what = fault.kind == RcFault::Kind::OpenQuote
                           ? "has an unterminated quote or substitution"
                           : "is not a setting";
    return fmt::format("{} line {} {} (\"{}\"); not changed", file, fault.line, what,
                       fault.excerpt);
}

Result<RcScan, NetError> certain_rc_settings(std::string_view text, std::string_view file) {
    RcScan scan = scan_rc_conf(text, RcScanUntil::FirstFault);
    if (scan.fault) return fail(NetError::message(rc_fault_text(file, *scan.fault)));
    for (const RcSetting& setting : scan.settings) {
        if (setting.name == "rc_conf_files") {
            return fail(NetError::message(
                fmt::format("{} line {} sets rc_conf_files; not changed", file, setting.line)));
        }
    }
    return scan;
}

}  // namespace tarnwick::app
