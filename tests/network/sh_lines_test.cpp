#include "app/network/sh_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/text.h"

namespace tarnwick::app {
namespace {

std::vector<std::string> lines_of(std::string_view text) {
    std::vector<std::string> lines;
    for (const std::string_view line : split_lines(text)) lines.emplace_back(line);
    return lines;
}

// One letter per line: "S" begins a command, "-" continues one; then
// " open" or " continued" for how the text ends.
std::string shape(std::string_view text) {
    const ShLines sh = read_sh_lines(lines_of(text));
    std::string out;
    for (const bool starts : sh.starts_command) out += starts ? 'S' : '-';
    if (sh.ends_open) out += " open";
    if (sh.ends_continued) out += " continued";
    return out;
}

TEST(ShLines, FindsWhereCommandsBegin) {
    const std::pair<const char*, const char*> cases[] = {
        {"a=1\nb=2\n", "SS"},
        {"a=\"x\ny\"\nb=2\n", "S-S"},
        {"a='x\\'\nb=2\n", "SS"},                  // no escape in single quotes
        {"a=\"x\\\"\ny\"\nb=2\n", "S-S"},          // an escaped double quote
        {"a=x\\\ny\nb=2\n", "S-S"},                // a continued line
        {"a=x\\\\\nb=2\n", "SS"},                  // an escaped backslash
        {"# it's \\\nb=2\n", "SS"},                // a comment: no quote, no continuation
        {"a=x#'\nb'\nc=1\n", "S-S"},               // "#" inside a word is no comment
        {"a=\\\n#'\nb'\nc=1\n", "S--S"},           // nor where a continued word goes on
        {"a=1 \\\n# it's\nb=2\n", "S-S"},          // but after a blank it is one
        {"a=\"$(echo \")\nx\")\"\nc=1\n", "S-S"},  // quotes inside a substitution
        {"a=$(f (x)\n)\nb=1\n", "S-S"},            // nested parentheses
        {"a=`echo \"\n\"`\nb=1\n", "S-S"},
        {"a=\"`\n#`\"\nb=1\n", "S-S"},      // no comment inside `...`
        {"a=`echo '`'\nb=1\n", "S- open"},  // nor a quote: the second backquote ends it
        {"a=\"${b:-\"x\"}\nc\"\nd=1\n", "S-S"},
        {"a=$'x\\'\nb'\nc=1\n", "S-S"},  // an escaped quote in $'...'
        {"a=\"$'\"\nb=1\n", "SS"},       // but no $'...' in double quotes
        {"a='x\n", "S open"},
        {"a=\"$(x\n", "S open"},
        {"a=x \\\n", "S continued"},
        {"", ""},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(shape(text), expected) << text;
    }
}

TEST(ShLines, FindsWhereASettingEnds) {
    const std::pair<const char*, std::size_t> cases[] = {
        {"a=1 \\\nb=2\n", 0},  // the blank ends the word
        {"  a=\"x\ny\" z\n", 1},
        {"a=x\\\ny\\\nz\nb=1\n", 2},
        {"a='x\ny'\"\nz\"\nb=1\n", 2},
        {"a=$(x\n)\n", 1},
        {"a=1;b=2\\\nc\n", 0},
        {"a=1 # it's \\\nb=2\n", 0},
        {"a=1 b=\"x\ny\" c=3\nd=4\n", 1},  // a quote opened after the word
        {"a=\"x\n", 0},                    // runs off the end: the last line
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(setting_end_line(lines_of(text), 0), expected) << text;
    }
}

TEST(ShLines, FindsWhereTheCommandWordEnds) {
    struct Case {
        const char* text;
        std::size_t line;
        std::size_t column;
        bool more;  // what follows the word holds more than a comment
    };
    const Case cases[] = {
        {"a=1\n", 0, 3, false},
        {"  a=\"x y\"; b=2\n", 0, 9, true},
        {"a='x\ny' # note\n", 1, 2, false},
        {"a=x\\\ny \\\nb=1\n", 1, 1, false},  // only a continuing backslash after it
        {"a=$(f x)&\n", 0, 8, true},
        {"a=1 b=2\n", 0, 3, true},
        {"a=1 \r\r\n", 0, 3, false},  // a DOS line ending with a carriage return too many
        {"a=1 \rb=2\n", 0, 3, true},
        {"a=\"x\n", 0, 4, false},  // runs off the end
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::vector<std::string> lines = lines_of(c.text);
        const WordEnd end = command_word_end(lines, 0);
        EXPECT_EQ(end.line, c.line);
        EXPECT_EQ(end.column, c.column);
        EXPECT_EQ(holds_more_than_a_comment(std::string_view(lines[end.line]).substr(end.column)),
                  c.more);
    }
}

TEST(ShLines, FindsTheKeyAssignedAgainOnTheLine) {
    const std::pair<const char*, bool> cases[] = {
        {"; a=2", true},    {" b=1 a=2", true}, {"&&a=2", true},
        {" ab=2", false},   {" ba=2", false},   {" note=\"x a=2\"", false},
        {" $(a=2)", false}, {" # a=2", false},  {"", false},
    };
    for (const auto& [rest, expected] : cases) {
        EXPECT_EQ(assigns_again(rest, "a"), expected) << rest;
    }
}

}  // namespace
}  // namespace tarnwick::app
