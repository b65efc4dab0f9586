#include "app/network/sh_words.h"

#include <algorithm>

namespace tarnwick::app::sh {

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

bool is_name_start(char c) {
    return c == '_' || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool is_name_char(char c) {
    return is_name_start(c) || (c >= '0' && c <= '9');
}

bool is_name(std::string_view text) {
    return !text.empty() && is_name_start(text.front()) &&
           std::all_of(text.begin(), text.end(), is_name_char);
}

bool is_operator_char(char c) {
    return c == ';' || c == '&' || c == '|' || c == '<' || c == '>' || c == '(' || c == ')';
}

std::string_view operator_at(std::string_view rest) {
    for (const std::string_view longer :
         {"<<-", ";;", "&&", "||", "<<", "<&", "<>", ">>", ">&", ">|"}) {
        if (rest.starts_with(longer)) return longer;
    }
    return rest.substr(0, 1);
}

bool is_reserved(std::string_view word) {
    for (const std::string_view reserved :
         {"{", "}", "!", "if", "then", "elif", "else", "fi", "while", "until", "do", "done", "for",
          "case", "esac"}) {
        if (word == reserved) return true;
    }
    return false;
}

bool name_at(std::string_view text, std::size_t at, std::string_view name) {
    if (name.empty() || !text.substr(at).starts_with(name)) return false;
    const std::size_t end = at + name.size();
    return (at == 0 || !is_name_char(text[at - 1])) &&
           (end == text.size() || !is_name_char(text[end]));
}

bool mentions(std::string_view text, std::string_view name, bool assigned) {
    if (name.empty()) return false;
    for (std::size_t at = text.find(name); at != std::string_view::npos;
         at = text.find(name, at + 1)) {
        if (!name_at(text, at, name)) continue;
        const std::string_view after = text.substr(at + name.size());
        if (!assigned || after.starts_with('=') || after.starts_with(":=")) return true;
    }
    return false;
}

bool assigns_in_arithmetic(std::string_view after) {
    while (!after.empty() && is_blank(after.front())) after.remove_prefix(1);
    if (after.starts_with("<<=") || after.starts_with(">>=")) return true;
    if (after.starts_with('=')) return !after.starts_with("==");
    return after.size() >= 2 && after[1] == '=' &&
           std::string_view("+-*/%&^|").find(after[0]) != std::string_view::npos;
}

std::size_t parameter_length(std::string_view line, std::size_t k) {
    if (line[k] != '$' || k + 1 == line.size()) return 0;
    const char next = line[k + 1];
    if (!is_name_start(next)) {
        return std::string_view("@*#?-$!0123456789").find(next) != std::string_view::npos ? 2 : 0;
    }
    std::size_t end = k + 1;
    while (end < line.size() && is_name_char(line[end])) ++end;
    return end - k;
}

std::string_view without_returns(std::string_view text) {
    std::string_view bare = text;
    while (bare.ends_with('\r')) bare.remove_suffix(1);
    return bare.ends_with('\\') ? text : bare;
}

}  // namespace tarnwick::app::sh
