#include "core/text.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string_view>
#include <vector>

namespace tarnwick {
namespace {

struct LossyCase {
    std::string_view bytes;
    std::string_view expected;
};

TEST(DecodeLossy, ReplacesEachMaximalInvalidSubpart) {
    const LossyCase cases[] = {
        {"plain", "plain"},
        {"caf\xC3\xA9", "caf\xC3\xA9"},
        {"a\xFF"
         "b",
         "a\xEF\xBF\xBD"
         "b"},
        // A truncated three-byte sequence is one replacement, not two.
        {"\xE2\x82", "\xEF\xBF\xBD"},
        {"\xE2\x82"
         "x",
         "\xEF\xBF\xBD"
         "x"},
        // Surrogates and overlongs: each byte replaced on its own.
        {"\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"\xC0\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
        {"\xF4\x90\x80\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(decode_lossy(c.bytes), c.expected)
            << testing::PrintToString(std::string(c.bytes));
        EXPECT_EQ(is_valid_utf8(c.bytes), c.bytes == c.expected);
    }
}

TEST(Trim, UsesUnicodeWhiteSpace) {
    EXPECT_EQ(trim("  a b \t\n"), "a b");
    EXPECT_EQ(trim("\xC2\xA0x\xE3\x80\x80"), "x");  // NBSP and ideographic space
    EXPECT_EQ(trim_end("  hello \n"), "  hello");
    EXPECT_EQ(trim_start("\x0B\x0Cz "), "z ");
    EXPECT_EQ(trim("\xE2\x80\x8B"), "\xE2\x80\x8B");  // zero-width space is not White_Space
    EXPECT_EQ(trim(""), "");
}

TEST(SplitWords, SkipsRunsOfWhiteSpace) {
    const auto words = split_words("  inet 10.0.0.1\tnetmask\xE2\x80\x83 0xff ");
    ASSERT_EQ(words.size(), 4u);
    EXPECT_EQ(words[0], "inet");
    EXPECT_EQ(words[3], "0xff");
    EXPECT_TRUE(split_words(" \t ").empty());
}

TEST(SplitLines, DropsCarriageReturnsAndTheLastEmptyLine) {
    using Lines = std::vector<std::string_view>;
    EXPECT_EQ(split_lines(""), Lines{});
    EXPECT_EQ(split_lines("a"), Lines{"a"});
    EXPECT_EQ(split_lines("a\n"), Lines{"a"});
    EXPECT_EQ(split_lines("a\r\n\r\nb\r\r\n"), (Lines{"a", "", "b\r"}));
    EXPECT_EQ(split_lines("\n\n"), (Lines{"", ""}));
}

TEST(Chars, CountsAndCutsByCharacter) {
    EXPECT_EQ(char_count("h\xC3\xA9llo"), 5u);
    EXPECT_EQ(take_chars("h\xC3\xA9llo", 2), "h\xC3\xA9");
    EXPECT_EQ(take_chars("ab", 5), "ab");
}

TEST(EscapeControlChars, WritesControlsOutAndKeepsTheRest) {
    struct Case {
        std::string_view text;
        std::string doubled;
        std::string kept;
    };
    const Case cases[] = {
        {"a\x1b[2Jb\x07", "a\\033[2Jb\\007", "a\\033[2Jb\\007"},
        {"tab\tcr\rlf\ndel\x7f", "tab\tcr\\015lf\\012del\\177", "tab\tcr\\015lf\\012del\\177"},
        {std::string_view("nul\0", 4), "nul\\000", "nul\\000"},
        {"\xC2\x9B"
         "1m",
         "\\302\\2331m", "\\302\\2331m"},  // C1 CSI
        {"\x9B"
         "1m",
         "\xEF\xBF\xBD"
         "1m",
         "\xEF\xBF\xBD"
         "1m"},  // not UTF-8
        {"C:\\x \\033", "C:\\\\x \\\\033", "C:\\x \\033"},
        {"caf\xC3\xA9", "caf\xC3\xA9", "caf\xC3\xA9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text));
        EXPECT_EQ(escape_control_chars(c.text, Backslash::kDoubled), c.doubled);
        EXPECT_EQ(escape_control_chars(c.text, Backslash::kKept), c.kept);
    }
}

TEST(SystemErrorText, HasOsErrorSuffix) {
    EXPECT_EQ(system_error_text(EACCES), "Permission denied (os error 13)");
    EXPECT_EQ(system_error_text(ENOENT), "No such file or directory (os error 2)");
}

TEST(JoinPath, AddsOneSeparator) {
    EXPECT_EQ(join_path("/etc/tarnwick", "config.json"), "/etc/tarnwick/config.json");
    EXPECT_EQ(join_path("/etc/tarnwick/", "config.json"), "/etc/tarnwick/config.json");
    EXPECT_EQ(join_path("conf", "/abs/templates"), "/abs/templates");
    EXPECT_EQ(join_path("", "x"), "x");
}

}  // namespace
}  // namespace tarnwick
