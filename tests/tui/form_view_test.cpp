// The form view's geometry and cell texts, without a terminal.

#include "tui/screens/form_screen.h"

#include <gtest/gtest.h>

namespace tarnwick::tui {
namespace {

TEST(FormColumns, ClampTheRowLabelAndValueWidths) {
    struct Case {
        Rect body;
        FormColumns expected;
    };
    const Case cases[] = {
        // 28 % of 76 is 21.
        {{1, 2, 78, 20}, {2, 76, 20, 21, 23, 55}},
        // 28 % of 100 is 28: at most 26.
        {{1, 2, 102, 30}, {2, 100, 30, 26, 28, 74}},
        // 28 % of 40 is 11: at least 16.
        {{0, 0, 42, 10}, {1, 40, 10, 16, 17, 24}},
        // Narrow and short bodies: W at least 24, R at least 4, V at least 8.
        {{1, 2, 10, 2}, {2, 24, 4, 16, 18, 8}},
        {{0, 0, 0, 0}, {1, 24, 4, 16, 17, 8}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(form_columns(c.body), c.expected) << c.body.width << "x" << c.body.height;
    }
}

TEST(FormValueCell, FramesCutsAndPadsByCharacters) {
    auto row = [](std::string value, bool disabled) {
        return tmpl::FormField{"id", "label", std::move(value), std::nullopt, disabled, false};
    };
    struct Case {
        tmpl::FormField row;
        std::uint16_t width;
        std::string cell;
    };
    const Case cases[] = {
        {row("fw1", true), 10, "  fw1     "},
        {row("", true), 10, "  —       "},   // a disabled row without a value
        {row("", false), 10, "│        │"},  // an editable one keeps its frame
        {row("fw1", false), 10, "│ fw1    │"},
        // Cut at the room between the frames, without an ellipsis.
        {row("0123456789abc", true), 10, "  012345  "},
        {row("äöüäöüäöü", true), 8, "  äöüä  "},
        // Too narrow for the frames: one character of text, then cut to width.
        {row("abc", false), 3, "│ a"},
        {row("abc", true), 0, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(form_value_cell(c.row, c.width), c.cell) << c.row.value << "/" << c.width;
    }
}

TEST(FormFooterText, CountsOnlyWhenRowsAreOutOfView) {
    struct Case {
        std::uint16_t scroll;
        std::size_t visible;
        std::size_t total;
        std::string text;
    };
    const Case cases[] = {
        {0, 20, 30, "F   ·   ↑0 ↓10"},
        {16, 20, 30, "F   ·   ↑16 ↓0"},
        {40, 20, 30, "F   ·   ↑40 ↓0"},  // scrolled past the last row
        {0, 20, 20, "F"},                // every row fits
        {5, 20, 20, "F"},                // whatever the offset
        {0, 20, 0, "F"},
        {65535, 4, 5, "F   ·   ↑65535 ↓0"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(form_footer_text("F", c.scroll, c.visible, c.total), c.text)
            << c.scroll << "/" << c.visible << "/" << c.total;
    }
}

}  // namespace
}  // namespace tarnwick::tui
