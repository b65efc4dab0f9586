#include "tui/kit/layout.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace tarnwick::tui {
namespace {

using Kind = Constraint::Kind;

bool is_grower(const Constraint& c) {
    return c.kind == Kind::Min || c.kind == Kind::Fill;
}

// Sizes from exact segment lengths: boundaries are rounded (half away from
// zero) and capped at the span.
std::vector<std::uint16_t> from_exact(const std::vector<double>& exact, std::uint16_t length) {
    std::vector<std::uint16_t> sizes;
    sizes.reserve(exact.size());
    double position = 0;
    long previous = 0;
    for (double size : exact) {
        position += size;
        long boundary = std::min<long>(std::lround(position), length);
        boundary = std::max(boundary, previous);
        sizes.push_back(static_cast<std::uint16_t>(boundary - previous));
        previous = boundary;
    }
    return sizes;
}

// Every segment gets its base size; what is left goes to the Min and Fill
// segments by weighted water-filling (a grower never drops below its base).
std::vector<std::uint16_t> fit_big_enough(std::uint16_t length, const std::vector<Constraint>& cs,
                                          const std::vector<double>& base) {
    std::vector<double> exact = base;
    double used = 0;
    for (double b : base) used += b;
    double leftover = length - used;
    std::vector<std::size_t> growers;
    for (std::size_t i = 0; i < cs.size(); ++i) {
        if (is_grower(cs[i]) && (cs[i].kind == Kind::Min || cs[i].value > 0)) growers.push_back(i);
    }
    if (!growers.empty() && leftover > 0) {
        auto weight = [&](std::size_t i) {
            return cs[i].kind == Kind::Min ? 1.0 : static_cast<double>(cs[i].value);
        };
        // Find the level λ where Σ max(base, λ·w) = Σ base + leftover: raise
        // the growers whose base is below the level, smallest ratio first.
        std::vector<std::size_t> order = growers;
        std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            return base[a] / weight(a) < base[b] / weight(b);
        });
        double pool = leftover;
        double weights = 0;
        double level = 0;
        std::size_t raised = 0;
        while (raised < order.size()) {
            std::size_t i = order[raised];
            pool += base[i];
            weights += weight(i);
            ++raised;
            level = pool / weights;
            if (raised < order.size()) {
                std::size_t next = order[raised];
                if (level <= base[next] / weight(next)) break;
            }
        }
        for (std::size_t k = 0; k < raised; ++k) exact[order[k]] = level * weight(order[k]);
    }
    return from_exact(exact, length);
}

// Equal shares of `total` over n adjacent segments, boundaries rounded half up.
void share_run(std::vector<std::uint16_t>& sizes, std::size_t first, std::size_t n, long total) {
    long previous = 0;
    for (std::size_t k = 1; k <= n; ++k) {
        long boundary =
            (2 * static_cast<long>(k) * total + static_cast<long>(n)) / (2 * static_cast<long>(n));
        sizes[first + k - 1] = static_cast<std::uint16_t>(boundary - previous);
        previous = boundary;
    }
}

// Too small, only Lengths and at most one Min: the Min keeps its floor, the
// Lengths share the rest as the constraint solver settles it.
std::vector<std::uint16_t> fit_lengths_and_min(std::uint16_t length,
                                               const std::vector<Constraint>& cs,
                                               std::size_t min_index) {
    std::vector<std::uint16_t> sizes(cs.size(), 0);
    const bool has_min = min_index < cs.size();
    const long m = has_min ? cs[min_index].value : 0;
    if (has_min && length <= m) {
        sizes[min_index] = length;
        return sizes;
    }
    long rest = length - m;
    if (has_min) sizes[min_index] = static_cast<std::uint16_t>(m);
    const std::size_t before = has_min ? min_index : cs.size();
    const std::size_t after = has_min ? cs.size() - min_index - 1 : 0;
    if (before == 0 || after == 0) {
        std::size_t first = before == 0 ? (has_min ? min_index + 1 : 0) : 0;
        std::size_t n = before == 0 ? after : before;
        if (n > 0) share_run(sizes, first, n, rest);
        return sizes;
    }
    if (before == 1 && after == 1) {
        // Length a, Min m, Length c: the first Length grows to the Min's size,
        // then the second to its own, then the first takes what is left.
        long a = cs[0].value;
        long c = cs[2].value;
        long first = std::min({rest, a, m});
        long second = std::min(rest - first, c);
        first += rest - first - second;
        sizes[0] = static_cast<std::uint16_t>(first);
        sizes[2] = static_cast<std::uint16_t>(second);
        return sizes;
    }
    // Runs on both sides of the Min: fill the earlier Lengths first.
    for (std::size_t i = 0; i < cs.size(); ++i) {
        if (i == min_index) continue;
        long take = std::min<long>(rest, cs[i].value);
        sizes[i] = static_cast<std::uint16_t>(take);
        rest -= take;
    }
    return sizes;
}

// Too small, any other mix: Min floors first, then Lengths, then Max
// targets, then Percentages, each in order from what is left.
std::vector<std::uint16_t> fit_by_priority(std::uint16_t length, const std::vector<Constraint>& cs,
                                           const std::vector<double>& base) {
    std::vector<std::uint16_t> sizes(cs.size(), 0);
    long rest = length;
    for (Kind kind : {Kind::Min, Kind::Length, Kind::Max, Kind::Percentage}) {
        for (std::size_t i = 0; i < cs.size(); ++i) {
            if (cs[i].kind != kind) continue;
            long want = kind == Kind::Percentage ? std::lround(base[i]) : long{cs[i].value};
            long take = std::min(rest, want);
            sizes[i] = static_cast<std::uint16_t>(take);
            rest -= take;
        }
    }
    return sizes;
}

}  // namespace

std::vector<std::uint16_t> split_sizes(std::uint16_t length,
                                       const std::vector<Constraint>& constraints) {
    std::vector<double> base;
    base.reserve(constraints.size());
    // Compared in hundredths so percentages are exact.
    long long base_hundredths = 0;
    bool only_lengths_and_min = true;
    std::size_t min_index = constraints.size();
    int mins = 0;
    for (std::size_t i = 0; i < constraints.size(); ++i) {
        const Constraint& c = constraints[i];
        switch (c.kind) {
            case Kind::Percentage:
                base.push_back(static_cast<double>(length) * c.value / 100.0);
                base_hundredths += static_cast<long long>(length) * c.value;
                only_lengths_and_min = false;
                break;
            case Kind::Fill:
                base.push_back(0);
                only_lengths_and_min = false;
                break;
            case Kind::Min:
                ++mins;
                min_index = i;
                [[fallthrough]];
            case Kind::Length:
            case Kind::Max:
                if (c.kind == Kind::Max) only_lengths_and_min = false;
                base.push_back(c.value);
                base_hundredths += 100LL * c.value;
                break;
        }
    }
    if (base_hundredths <= 100LL * length) return fit_big_enough(length, constraints, base);
    if (only_lengths_and_min && mins <= 1)
        return fit_lengths_and_min(length, constraints, min_index);
    return fit_by_priority(length, constraints, base);
}

std::vector<Rect> split(Rect area, Direction direction,
                        const std::vector<Constraint>& constraints) {
    const bool horizontal = direction == Direction::Horizontal;
    std::vector<std::uint16_t> sizes =
        split_sizes(horizontal ? area.width : area.height, constraints);
    std::vector<Rect> rects;
    rects.reserve(sizes.size());
    std::uint16_t position = horizontal ? area.x : area.y;
    for (std::uint16_t size : sizes) {
        if (horizontal) {
            rects.push_back({position, area.y, size, area.height});
        } else {
            rects.push_back({area.x, position, area.width, size});
        }
        position = saturating_add(position, size);
    }
    return rects;
}

std::vector<Rect> split_vertical(Rect area, const std::vector<Constraint>& constraints) {
    return split(area, Direction::Vertical, constraints);
}

std::vector<Rect> split_horizontal(Rect area, const std::vector<Constraint>& constraints) {
    return split(area, Direction::Horizontal, constraints);
}

}  // namespace tarnwick::tui
