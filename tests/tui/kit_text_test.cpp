#include <gtest/gtest.h>

#include "support/kit_rows.h"
#include "tui/kit/buffer.h"
#include "tui/kit/text.h"

namespace tarnwick::tui {
namespace {

using Rows = std::vector<std::string>;

TEST(KitText, SplitsIntoLines) {
    struct Case {
        std::string_view text;
        std::vector<std::string> lines;
    } cases[] = {
        {"", {""}},
        {"a", {"a"}},
        {"a\n", {"a"}},
        {"a\r\nb", {"a", "b"}},
        {"a\n\nb", {"a", "", "b"}},
        {"\n", {""}},
        {"a\rb", {"a\rb"}},  // a lone CR stays (and shows as U+FFFD when drawn)
    };
    for (const Case& c : cases) {
        Text t(c.text);
        std::vector<std::string> got;
        for (const Line& l : t.lines) got.push_back(l.spans.empty() ? "" : l.spans[0].content);
        EXPECT_EQ(got, c.lines) << c.text;
    }
}

std::string line_row(const Line& line, std::uint16_t width) {
    Buffer buf(Rect{0, 0, width, 1});
    line.render(buf.area(), buf);
    return test::buffer_rows(buf)[0];
}

TEST(KitText, LineAlignmentAndCutting) {
    struct Case {
        Line line;
        std::uint16_t width;
        std::string row;
    } cases[] = {
        {Line("abcde"), 10, "abcde     "},
        // Line centring: floor((W - w) / 2).
        {Line("abcde").aligned(Alignment::Center), 10, "  abcde   "},
        {Line("abcd").aligned(Alignment::Center), 11, "   abcd    "},
        {Line("abcde").aligned(Alignment::Right), 10, "     abcde"},
        {Line("Hello World"), 6, "Hello "},
        {Line("Hello World").aligned(Alignment::Right), 6, " World"},
        {Line("Hello World").aligned(Alignment::Center), 6, "llo Wo"},
        {Line(std::vector<Span>{Span("ab"), Span("cd"), Span("ef")}).aligned(Alignment::Right), 3,
         "def"},
        // A wide glyph that does not fit is left out.
        {Line("abコ"), 3, "ab "},
        {Line("コab").aligned(Alignment::Right), 3, " ab"},  // the cut glyph leaves a blank
    };
    for (const Case& c : cases) EXPECT_EQ(line_row(c.line, c.width), c.row);
}

TEST(KitText, LineStyleFillsTheRowSpansLayerOnTop) {
    Buffer buf(Rect{0, 0, 5, 1});
    Line line(std::vector<Span>{Span("a", Style{}.with_fg(Color::Red)), Span("b")});
    line.with_style(Style{}.with_bg(Color::Blue).add(Modifier::Bold)).render(buf.area(), buf);
    EXPECT_EQ(buf.cell(0, 0)->fg, Color::Red);
    EXPECT_EQ(buf.cell(0, 0)->bg, Color::Blue);
    EXPECT_EQ(buf.cell(4, 0)->bg, Color::Blue);
    EXPECT_EQ(buf.cell(4, 0)->modifier, Modifier::Bold);
}

TEST(KitText, SpansAppendMarksAndResetBehindWideGlyphs) {
    Buffer buf(Rect{0, 0, 4, 1});
    buf.set_string(0, 0, "wxyz", Style{}.with_fg(Color::Red));
    // A lone zero-width space joins the cell before it; the cell behind コ is reset.
    Line("a\u200Bコ").render(buf.area(), buf);
    EXPECT_EQ(buf.cell(0, 0)->symbol, "a\u200B");
    EXPECT_EQ(buf.cell(1, 0)->symbol, "コ");
    EXPECT_EQ(*buf.cell(2, 0), Cell{});
    EXPECT_EQ(buf.cell(3, 0)->symbol, "z");
}

TEST(KitText, TextRendersOneLinePerRow) {
    Buffer buf(Rect{0, 0, 4, 2});
    Text("ab\ncd\nef").aligned(Alignment::Right).render(Rect{0, 0, 4, 60000}, buf);
    EXPECT_EQ(test::buffer_rows(buf), (Rows{"  ab", "  cd"}));
}

}  // namespace
}  // namespace tarnwick::tui
