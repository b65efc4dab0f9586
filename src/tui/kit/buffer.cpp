#include "tui/kit/buffer.h"

#include <algorithm>

#include "tui/kit/width.h"

namespace tarnwick::tui {

void Cell::set_style(const Style& style) {
    if (style.fg) fg = *style.fg;
    if (style.bg) bg = *style.bg;
    modifier = (modifier | style.add_modifier) - style.sub_modifier;
}

Style Cell::style() const {
    Style s;
    s.fg = fg;
    s.bg = bg;
    s.add_modifier = modifier;
    return s;
}

Buffer::Buffer(Rect area) : area_(area), content_(area.area()) {}

Cell* Buffer::cell(std::uint16_t x, std::uint16_t y) {
    if (!area_.contains(x, y)) return nullptr;
    return &content_[index_of(x, y)];
}

const Cell* Buffer::cell(std::uint16_t x, std::uint16_t y) const {
    if (!area_.contains(x, y)) return nullptr;
    return &content_[index_of(x, y)];
}

std::pair<std::uint16_t, std::uint16_t> Buffer::set_string(std::uint16_t x, std::uint16_t y,
                                                           std::string_view text, Style style) {
    return set_stringn(x, y, text, 0xFFFF, style);
}

std::pair<std::uint16_t, std::uint16_t> Buffer::set_stringn(std::uint16_t x, std::uint16_t y,
                                                            std::string_view text,
                                                            std::size_t max_width, Style style) {
    if (!area_.contains(x, y)) return {x, y};
    std::size_t remaining = std::min<std::size_t>(saturating_sub(area_.right(), x), max_width);
    for (const Grapheme& g : graphemes(text)) {
        if (g.width == 0) continue;
        if (g.width > remaining) break;
        remaining -= g.width;
        Cell& c = content_[index_of(x, y)];
        c.set_symbol(g.symbol);
        c.set_style(style);
        auto next = static_cast<std::uint16_t>(x + g.width);
        ++x;
        for (; x < next; ++x) content_[index_of(x, y)].reset();
    }
    return {x, y};
}

std::pair<std::uint16_t, std::uint16_t> Buffer::set_span(std::uint16_t x, std::uint16_t y,
                                                         const Span& span,
                                                         std::uint16_t max_width) {
    return set_stringn(x, y, span.content, max_width, span.style);
}

std::pair<std::uint16_t, std::uint16_t> Buffer::set_line(std::uint16_t x, std::uint16_t y,
                                                         const Line& line,
                                                         std::uint16_t max_width) {
    std::uint16_t remaining = max_width;
    for (const Span& span : line.spans) {
        if (remaining == 0) break;
        auto [end_x, end_y] =
            set_stringn(x, y, span.content, remaining, line.style.patch(span.style));
        remaining = saturating_sub(remaining, saturating_sub(end_x, x));
        x = end_x;
    }
    return {x, y};
}

void Buffer::set_style(Rect area, Style style) {
    area = area.intersection(area_);
    for (std::uint16_t y = area.top(); y < area.bottom(); ++y) {
        for (std::uint16_t x = area.left(); x < area.right(); ++x) {
            content_[index_of(x, y)].set_style(style);
        }
    }
}

void Buffer::reset() {
    for (Cell& c : content_) c.reset();
}

void Buffer::resize(Rect area) {
    std::size_t length = area.area();
    if (content_.size() > length) {
        content_.resize(length);
    } else {
        content_.resize(length, Cell{});
    }
    area_ = area;
}

std::vector<CellUpdate> Buffer::diff(const Buffer& next) const {
    std::vector<CellUpdate> updates;
    const std::size_t count = std::min(content_.size(), next.content_.size());
    const std::uint16_t width = next.area_.width;
    std::size_t invalidated = 0;
    std::size_t to_skip = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const Cell& current = next.content_[i];
        const Cell& previous = content_[i];
        if (!current.skip && (current != previous || invalidated > 0) && to_skip == 0) {
            auto x = static_cast<std::uint16_t>(next.area_.x + i % width);
            auto y = static_cast<std::uint16_t>(next.area_.y + i / width);
            updates.push_back({x, y, &current});
        }
        std::size_t current_width = symbol_width(current.symbol);
        to_skip = current_width > 0 ? current_width - 1 : 0;
        std::size_t affected = std::max(current_width, std::size_t{symbol_width(previous.symbol)});
        invalidated = std::max(affected, invalidated);
        invalidated = invalidated > 0 ? invalidated - 1 : 0;
    }
    return updates;
}

}  // namespace tarnwick::tui
