// The form view's geometry and cell texts, without a terminal.

#include "tui/screens/form_screen.h"

#include "core/text.h"

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

TEST(FormValueLines, WrapsAtBlanksByCharacters) {
    // 24 wide: 20 characters between the frames of a disabled row.
    auto lines = [](std::initializer_list<std::string_view> texts) {
        std::vector<std::string> cells;
        for (const std::string_view text : texts)
            cells.push_back("  " + pad_chars(text, 20) + "  ");
        return cells;
    };
    auto repeat = [](std::string_view s, int n) {
        std::string out;
        for (int i = 0; i < n; ++i) out += s;
        return out;
    };
    const std::string umlauts = repeat("ä", 18);
    struct Case {
        std::string value;
        std::vector<std::string> cells;
    };
    const Case cases[] = {
        {"fw1", lines({"fw1"})},
        {"", lines({"—"})},
        {"01234567890123456789", lines({"01234567890123456789"})},  // exactly the room
        {"/etc/rc.conf line 2 also sets defaultrouter; not changed",
         lines({"/etc/rc.conf line 2", "also sets", "defaultrouter; not", "changed"})},
        // A word longer than the room is cut hard and goes on.
        {"012345678901234567890", lines({"01234567890123456789", "0"})},
        {"see /usr/local/etc/rc.conf.d/routing now",
         lines({"see", "/usr/local/etc/rc.co", "nf.d/routing now"})},
        // Blanks at a break are dropped, others kept; leading ones too.
        {"0123456789012345   abcd", lines({"0123456789012345", "abcd"})},
        {"a  b\tc   ", lines({"a  b\tc"})},
        {"  indented", lines({"  indented"})},
        // Counted in characters, not bytes.
        {umlauts + " ßß", lines({umlauts, "ßß"})},
        {repeat("€", 23), lines({repeat("€", 20), "€€€"})},
        // A no-break space joins.
        {"0123456789 0123456789\u00a0x", lines({"0123456789", "0123456789\u00a0x"})},
    };
    for (const Case& c : cases) {
        const tmpl::FormField row{"id", "label", c.value, std::nullopt, true, false};
        EXPECT_EQ(form_value_lines(row, 24, ValueFit::Wrap), c.cells) << c.value;
    }
}

TEST(FormValueLines, FramesEveryLineAndCutStaysOneCell) {
    const tmpl::FormField open{"id", "label", "alpha beta", std::nullopt, false, false};
    EXPECT_EQ(form_value_lines(open, 10, ValueFit::Wrap),
              (std::vector<std::string>{"│ alpha  │", "│ beta   │"}));
    const tmpl::FormField empty{"id", "label", "", std::nullopt, false, false};
    EXPECT_EQ(form_value_lines(empty, 10, ValueFit::Wrap),
              (std::vector<std::string>{"│        │"}));
    for (const std::string value : {"alpha beta gamma", "0123456789abc", ""}) {
        for (const bool disabled : {true, false}) {
            const tmpl::FormField row{"id", "label", value, std::nullopt, disabled, false};
            EXPECT_EQ(form_value_lines(row, 10, ValueFit::Cut),
                      (std::vector<std::string>{form_value_cell(row, 10)}))
                << value;
        }
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
