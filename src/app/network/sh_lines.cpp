#include "app/network/sh_lines.h"

#include <algorithm>

#include "app/network/sh_reader.h"
#include "app/network/sh_words.h"

namespace tarnwick::app {

ShLines read_sh_lines(const std::vector<std::string>& lines) {
    sh::Reader reader(lines, {});
    reader.read(0);
    return std::move(reader.shape);
}

std::vector<VarUseAt> variable_uses(const std::vector<std::string>& lines, std::string_view name) {
    sh::Reader reader(lines, name);
    reader.read(0);
    return std::move(reader.uses);
}

WordEnd command_word_end(const std::vector<std::string>& lines, std::size_t first) {
    if (lines.empty()) return {};
    sh::Reader reader(lines, {});
    reader.read(first);
    return reader.first_word.value_or(WordEnd{lines.size() - 1, lines.back().size()});
}

bool holds_more_than_a_comment(std::string_view rest) {
    // Carriage returns that end the line belong to a DOS line ending, which
    // the rewrite drops: they run nothing.
    rest = sh::without_returns(rest);
    for (std::size_t k = 0; k < rest.size(); ++k) {
        const char c = rest[k];
        if (sh::is_blank(c)) continue;
        if (c == '#') return false;
        return !(c == '\\' && k + 1 == rest.size());
    }
    return false;
}

bool assigns_again(std::string_view rest, std::string_view key) {
    return !variable_uses({std::string(rest)}, key).empty();
}

std::size_t setting_end_line(const std::vector<std::string>& lines, std::size_t first) {
    if (lines.empty()) return 0;
    sh::Reader reader(lines, {});
    reader.read(first);
    if (!reader.first_word) return lines.size() - 1;
    const WordEnd word = *reader.first_word;
    if (word.column == lines[word.line].size()) return word.line;
    // Then the lines over which a quote opened after it stays open.
    for (std::size_t i = word.line; i < lines.size(); ++i) {
        if (!reader.open_at_end[i]) return i;
    }
    return lines.size() - 1;
}

bool only_assigns(const std::vector<std::string>& lines, std::string_view name) {
    sh::Reader reader(lines, name, true);
    reader.read(0);
    if (reader.shape.ends_open || reader.shape.unbalanced) return false;
    return std::all_of(reader.tokens.begin(), reader.tokens.end(), [&](const sh::Token& t) {
        return t.op ? t.text == ";" || t.text == "&&" || t.text == "||" : t.assigned == name;
    });
}

bool one_plain_command(const std::vector<std::string>& lines) {
    sh::Reader reader(lines, {}, true);
    reader.read(0);
    if (reader.shape.ends_open || reader.shape.unbalanced) return false;
    const std::vector<sh::Token>& tokens = reader.tokens;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const sh::Token& t = tokens[i];
        if (t.op ? t.text != ";" || i + 1 != tokens.size() : t.reserved) return false;
    }
    return true;
}

}  // namespace tarnwick::app
