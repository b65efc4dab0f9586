#include "tui/screens/diagnostics_scroll.h"

#include <gtest/gtest.h>

namespace tarnwick::tui {
namespace {

using M = DiagnosticsMove;

// 40-row terminal: body 34 rows, key page 34.
constexpr std::size_t kBody = 34;

TEST(DiagnosticsScroll, MovesFromTheFollowedBottom) {
    struct Case {
        const char* name;
        std::size_t lines;
        std::vector<M> moves;
        bool following;
        std::size_t first_line;  // 1-based number of the first body row
    };
    const Case cases[] = {
        {"opens at the newest lines", 100, {}, true, 67},
        {"up leaves the bottom", 100, {M::LineUp}, false, 66},
        {"end returns to following", 100, {M::LineUp, M::Bottom}, true, 67},
        {"home shows line 1", 100, {M::Top}, false, 1},
        {"up at the top stays", 100, {M::Top, M::LineUp}, false, 1},
        {"down stops at the limit",
         100,
         {M::Top, M::PageDown, M::PageDown, M::PageDown},
         false,
         67},
        {"page up from the bottom", 100, {M::PageUp}, false, 33},
        {"page up stops at 0", 100, {M::PageUp, M::PageUp, M::PageUp}, false, 1},
        {"other keys keep the position", 100, {M::LineUp, M::None}, false, 66},
        {"short log: down changes nothing", 10, {M::LineDown}, false, 1},
        {"short log: page down and end change nothing", 10, {M::PageDown, M::Bottom}, true, 1},
    };
    for (const auto& c : cases) {
        DiagnosticsScroll scroll;
        for (M m : c.moves) {
            apply_diagnostics_move(scroll, m, c.lines, diagnostics_page(40));
        }
        EXPECT_EQ(scroll.following, c.following) << c.name;
        EXPECT_EQ(diagnostics_first_line(scroll, c.lines, kBody) + 1, c.first_line) << c.name;
    }
}

TEST(DiagnosticsScroll, FollowingKeepsTheNewestLineLastAfterAResize) {
    DiagnosticsScroll scroll;
    EXPECT_EQ(diagnostics_first_line(scroll, 100, 34), 66u);
    EXPECT_EQ(diagnostics_first_line(scroll, 100, 10), 90u);
}

TEST(DiagnosticsScroll, OffsetsSaturateAtSixteenBits) {
    DiagnosticsScroll scroll{false, 65535};
    apply_diagnostics_move(scroll, M::LineDown, 200000, 1);
    EXPECT_EQ(scroll.offset, 65535);
    apply_diagnostics_move(scroll, M::PageDown, 200000, 1000);
    EXPECT_EQ(scroll.offset, 65535);
}

TEST(DiagnosticsScroll, PageIsRowsLessSixAtLeastOne) {
    EXPECT_EQ(diagnostics_page(40), 34u);
    EXPECT_EQ(diagnostics_page(5), 1u);
    EXPECT_EQ(diagnostics_page(7), 1u);
    EXPECT_EQ(diagnostics_page(0), 1u);
}

TEST(DiagnosticsText, RowsAndCount) {
    EXPECT_EQ(diagnostics_row_text(7, "boot"), "   7 │ boot");
    EXPECT_EQ(diagnostics_row_text(1234, "x"), " 1234 │ x");
    EXPECT_EQ(diagnostics_count_text(0, 0, 34), "0/0");
    EXPECT_EQ(diagnostics_count_text(100, 66, 34), "100/100  lines 67–100");
    EXPECT_EQ(diagnostics_count_text(10, 0, 34), "10/10  lines 1–10");
}

}  // namespace
}  // namespace tarnwick::tui
