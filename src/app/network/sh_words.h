#pragma once
// Characters, names and words as /bin/sh sees them: the small pieces the
// reader of rc.conf's lines (sh_reader.h) is built from.

#include <cstddef>
#include <string_view>

namespace tarnwick::app::sh {

bool is_blank(char c);
bool is_name_start(char c);
bool is_name_char(char c);
// A variable name: a letter or "_", then letters, digits and "_".
bool is_name(std::string_view text);

// Characters that end a word outside quotes and begin an operator.
bool is_operator_char(char c);

// The operator that `rest` begins with (longest first: "<<-", "&&", ...).
std::string_view operator_at(std::string_view rest);

// The words that open, divide or close compound commands where a command
// may begin.
bool is_reserved(std::string_view word);

// Whether `name` stands at `at` in `text` as a whole name.
bool name_at(std::string_view text, std::size_t at, std::string_view name);

// Whether `text` holds `name` as a whole name; with `assigned`, only where
// "=" or ":=" follows it.
bool mentions(std::string_view text, std::string_view name, bool assigned);

// Whether what follows a name in arithmetic assigns to it: "=", "+=", "<<="
// and the like, not "==".
bool assigns_in_arithmetic(std::string_view after);

// The length of a parameter expansion $name or $1, $@, ... at `k`, or 0.
std::size_t parameter_length(std::string_view line, std::size_t k);

// The text without the carriage returns that end it. They belong to a DOS
// line ending, which the rewrite drops: they are read as nothing. Not after
// a backslash: that escapes the first of them, and the rewrite keeps them.
std::string_view without_returns(std::string_view text);

}  // namespace tarnwick::app::sh
