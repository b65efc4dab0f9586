#pragma once
// The two helpers that keep a bordered, scrolling list's drawing and its mouse
// handling in agreement.

#include <cstddef>
#include <cstdint>
#include <optional>

#include "tui/kit/rect.h"

namespace tarnwick::tui {

// The first entry to show of `count` entries in `rows` rows so that
// `selected` stays visible.
std::size_t list_window_start(std::size_t count, std::size_t rows, std::size_t selected);

// The entry under a pointer row of a bordered list drawn in `area` whose
// first visible entry is `start`; nullopt on the borders, outside the area or
// past the last entry. The column is not looked at.
std::optional<std::size_t> list_item_index(Rect area, std::uint16_t row, std::size_t start,
                                           std::size_t count);

// column >= x, row >= y, column < x + width, row < y + height, both sums
// stopping at 65535.
bool rect_contains(Rect area, std::uint16_t column, std::uint16_t row);

}  // namespace tarnwick::tui
