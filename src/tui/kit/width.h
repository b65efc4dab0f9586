#pragma once
// Display text: splitting into grapheme clusters (one per cell) and their width
// in terminal columns. Control characters never reach the terminal: each shows
// as U+FFFD, a tab as one blank, and a line feed is dropped. Invalid UTF-8
// shows as U+FFFD too.

#include <cstdint>
#include <string_view>
#include <vector>

namespace tarnwick::tui {

struct Grapheme {
    std::string_view symbol;  // into the source text, or a static replacement
    std::uint16_t width = 0;  // 0 for combining marks and other zero-width clusters
};

// The display graphemes of a text, in order.
std::vector<Grapheme> graphemes(std::string_view text);

// Width in columns of a text as drawn (the sum of its graphemes' widths).
std::size_t display_width(std::string_view text);

// Width of one grapheme cluster as stored in a cell (no control characters).
std::uint16_t symbol_width(std::string_view symbol);

}  // namespace tarnwick::tui
