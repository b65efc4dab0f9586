#include "tui/kit/list.h"

#include <algorithm>

#include "tui/kit/buffer.h"
#include "tui/kit/width.h"

namespace tarnwick::tui {

List List::block(Block b) const {
    List l = *this;
    l.block_ = std::move(b);
    return l;
}
List List::style(Style s) const {
    List l = *this;
    l.style_ = s;
    return l;
}
List List::highlight_style(Style s) const {
    List l = *this;
    l.highlight_style_ = s;
    return l;
}
List List::highlight_symbol(std::string symbol) const {
    List l = *this;
    l.highlight_symbol_ = std::move(symbol);
    return l;
}
List List::highlight_spacing(HighlightSpacing spacing) const {
    List l = *this;
    l.spacing_ = spacing;
    return l;
}
List List::repeat_highlight_symbol(bool repeat) const {
    List l = *this;
    l.repeat_symbol_ = repeat;
    return l;
}

void List::render(Rect area, Buffer& buf) const {
    ListState state;
    render(area, buf, state);
}

// The window [first, last) of items that fit in `height` rows from the
// offset, moved just enough to show the selected item.
std::pair<std::size_t, std::size_t> List::visible_bounds(std::optional<std::size_t> selected,
                                                         std::size_t offset,
                                                         std::size_t height) const {
    const std::size_t n = items_.size();
    offset = std::min(offset, n - 1);
    std::size_t first = offset;
    std::size_t last = offset;
    std::size_t used = 0;
    for (std::size_t i = offset; i < n; ++i) {
        if (used + items_[i].content.height() > height) break;
        used += items_[i].content.height();
        ++last;
    }
    const std::size_t target = selected ? std::min(*selected, n - 1) : offset;
    while (target >= last) {
        used += items_[last].content.height();
        ++last;
        while (used > height) {
            used -= items_[first].content.height();
            ++first;
        }
    }
    while (target < first) {
        --first;
        used += items_[first].content.height();
        while (used > height) {
            --last;
            used -= items_[last].content.height();
        }
    }
    return {first, last};
}

void List::render(Rect area, Buffer& buf, ListState& state) const {
    area = area.intersection(buf.area());
    buf.set_style(area, style_);
    Rect list_area = area;
    if (block_) {
        block_->render(area, buf);
        list_area = block_->inner(area);
    }
    if (list_area.is_empty()) return;
    if (items_.empty()) {
        state.select(std::nullopt);
        return;
    }
    if (state.selected && *state.selected >= items_.size()) state.selected = items_.size() - 1;

    auto [first, last] = visible_bounds(state.selected, state.offset, list_area.height);
    state.offset = first;

    const std::string symbol = highlight_symbol_.value_or("");
    const auto symbol_width =
        static_cast<std::uint16_t>(std::min<std::size_t>(display_width(symbol), 0xFFFF));
    const std::string blank(symbol_width, ' ');
    const bool indent = spacing_ == HighlightSpacing::Always ||
                        (spacing_ == HighlightSpacing::WhenSelected && state.selected.has_value());

    unsigned y = list_area.y;
    for (std::size_t i = first; i < last && y < list_area.bottom(); ++i) {
        const ListItem& item = items_[i];
        // Rows are clipped to the list area: a tall item never spills below it.
        auto height = static_cast<std::uint16_t>(
            std::min<std::size_t>(item.content.height(), list_area.bottom() - y));
        const Rect row{list_area.x, static_cast<std::uint16_t>(y), list_area.width, height};
        const Style item_style = style_.patch(item.style);
        buf.set_style(row, item_style);
        const bool selected = state.selected == i;
        Rect text_area = row;
        if (indent) {
            text_area.x = std::min(saturating_add(row.x, symbol_width), row.right());
            text_area.width = saturating_sub(row.width, symbol_width);
        }
        item.content.render(text_area, buf);
        if (indent) {
            for (std::uint16_t j = 0; j < height; ++j) {
                const std::string& shown = selected && (j == 0 || repeat_symbol_) ? symbol : blank;
                buf.set_stringn(row.x, static_cast<std::uint16_t>(row.y + j), shown,
                                std::min(symbol_width, row.width), item_style);
            }
        }
        if (selected) buf.set_style(row, highlight_style_);
        y += height;
    }
}

}  // namespace tarnwick::tui
