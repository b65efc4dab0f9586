#pragma once
// Splitting an area into rows or columns from size constraints, packed from
// the start with no margin and no spacing. Sizes come from rounding segment
// boundaries, so they always add up to the span they cover.

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "tui/kit/rect.h"

namespace tarnwick::tui {

enum class Direction { Horizontal, Vertical };

struct Constraint {
    enum class Kind { Length, Min, Max, Percentage, Fill };
    Kind kind = Kind::Length;
    std::uint16_t value = 0;

    static constexpr Constraint length(std::uint16_t n) { return {Kind::Length, n}; }
    static constexpr Constraint min(std::uint16_t n) { return {Kind::Min, n}; }
    static constexpr Constraint max(std::uint16_t n) { return {Kind::Max, n}; }
    static constexpr Constraint percentage(std::uint16_t p) { return {Kind::Percentage, p}; }
    static constexpr Constraint fill(std::uint16_t weight) { return {Kind::Fill, weight}; }

    friend constexpr bool operator==(const Constraint&, const Constraint&) = default;
};

// The size of each segment along a span of `length` cells.
std::vector<std::uint16_t> split_sizes(std::uint16_t length,
                                       const std::vector<Constraint>& constraints);

// One rectangle per constraint, in order, inside `area`.
std::vector<Rect> split(Rect area, Direction direction, const std::vector<Constraint>& constraints);

// split() with the direction in the name:
// auto [header, body, footer] = split_vertical(area, {length(3), min(10), length(4)}) ...
std::vector<Rect> split_vertical(Rect area, const std::vector<Constraint>& constraints);
std::vector<Rect> split_horizontal(Rect area, const std::vector<Constraint>& constraints);

}  // namespace tarnwick::tui
