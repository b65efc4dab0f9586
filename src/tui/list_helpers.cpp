#include "tui/list_helpers.h"

#include <algorithm>

namespace tarnwick::tui {

std::size_t list_window_start(std::size_t count, std::size_t rows, std::size_t selected) {
    if (count <= rows || selected < rows) return 0;
    return std::min(count - rows, selected - rows + 1);
}

std::optional<std::size_t> list_item_index(Rect area, std::uint16_t row, std::size_t start,
                                           std::size_t count) {
    if (area.height < 3 || area.right() <= area.x || row < area.y || row >= area.bottom()) {
        return std::nullopt;
    }
    if (row == area.y || row >= area.bottom() - 1) return std::nullopt;
    std::size_t index = start + static_cast<std::size_t>(row - area.y - 1);
    if (index >= count) return std::nullopt;
    return index;
}

bool rect_contains(Rect area, std::uint16_t column, std::uint16_t row) {
    return area.contains(column, row);
}

}  // namespace tarnwick::tui
