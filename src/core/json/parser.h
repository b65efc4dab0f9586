#pragma once
// Strict JSON parsing into a positioned tree, with the error wording and the
// positions a streaming serde-style parser reports.

#include "core/json/value.h"
#include "core/result.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace tarnwick::json {

// Nesting deeper than this many arrays/objects is "recursion limit exceeded".
inline constexpr std::size_t kMaxDepth = 128;

struct Position {
    std::size_t line = 1;    // from 1
    std::size_t column = 0;  // bytes from the start of the line

    bool operator==(const Position&) const = default;
};

struct ParseError {
    std::string description;  // e.g. "expected value"
    Position position;
};

// "{description} at line {line} column {column}".
std::string display_parse_error(const ParseError& error);

// Same form for any message with a position (used by typed readers).
std::string with_position(std::string_view message, Position position);

// Parses exactly one JSON value; after it only blank, tab, line feed and
// carriage return may follow. The text must be UTF-8.
Result<Value, ParseError> parse(std::string_view text);

// The line and column of a text index, counted the way a streaming reader
// does: `index` is the number of bytes consumed, and the column is how many of
// them lie on the current line (so the byte at fault is column 1 when it
// starts a line, once consumed).
Position position_at(std::string_view text, std::size_t index);

// Where a reader reports an error it sees before consuming the value at
// `offset` (the value's first byte counted as consumed).
Position peek_position(std::string_view text, std::size_t offset);

}  // namespace tarnwick::json
