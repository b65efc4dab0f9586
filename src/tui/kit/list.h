#pragma once
// A scrolling list of items with one selected, drawn with a highlight style
// and an optional highlight symbol before the selected item.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "tui/kit/block.h"
#include "tui/kit/text.h"

namespace tarnwick::tui {

struct ListState {
    std::size_t offset = 0;  // first visible item, written back by each render
    std::optional<std::size_t> selected;

    // Selecting nothing also scrolls back to the top.
    void select(std::optional<std::size_t> index) {
        selected = index;
        if (!index) offset = 0;
    }
};

struct ListItem {
    Text content;
    Style style;

    ListItem(Text t, Style s = {}) : content(std::move(t)), style(s) {}  // NOLINT
    ListItem(const char* t) : content(t) {}                              // NOLINT
    ListItem(std::string t) : content(std::string_view(t)) {}            // NOLINT
};

// When the rows are indented by the highlight symbol's width.
enum class HighlightSpacing { WhenSelected, Always, Never };

class List {
public:
    explicit List(std::vector<ListItem> items) : items_(std::move(items)) {}

    List block(Block b) const;
    List style(Style s) const;
    List highlight_style(Style s) const;
    List highlight_symbol(std::string symbol) const;
    List highlight_spacing(HighlightSpacing spacing) const;
    List repeat_highlight_symbol(bool repeat) const;

    // Draws the items from state.offset, scrolled so the selected one shows;
    // a selection past the end moves to the last item, and the first visible
    // item is stored back in state.offset.
    void render(Rect area, Buffer& buf, ListState& state) const;
    void render(Rect area, Buffer& buf) const;

private:
    std::pair<std::size_t, std::size_t> visible_bounds(std::optional<std::size_t> selected,
                                                       std::size_t offset,
                                                       std::size_t height) const;

    std::vector<ListItem> items_;
    std::optional<Block> block_;
    Style style_;
    Style highlight_style_;
    std::optional<std::string> highlight_symbol_;
    HighlightSpacing spacing_ = HighlightSpacing::WhenSelected;
    bool repeat_symbol_ = false;
};

}  // namespace tarnwick::tui
