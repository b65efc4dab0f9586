#include <gtest/gtest.h>

#include "support/kit_rows.h"
#include "tui/kit/buffer.h"
#include "tui/kit/list.h"

namespace tarnwick::tui {
namespace {

using Rows = std::vector<std::string>;

std::vector<ListItem> numbered(int n) {
    std::vector<ListItem> items;
    for (int i = 0; i < n; ++i) items.emplace_back(std::to_string(i));
    return items;
}

TEST(KitList, WindowFollowsTheSelection) {
    struct Case {
        std::uint16_t height;
        std::size_t offset, selected, first, last;
    } cases[] = {
        {5, 0, 0, 0, 4}, {5, 0, 4, 0, 4}, {5, 0, 5, 1, 5},  {5, 0, 9, 5, 9},
        {5, 5, 2, 2, 6}, {5, 8, 9, 8, 9}, {20, 0, 3, 0, 9},
    };
    for (const Case& c : cases) {
        Buffer buf(Rect{0, 0, 3, c.height});
        ListState state;
        state.offset = c.offset;
        state.selected = c.selected;
        List(numbered(10)).render(buf.area(), buf, state);
        EXPECT_EQ(state.offset, c.first)
            << "H " << c.height << " offset " << c.offset << " sel " << c.selected;
        EXPECT_EQ(buf.cell(0, 0)->symbol, std::to_string(c.first));
        const auto last_row = static_cast<std::uint16_t>(c.last - c.first);
        EXPECT_EQ(buf.cell(0, last_row)->symbol, std::to_string(c.last));
        if (last_row + 1 < c.height) {
            EXPECT_EQ(buf.cell(0, static_cast<std::uint16_t>(last_row + 1))->symbol, " ");
        }
    }
}

TEST(KitList, TallItemsScrollAsWholeItems) {
    std::vector<ListItem> items{Text("a1\na2"), Text("b1\nb2"), Text("c1\nc2")};
    Buffer buf(Rect{0, 0, 2, 3});
    ListState state;
    state.selected = 1;
    List(items).render(buf.area(), buf, state);
    EXPECT_EQ(state.offset, 1u);
    EXPECT_EQ(test::buffer_rows(buf), (Rows{"b1", "b2", "  "}));
}

TEST(KitList, HighlightStyleAndSymbol) {
    Buffer buf(Rect{0, 0, 8, 5});
    ListState state;
    state.selected = 1;
    const Style highlight = Style{}.with_fg(Color::Black).with_bg(Color::Cyan).add(Modifier::Bold);
    List({"one", "two", "three"})
        .block(Block::bordered())
        .style(Style{}.with_fg(Color::White))
        .highlight_style(highlight)
        .highlight_symbol("> ")
        .render(buf.area(), buf, state);
    EXPECT_EQ(test::buffer_rows(buf),
              (Rows{"┌──────┐", "│  one │", "│> two │", "│  thre│", "└──────┘"}));
    for (std::uint16_t x = 1; x < 7; ++x) {
        EXPECT_EQ(buf.cell(x, 2)->bg, Color::Cyan);
        EXPECT_EQ(buf.cell(x, 2)->modifier, Modifier::Bold);
    }
    EXPECT_EQ(buf.cell(1, 1)->bg, Color::Reset);
    EXPECT_EQ(buf.cell(1, 1)->fg, Color::White);
}

TEST(KitList, SpacingOnlyWhileSomethingIsSelected) {
    auto row0 = [](std::optional<std::size_t> selected, HighlightSpacing spacing) {
        Buffer buf(Rect{0, 0, 5, 2});
        ListState state;
        state.selected = selected;
        List({"ab", "cd"})
            .highlight_symbol(">")
            .highlight_spacing(spacing)
            .render(buf.area(), buf, state);
        return test::buffer_rows(buf);
    };
    EXPECT_EQ(row0(std::nullopt, HighlightSpacing::WhenSelected), (Rows{"ab   ", "cd   "}));
    EXPECT_EQ(row0(0, HighlightSpacing::WhenSelected), (Rows{">ab  ", " cd  "}));
    EXPECT_EQ(row0(std::nullopt, HighlightSpacing::Always), (Rows{" ab  ", " cd  "}));
    EXPECT_EQ(row0(0, HighlightSpacing::Never), (Rows{"ab   ", "cd   "}));
}

TEST(KitList, SelectionClampedAndClearedWhenEmpty) {
    Buffer buf(Rect{0, 0, 3, 2});
    ListState state;
    state.selected = 7;
    List(numbered(3)).render(buf.area(), buf, state);
    EXPECT_EQ(state.selected, 2u);
    EXPECT_EQ(state.offset, 1u);
    List(std::vector<ListItem>{}).render(buf.area(), buf, state);
    EXPECT_EQ(state.selected, std::nullopt);
    EXPECT_EQ(state.offset, 0u);
}

TEST(KitList, ItemStyleAndAlignedLines) {
    Buffer buf(Rect{0, 0, 6, 2});
    std::vector<ListItem> items{
        ListItem(Text(Line("ab").aligned(Alignment::Right)), Style{}.with_bg(Color::Red)),
        ListItem(Text(Line::styled("cd", Style{}.with_bg(Color::Blue))))};
    List(items).render(buf.area(), buf);
    EXPECT_EQ(test::buffer_rows(buf), (Rows{"    ab", "cd    "}));
    EXPECT_EQ(buf.cell(0, 0)->bg, Color::Red);
    // A list line's style fills its whole row.
    EXPECT_EQ(buf.cell(5, 1)->bg, Color::Blue);
}

}  // namespace
}  // namespace tarnwick::tui
