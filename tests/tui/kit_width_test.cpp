#include <gtest/gtest.h>

#include "tui/kit/width.h"

namespace tarnwick::tui {
namespace {

std::string joined(std::string_view text) {
    std::string out;
    for (const Grapheme& g : graphemes(text)) {
        if (!out.empty()) out += "|";
        out.append(g.symbol);
    }
    return out;
}

TEST(KitWidth, DisplayWidth) {
    struct Case {
        std::string_view text;
        std::size_t width;
    } cases[] = {
        {"", 0},
        {"hello", 5},
        {"コンピュ", 8},
        {"e\xCC\x81", 1},                         // e + combining acute
        {"\xE2\x94\x80\xE2\x94\x82", 2},          // box drawing is narrow
        {"\xC2\xB7", 1},                          // middle dot
        {"\xE2\x96\xB6 ", 2},                     // ▶ and a blank
        {"\xF0\x9F\x98\x80", 2},                  // emoji
        {"\xE2\x9D\xA4\xEF\xB8\x8F", 2},          // heart + presentation selector
        {"\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD", 2},  // thumbs up + skin tone
        {"\xE2\x80\x8B", 0},                      // zero-width space
    };
    for (const Case& c : cases) EXPECT_EQ(display_width(c.text), c.width) << c.text;
}

TEST(KitWidth, ClustersKeepCombiningMarks) {
    EXPECT_EQ(joined("ae\xCC\x81z"), "a|e\xCC\x81|z");
    EXPECT_EQ(joined("\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD!"), "\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD|!");
}

// Nothing a log line, host name or command output holds may reach the
// terminal as a control character.
TEST(KitWidth, ControlCharactersAreReplaced) {
    const std::string fffd = "\xEF\xBF\xBD";
    struct Case {
        std::string text;
        std::string shown;
    } cases[] = {
        {"a\x1b[2Jb", "a|" + fffd + "|[|2|J|b"},
        {"a\tb", "a| |b"},
        {"a\nb", "a|b"},
        {"a\r\nb", "a|b"},
        {"a\rb", "a|" + fffd + "|b"},
        {std::string("a\0b", 3), "a|" + fffd + "|b"},
        {"a\x7f"
         "b",
         "a|" + fffd + "|b"},
        {"a\xC2\x9B"
         "b",
         "a|" + fffd + "|b"},  // C1 CSI
        {"a\xC2\x85"
         "b",
         "a|" + fffd + "|b"},  // C1 NEL
        {"a\xFF"
         "b",
         "a|" + fffd + "|b"},                  // invalid UTF-8
        {"\x1b\xCC\x81", fffd + "|\xCC\x81"},  // a mark cannot join a control
    };
    for (const Case& c : cases) EXPECT_EQ(joined(c.text), c.shown);
    EXPECT_EQ(display_width("a\x1b"
                            "b\tc"),
              5u);
}

}  // namespace
}  // namespace tarnwick::tui
