#include <gtest/gtest.h>

#include "support/kit_rows.h"
#include "tui/kit/buffer.h"
#include "tui/kit/paragraph.h"
#include "tui/kit/reflow.h"
#include "tui/kit/width.h"

namespace tarnwick::tui {
namespace {

using Rows = std::vector<std::string>;

// The wrapped lines of one input line, as text.
Rows wrapped(std::string_view text, std::uint16_t width, bool trim) {
    InputLine line;
    for (const Grapheme& g : graphemes(text)) line.graphemes.push_back({g.symbol, {}, g.width});
    Rows out;
    for (const LaidOutLine& l : wrap_words({line}, width, trim)) {
        std::string s;
        for (const StyledGrapheme& g : l.graphemes) s.append(g.symbol);
        out.push_back(s);
    }
    return out;
}

TEST(KitParagraph, WordWrap) {
    struct Case {
        std::string_view text;
        std::uint16_t width;
        Rows trimmed, untrimmed;
    } cases[] = {
        {"hello world this is", 10, {"hello", "world this", "is"}, {"hello", "world this", "is"}},
        {"  indented text that wraps",
         10,
         {"indented", "text that", "wraps"},
         {"  indented", "text that", "wraps"}},
        {"  ab", 10, {"ab"}, {"  ab"}},
        {"abcdefghijklmnop", 10, {"abcdefghij", "klmnop"}, {"abcdefghij", "klmnop"}},
        {"ab abcdefghijkl cd", 10, {"ab", "abcdefghij", "kl cd"}, {"ab", "abcdefghij", "kl cd"}},
        {"aaaa    bbbb  cc", 10, {"aaaa", "bbbb  cc"}, {"aaaa", "bbbb  cc"}},
        {"Press Enter to continue, or Esc to go back",
         10,
         {"Press", "Enter to", "continue,", "or Esc to", "go back"},
         {"Press", "Enter to", "continue,", "or Esc to", "go back"}},
        {"ab  ", 10, {"ab  "}, {"ab  "}},
        {"", 10, {""}, {""}},
        {"    ", 10, {""}, {"", "    "}},
        {"abcdefg   hij", 7, {"abcdefg", "hij"}, {"abcdefg", "  hij"}},
        {"AAAAAAAAAAAAAAAAAAAA    AAA",
         20,
         {"AAAAAAAAAAAAAAAAAAAA", "AAA"},
         {"AAAAAAAAAAAAAAAAAAAA", "   AAA"}},
        {"  indented text that wraps",
         7,
         {"", "indente", "d text", "that", "wraps"},
         {"  inden", "ted", "text", "that", "wraps"}},
        {"xxxxxxxxxxxx xxxxxxxxx   ",
         11,
         {"xxxxxxxxxxx", "x xxxxxxxxx", ""},
         {"xxxxxxxxxxx", "x xxxxxxxxx", "", "  "}},
        // A glyph wider than the width is dropped; NBSP does not break.
        {"aコb", 1, {"a", "b"}, {"a", "b"}},
        {"ab\u00A0cd ef", 5, {"ab\u00A0cd", "ef"}, {"ab\u00A0cd", "ef"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(wrapped(c.text, c.width, true), c.trimmed) << "trim: " << c.text;
        EXPECT_EQ(wrapped(c.text, c.width, false), c.untrimmed) << "no trim: " << c.text;
    }
}

Rows draw(const Paragraph& p, std::uint16_t width, std::uint16_t height) {
    Buffer buf(Rect{0, 0, width, height});
    p.render(buf.area(), buf);
    return test::buffer_rows(buf);
}

TEST(KitParagraph, LinesSplitAndWrapPerLine) {
    EXPECT_EQ(draw(Paragraph(Text("ab\n\ncd\r\n")).wrap({true}), 4, 4),
              (Rows{"ab  ", "    ", "cd  ", "    "}));
}

TEST(KitParagraph, NoWrapTruncatesAndScrolls) {
    struct Case {
        std::string_view text;
        std::uint16_t scroll_x;
        std::string row;
    } cases[] = {
        {"abcdefghijkl", 0, "abcde"}, {"abcdefghijkl", 2, "cdefg"}, {"  abc", 2, "abc  "},
        {"コンピュ", 1, "コ ン  "},   {"コンピュ", 2, "ン ピ  "},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(draw(Paragraph(Text(c.text)).scroll(0, c.scroll_x), 5, 1)[0], c.row)
            << c.text << " scrolled " << c.scroll_x;
    }
}

TEST(KitParagraph, Alignment) {
    struct Case {
        Alignment alignment;
        std::uint16_t width;
        std::string_view text;
        std::string row;
    } cases[] = {
        {Alignment::Left, 10, "abcde", "abcde     "},
        {Alignment::Right, 10, "abcde", "     abcde"},
        // Paragraph centring: floor(W/2) - floor(w/2).
        {Alignment::Center, 10, "abcde", "   abcde  "},
        {Alignment::Center, 10, "abcd", "   abcd   "},
        {Alignment::Center, 11, "abcd", "   abcd    "},
        {Alignment::Center, 11, "abcde", "   abcde   "},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(draw(Paragraph(Text(c.text)).alignment(c.alignment), c.width, 1)[0], c.row);
    }
    // A line's own alignment wins.
    Text text(std::vector<Line>{Line("ab").aligned(Alignment::Right), Line("cd")});
    EXPECT_EQ(draw(Paragraph(text).alignment(Alignment::Center), 6, 2), (Rows{"    ab", "  cd  "}));
}

TEST(KitParagraph, BlockStylesAndVerticalScroll) {
    Buffer buf(Rect{0, 0, 8, 4});
    Text text(std::vector<Line>{Line("one"), Line::styled("two", Style{}.with_fg(Color::Red)),
                                Line("three"), Line("four")});
    Paragraph(text)
        .block(Block::bordered())
        .style(Style{}.with_bg(Color::Blue))
        .scroll(1, 0)
        .render(buf.area(), buf);
    EXPECT_EQ(test::buffer_rows(buf), (Rows{"┌──────┐", "│two   │", "│three │", "└──────┘"}));
    EXPECT_EQ(buf.cell(1, 1)->fg, Color::Red);
    // Inside a paragraph the line style colours only its glyphs.
    EXPECT_EQ(buf.cell(4, 1)->fg, Color::Reset);
    EXPECT_EQ(buf.cell(4, 1)->bg, Color::Blue);
}

TEST(KitParagraph, ControlCharactersNeverReachTheScreen) {
    EXPECT_EQ(draw(Paragraph(Text("a\x1b[2J\tb")), 8, 1)[0], "a\xEF\xBF\xBD[2J b ");
    EXPECT_EQ(draw(Paragraph(Text("a\x1b[2J\tb")).wrap({false}), 8, 1)[0], "a\xEF\xBF\xBD[2J b ");
}

TEST(KitParagraph, HugeAreasAreClipped) {
    Buffer buf(Rect{0, 0, 4, 2});
    Paragraph(Text("abcdef\nghijkl")).render(Rect{2, 1, 65535, 65535}, buf);
    EXPECT_EQ(test::buffer_rows(buf), (Rows{"    ", "  ab"}));
    Paragraph(Text("x")).render(Rect{65535, 65535, 65535, 65535}, buf);
    EXPECT_EQ(test::buffer_rows(buf), (Rows{"    ", "  ab"}));
}

}  // namespace
}  // namespace tarnwick::tui
