#include "app/network/sh_lines.h"

#include <algorithm>

#include "app/network/sh_reader.h"
#include "app/network/sh_words.h"

namespace tarnwick::app {

ShLines read_sh_lines(const std::vector<std::string>& lines) {
    return read_sh(lines, {}).shape;
}

std::vector<VarUseAt> variable_uses(const std::vector<std::string>& lines, std::string_view name) {
    return read_sh(lines, name).uses;
}

ShReading read_sh(const std::vector<std::string>& lines, std::string_view name) {
    sh::Reader reader(lines, name);
    reader.read();
    return {std::move(reader.shape), std::move(reader.uses)};
}

SettingSpan setting_span(const std::vector<std::string>& lines, std::size_t first) {
    if (first >= lines.size()) return {};
    // Read from `first` on, only as far as the setting goes.
    const std::span<const std::string> from = std::span(lines).subspan(first);
    sh::Reader reader(from, {});
    reader.read(sh::Stop::AfterFirstSetting);
    SettingSpan span;
    const WordEnd word = reader.first_word.value_or(WordEnd{from.size() - 1, from.back().size()});
    span.word = {first + word.line, word.column};
    std::size_t end = from.size() - 1;
    if (word.column == from[word.line].size()) {
        end = word.line;
    } else {
        // Then the lines over which a quote or a word opened after it goes on.
        for (std::size_t i = word.line; i < reader.open_at_end.size(); ++i) {
            if (!reader.open_at_end[i]) {
                end = i;
                break;
            }
        }
    }
    span.end = first + end;
    span.comment = end < reader.shape.comment.size() ? reader.shape.comment[end] : kNoComment;
    return span;
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

bool only_assigns(const std::vector<std::string>& lines, std::string_view name) {
    // Read with the assignment they follow: an operator first is no error.
    std::vector<std::string> text = lines.empty() ? std::vector<std::string>(1) : lines;
    text.front().insert(0, std::string(name) + "=");
    sh::Reader reader(text, name, true);
    reader.read();
    if (reader.shape.ends_open || reader.shape.unbalanced) return false;
    return std::all_of(reader.tokens.begin(), reader.tokens.end(), [&](const sh::Token& t) {
        return t.op ? t.text == ";" || t.text == "&&" || t.text == "||" : t.assigned == name;
    });
}

Expansions expansions_in(const std::vector<std::string>& lines) {
    sh::Reader reader(lines, {});
    reader.read();
    return reader.expansions;
}

bool one_plain_command(const std::vector<std::string>& lines) {
    sh::Reader reader(lines, {}, true);
    reader.read();
    if (reader.shape.ends_open || reader.shape.unbalanced) return false;
    const std::vector<sh::Token>& tokens = reader.tokens;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const sh::Token& t = tokens[i];
        if (t.op ? t.text != ";" || i + 1 != tokens.size() : t.reserved) return false;
    }
    return true;
}

}  // namespace tarnwick::app
