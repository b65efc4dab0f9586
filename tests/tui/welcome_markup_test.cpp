#include "tui/welcome/markup.h"

#include <gtest/gtest.h>

#include <ostream>

namespace tarnwick::tui {

// Found by gtest through argument-dependent lookup.
void PrintTo(const MarkupSpan& span, std::ostream* out);
void PrintTo(const MarkupSpan& span, std::ostream* out) {
    *out << '"' << span.text << '"' << (span.bold ? " bold" : "")
         << (span.underline ? " underline" : "") << (span.italic ? " italic" : "")
         << (span.dim ? " dim" : "");
}

namespace {

MarkupSpan plain(std::string text) {
    return MarkupSpan{std::move(text)};
}
MarkupSpan bold(std::string text) {
    return MarkupSpan{std::move(text), true};
}
MarkupSpan italic(std::string text) {
    return MarkupSpan{std::move(text), false, false, true};
}
MarkupSpan dim(std::string text) {
    return MarkupSpan{std::move(text), false, false, false, true};
}
MarkupSpan bold_underline(std::string text) {
    return MarkupSpan{std::move(text), true, true};
}

TEST(InlineMarkup, StylesRunsBetweenMarkers) {
    const struct {
        const char* text;
        std::vector<MarkupSpan> expected;
    } cases[] = {
        {"Hello **World**", {plain("Hello "), bold("World")}},
        {"a*b", {plain("a"), plain("*b")}},
        {"**x", {plain("**x")}},
        {"a**b", {plain("a"), plain("**b")}},
        {"__init__", {bold_underline("init")}},
        {"`code`", {dim("code")}},
        {"~~old~~", {dim("old")}},
        {"~", {plain("~")}},
        {"a ~ b", {plain("a ~ b")}},
        {"**a *b* c**", {bold("a *b* c")}},
        {"*it* and _it_", {italic("it"), plain(" and "), italic("it")}},
        {"****", {bold("")}},
        {"**a**b", {bold("a"), plain("b")}},
        {"***", {plain("**"), plain("*")}},
        {"_\xC3\xA9t\xC3\xA9_ caf\xC3\xA9", {italic("\xC3\xA9t\xC3\xA9"), plain(" caf\xC3\xA9")}},
        {"", {plain("")}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parse_inline_markup(c.text), c.expected) << c.text;
    }
}

TEST(MarkupLine, HeadingsItemsAndRules) {
    const struct {
        const char* line;
        MarkupLine expected;
    } cases[] = {
        {"# Title", {bold_underline("Title")}},
        {"## Sub", {bold("Sub")}},
        {"### Small *x*", {bold("Small "), MarkupSpan{"x", true, false, true}}},
        {"#### x", {plain("#### x")}},
        {"#x", {plain("#x")}},
        {"- item", {plain("\xE2\x80\xA2 "), plain("item")}},
        {"* **b**", {plain("\xE2\x80\xA2 "), bold("b")}},
        {"-x", {plain("-x")}},
        {"  ---  ", {}},
        {"***", {}},
        {" \t", {}},
        {"  text  ", {plain("text")}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parse_markup_line(c.line), c.expected) << c.line;
    }
}

TEST(WelcomeMarkup, SplitsLinesAndDropsTrailingEmptyOnes) {
    const auto lines = parse_welcome_markup("# Hi\n\npara\n\n---\n  \n");
    ASSERT_EQ(lines.size(), 3U);
    EXPECT_EQ(lines[0], (MarkupLine{bold_underline("Hi")}));
    EXPECT_TRUE(lines[1].empty());
    EXPECT_EQ(lines[2], (MarkupLine{plain("para")}));

    EXPECT_EQ(parse_welcome_markup("a\r\nb\r\n"), parse_welcome_markup("a\nb\n"));
    EXPECT_EQ(parse_welcome_markup("a\nb").size(), 2U);
    EXPECT_TRUE(parse_welcome_markup("").empty());
    EXPECT_TRUE(parse_welcome_markup("\n---\n***\n").empty());
    // A line of empty emphasis shows nothing either.
    EXPECT_TRUE(parse_welcome_markup("a\n****\n").size() == 1U);
}

}  // namespace
}  // namespace tarnwick::tui
