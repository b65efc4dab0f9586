#include <gtest/gtest.h>

#include "support/kit_rows.h"
#include "tui/kit/block.h"
#include "tui/kit/buffer.h"
#include "tui/kit/clear.h"

namespace tarnwick::tui {
namespace {

using test::buffer_rows;
using Rows = std::vector<std::string>;

Rows draw(const Block& block, Rect buffer_area, Rect area) {
    Buffer buf(buffer_area);
    block.render(area, buf);
    return buffer_rows(buf);
}

TEST(KitBlock, InnerArea) {
    struct Case {
        Rect area;
        Block block;
        Rect inner;
    } cases[] = {
        {{0, 0, 20, 10}, Block::bordered(), {1, 1, 18, 8}},
        {{0, 0, 20, 10}, Block().borders(Borders::Top), {0, 1, 20, 9}},
        {{0, 0, 20, 10}, Block().borders(Borders::Bottom), {0, 0, 20, 9}},
        {{0, 0, 20, 10}, Block().title("X"), {0, 1, 20, 9}},
        {{0, 0, 20, 10}, Block().title_bottom("X"), {0, 0, 20, 9}},
        {{5, 3, 2, 2}, Block::bordered(), {6, 4, 0, 0}},
        {{0, 0, 1, 1}, Block::bordered(), {1, 1, 0, 0}},
        {{0, 0, 20, 10}, Block::bordered().padding({1, 2, 3, 4}), {2, 4, 15, 1}},
        {{0, 0, 4, 4}, Block::bordered().padding({5, 5, 5, 5}), {6, 6, 0, 0}},
    };
    for (const Case& c : cases) EXPECT_EQ(c.block.inner(c.area), c.inner);
}

TEST(KitBlock, BordersAndCorners) {
    const Rect area{0, 0, 4, 3};
    struct Case {
        const char* name;
        Block block;
        Rect area;
        Rows rows;
    } cases[] = {
        {"all", Block::bordered(), area, {"┌──┐", "│  │", "└──┘"}},
        {"rounded",
         Block::bordered().border_type(BorderType::Rounded),
         area,
         {"╭──╮", "│  │", "╰──╯"}},
        {"top only runs the full width",
         Block().borders(Borders::Top),
         area,
         {"────", "    ", "    "}},
        {"left and bottom",
         Block().borders(Borders::Left | Borders::Bottom),
         area,
         {"│   ", "│   ", "└───"}},
        {"one cell", Block::bordered(), {1, 1, 1, 1}, {"    ", " ┌  ", "    "}},
        {"one row", Block::bordered(), {0, 0, 4, 1}, {"┌──┐", "    ", "    "}},
        // Clipped to the buffer first, so the far borders land on its edge.
        {"clipped to the buffer",
         Block::bordered(),
         {2, 1, 60000, 60000},
         {"    ", "  ┌┐", "  └┘"}},
    };
    for (const Case& c : cases) EXPECT_EQ(draw(c.block, area, c.area), c.rows) << c.name;
}

TEST(KitBlock, Titles) {
    const Rect area{0, 0, 20, 2};
    struct Case {
        const char* name;
        Block block;
        std::string top;
    } cases[] = {
        {"left", Block::bordered().title("Menu"), "┌Menu──────────────┐"},
        {"centred", Block::bordered().title(Line("Menu").aligned(Alignment::Center)),
         "┌───────Menu───────┐"},
        {"right", Block::bordered().title(Line("Menu").aligned(Alignment::Right)),
         "┌──────────────Menu┐"},
        {"block alignment",
         Block::bordered().title_alignment(Alignment::Right).title("a").title("b"),
         "┌───────────────a─b┐"},
        {"two left titles one blank apart", Block::bordered().title("ab").title("cd"),
         "┌ab─cd─────────────┐"},
        {"left wins over centre",
         Block::bordered().title("abcdefghij").title(Line("XYZW").aligned(Alignment::Center)),
         "┌abcdefghijW───────┐"},
        {"no borders", Block().title("hi"), "hi                  "},
    };
    for (const Case& c : cases) EXPECT_EQ(draw(c.block, area, area)[0], c.top) << c.name;
}

TEST(KitBlock, LongTitlesAreCut) {
    EXPECT_EQ(draw(Block::bordered().title("Hello World"), {0, 0, 8, 2}, {0, 0, 8, 2})[0],
              "┌Hello ┐");
    EXPECT_EQ(draw(Block::bordered().title(Line("Hello World").aligned(Alignment::Right)),
                   {0, 0, 8, 2}, {0, 0, 8, 2})[0],
              "┌ World┐");
    // A wide glyph that would overflow is left out; the border stays.
    EXPECT_EQ(draw(Block::bordered().title("abcdeコ"), {0, 0, 8, 2}, {0, 0, 8, 2})[0], "┌abcde─┐");
}

TEST(KitBlock, StylesLayerOverTheArea) {
    Buffer buf(Rect{0, 0, 10, 3});
    buf.set_string(4, 1, "x", {});
    Block::bordered()
        .style(Style{}.with_bg(Color::Black))
        .border_style(Style{}.with_fg(Color::Cyan))
        .title_style(Style{}.add(Modifier::Bold))
        .title(Line(Span("T", Style{}.with_fg(Color::LightCyan))))
        .render(buf.area(), buf);
    EXPECT_EQ(buf.cell(4, 1)->symbol, "x");  // the block style keeps symbols
    EXPECT_EQ(buf.cell(4, 1)->bg, Color::Black);
    EXPECT_EQ(buf.cell(0, 1)->fg, Color::Cyan);
    const Cell* title = buf.cell(1, 0);
    EXPECT_EQ(title->symbol, "T");
    EXPECT_EQ(title->fg, Color::LightCyan);
    EXPECT_EQ(title->bg, Color::Black);
    EXPECT_EQ(title->modifier, Modifier::Bold);
    EXPECT_EQ(buf.cell(2, 0)->modifier, Modifier::None);
}

TEST(KitClear, ResetsTheAreaOnly) {
    Buffer buf(Rect{0, 0, 4, 2});
    buf.set_string(0, 0, "abcd", Style{}.with_fg(Color::Red));
    buf.set_string(0, 1, "efgh", Style{}.with_fg(Color::Red));
    Clear().render(Rect{1, 0, 200, 1}, buf);
    EXPECT_EQ(buffer_rows(buf), (Rows{"a   ", "efgh"}));
    EXPECT_EQ(*buf.cell(2, 0), Cell{});
}

}  // namespace
}  // namespace tarnwick::tui
