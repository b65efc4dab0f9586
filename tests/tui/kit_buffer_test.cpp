#include <gtest/gtest.h>

#include "tui/kit/buffer.h"

namespace tarnwick::tui {
namespace {

std::string row(const Buffer& buf, std::uint16_t y) {
    std::string out;
    for (std::uint16_t x = buf.area().x; x < buf.area().right(); ++x) out += buf.cell(x, y)->symbol;
    return out;
}

TEST(KitBuffer, SetStringClipsToTheGrid) {
    Buffer buf(Rect{0, 0, 5, 2});
    auto end = buf.set_string(3, 0, "abcdef", {});
    EXPECT_EQ(row(buf, 0), "   ab");
    EXPECT_EQ(end, (std::pair<std::uint16_t, std::uint16_t>{5, 0}));
    // Positions outside the grid write nothing.
    buf.set_string(9, 0, "x", {});
    buf.set_string(0, 7, "x", {});
    buf.set_string(65535, 65535, "x", {});
    EXPECT_EQ(row(buf, 0), "   ab");
    EXPECT_EQ(row(buf, 1), "     ");
    buf.set_stringn(0, 1, "abcdef", 2, Style{}.with_fg(Color::Red));
    EXPECT_EQ(row(buf, 1), "ab   ");
    EXPECT_EQ(buf.cell(1, 1)->fg, Color::Red);
    EXPECT_EQ(buf.cell(2, 1)->fg, Color::Reset);
}

TEST(KitBuffer, SetStringWideGlyphs) {
    Buffer buf(Rect{0, 0, 5, 1});
    buf.set_string(0, 0, "abcde", Style{}.with_fg(Color::Red));
    buf.set_string(0, 0, "コ", Style{}.with_fg(Color::Blue));
    // The cell behind the glyph is reset.
    EXPECT_EQ(buf.cell(0, 0)->symbol, "コ");
    EXPECT_EQ(*buf.cell(1, 0), Cell{});
    EXPECT_EQ(buf.cell(2, 0)->symbol, "c");
    // A wide glyph that does not fit at the edge is not drawn.
    buf.set_string(4, 0, "コ", {});
    EXPECT_EQ(buf.cell(4, 0)->symbol, "e");
}

TEST(KitBuffer, SetStringShowsControlsAsReplacement) {
    Buffer buf(Rect{0, 0, 6, 1});
    buf.set_string(0, 0, "a\x1b[H\t", {});
    EXPECT_EQ(row(buf, 0), "a\xEF\xBF\xBD[H  ");
}

TEST(KitBuffer, SetStyleKeepsSymbolsAndClips) {
    Buffer buf(Rect{0, 0, 3, 2});
    buf.set_string(0, 0, "abc", {});
    buf.set_style(Rect{1, 0, 100, 100}, Style{}.with_bg(Color::Blue));
    EXPECT_EQ(row(buf, 0), "abc");
    EXPECT_EQ(buf.cell(0, 0)->bg, Color::Reset);
    EXPECT_EQ(buf.cell(2, 1)->bg, Color::Blue);
}

std::vector<std::size_t> diff_indices(std::string_view before, std::string_view after) {
    Buffer prev(Rect{0, 0, 3, 1});
    Buffer next(Rect{0, 0, 3, 1});
    prev.set_string(0, 0, before, {});
    next.set_string(0, 0, after, {});
    std::vector<std::size_t> out;
    for (const CellUpdate& u : prev.diff(next)) out.push_back(u.x);
    return out;
}

TEST(KitBuffer, DiffAroundWideGlyphs) {
    struct Case {
        std::string_view before, after;
        std::vector<std::size_t> emitted;
    } cases[] = {
        {"abc", "abc", {}},   {"abc", "abd", {2}},
        {"コ", "aa", {0, 1}}, {"コ", "a ", {0, 1}},  // the cell behind the old glyph is forced out
        {"a ", "コ", {0}},    {"aaa", "aコ", {1}},   // the cell now behind the glyph is skipped
    };
    for (const Case& c : cases) {
        EXPECT_EQ(diff_indices(c.before, c.after), c.emitted) << c.before << " -> " << c.after;
    }
}

TEST(KitBuffer, DiffSkipsFlaggedCells) {
    Buffer prev(Rect{0, 0, 2, 1});
    Buffer next(Rect{0, 0, 2, 1});
    next.set_string(0, 0, "ab", {});
    next.cell(1, 0)->skip = true;
    auto updates = prev.diff(next);
    ASSERT_EQ(updates.size(), 1u);
    EXPECT_EQ(updates[0].x, 0);
}

}  // namespace
}  // namespace tarnwick::tui
