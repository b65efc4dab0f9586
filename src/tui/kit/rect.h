#pragma once
// Rectangles of cells: unsigned 16-bit fields, every sum saturating at 65535 so
// no size a screen asks for can wrap around.

#include <algorithm>
#include <cstdint>

namespace tarnwick::tui {

constexpr std::uint16_t saturating_add(std::uint16_t a, std::uint16_t b) {
    unsigned sum = unsigned{a} + unsigned{b};
    return static_cast<std::uint16_t>(sum > 0xFFFFu ? 0xFFFFu : sum);
}
constexpr std::uint16_t saturating_sub(std::uint16_t a, std::uint16_t b) {
    return static_cast<std::uint16_t>(a > b ? a - b : 0);
}

struct Position {
    std::uint16_t x = 0;
    std::uint16_t y = 0;
    friend constexpr bool operator==(const Position&, const Position&) = default;
};

struct Margin {
    std::uint16_t horizontal = 0;
    std::uint16_t vertical = 0;
};

struct Rect {
    std::uint16_t x = 0;
    std::uint16_t y = 0;
    std::uint16_t width = 0;
    std::uint16_t height = 0;

    constexpr std::uint16_t left() const { return x; }
    constexpr std::uint16_t top() const { return y; }
    constexpr std::uint16_t right() const { return saturating_add(x, width); }
    constexpr std::uint16_t bottom() const { return saturating_add(y, height); }
    constexpr std::uint32_t area() const { return std::uint32_t{width} * height; }
    constexpr bool is_empty() const { return width == 0 || height == 0; }

    // Shrunk by the margin on each side; the zero rect at (0,0) when the
    // margin does not fit.
    constexpr Rect inner(Margin m) const {
        if (width < 2 * unsigned{m.horizontal} || height < 2 * unsigned{m.vertical}) return {};
        return {saturating_add(x, m.horizontal), saturating_add(y, m.vertical),
                static_cast<std::uint16_t>(width - 2 * m.horizontal),
                static_cast<std::uint16_t>(height - 2 * m.vertical)};
    }

    // The overlap of both rectangles; empty (width or height 0) when they
    // do not overlap.
    constexpr Rect intersection(const Rect& o) const {
        std::uint16_t x1 = std::max(x, o.x);
        std::uint16_t y1 = std::max(y, o.y);
        std::uint16_t x2 = std::min(right(), o.right());
        std::uint16_t y2 = std::min(bottom(), o.bottom());
        return {x1, y1, saturating_sub(x2, x1), saturating_sub(y2, y1)};
    }

    constexpr bool contains(std::uint16_t column, std::uint16_t row) const {
        return column >= x && row >= y && column < right() && row < bottom();
    }

    friend constexpr bool operator==(const Rect&, const Rect&) = default;
};

}  // namespace tarnwick::tui
