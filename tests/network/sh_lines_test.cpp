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
// " open", " continued" or " unbalanced" for how the text ends, and " stops"
// when the shell may stop reading it before its end.
std::string shape(std::string_view text) {
    const ShLines sh = read_sh_lines(lines_of(text));
    std::string out;
    for (const bool starts : sh.starts_command) out += starts ? 'S' : '-';
    if (sh.ends_open) out += " open";
    if (sh.ends_continued) out += " continued";
    if (sh.unbalanced) out += " unbalanced";
    if (sh.may_stop) out += " stops";
    return out;
}

TEST(ShLines, FindsWhereCommandsBegin) {
    const std::pair<const char*, const char*> cases[] = {
        {"a=1\nb=2\n", "SS"},
        {"a=\"x\ny\"\nb=2\n", "S-S"},
        {"a='x\\'\nb=2\n", "SS"},                   // no escape in single quotes
        {"a=\"x\\\"\ny\"\nb=2\n", "S-S"},           // an escaped double quote
        {"a=x\\\ny\nb=2\n", "S-S"},                 // a continued line
        {"a=x\\\\\nb=2\n", "SS"},                   // an escaped backslash
        {"# it's \\\nb=2\n", "SS"},                 // a comment: no quote, no continuation
        {"a=x#'\nb'\nc=1\n", "S-S"},                // "#" inside a word is no comment
        {"a=\\\n#'\nb'\nc=1\n", "S--S"},            // nor where a continued word goes on
        {"a=1 \\\n# it's\nb=2\n", "S-S"},           // but after a blank it is one
        {"a=\"$(echo \")\nx\")\"\nc=1\n", "S-S"},   // quotes inside a substitution
        {"a=$( (f x)\n)\nb=1\n", "S-S"},            // nested parentheses
        {"a=$(f (x)\n)\nb=1\n", "S-S unbalanced"},  // no function there: nested all the same
        {"a=`echo \"\n\"`\nb=1\n", "S-S"},
        {"a=\"`\n#`\"\nb=1\n", "S-S"},  // no comment inside `...`
        // Nor a quote: the second backquote ends it, and the commands inside
        // are read afterwards, as the shell reads them: a quote they leave
        // open ends the script. A backslash before a double quote goes inside
        // double quotes or a here-document.
        {"a=`echo '`'\nb=1\n", "S- open unbalanced"},
        {"a=`echo \"`\nb=1\n", "SS unbalanced"},
        {"a=`echo \\\"`\nb=1\n", "SS"},
        {"a=\"`echo \\\"x\\\"`\"\nb=1\n", "SS"},
        {": <<EOF\n`echo \\\"`\nEOF\nb=1\n", "S--S unbalanced"},
        {"a=`echo \\`echo \"\\``\nb=1\n", "SS unbalanced"},
        {"a=\"${b:-\"x\"}\nc\"\nd=1\n", "S-S"},
        // An escaped quote in $'...': dash, which has no $'...', ends the
        // word at it.
        {"a=$'x\\'\nb'\nc=1\n", "S-S unbalanced"},
        {"a=\"$'\"\nb=1\n", "SS"},  // but no $'...' in double quotes
        {"a='x\n", "S open"},
        {"a=\"$(x\n", "S open"},
        {"a=x \\\n", "S continued"},
        {"", ""},
        // Here-documents: the body begins on the line after the command's
        // line and ends at its delimiter; its lines begin nothing.
        {": <<EOF\na'\nEOF\nb=1\n", "S--S"},
        {": <<-'EOF'\n\tx\n\tEOF\nb=1\n", "S--S"},
        {": <<\\EOF\n$(\nEOF\nb=1\n", "S--S"},          // quoted: nothing expands
        {": <<EOF\n$(\nEOF\n)\nEOF\nb=1\n", "S----S"},  // a substitution hides a delimiter
        {": <<EOF\nx\\\nEOF\nEOF\nb=1\n", "S---S"},     // and so does a joined line
        {": <<\"A\" <<B\na'\nA\nb\"\nB\nc=1\n", "S----S"},
        {"cat <<EOF; b='\n'\nbody\nEOF\nd=1\n", "S---S"},
        {"x=$(cat <<EOF\n)\nEOF\n)\nb=1\n", "S---S"},
        {": <<EOF\r\nx\r\nEOF\r\nb=1\r\n", "S--S"},  // DOS line endings
        {": <<EOF\nx\n", "S- unbalanced"},
        {"x=$(cat <<EOF)\nb\nEOF\n", "SSS unbalanced"},
        {": $((1<<2))\nb=1\n", "SS stops"},
        // Compound commands and functions.
        {"case $x in\n(a|b) c=$(echo) ;;\n*) esac\nf() { :; }\n", "SSSS"},
        {"a=$(case x in y) echo;; esac)\nb=1\n", "SS"},
        {"if true; then\n", "S unbalanced"},
        {"f() {\n", "S unbalanced"},
        {"for a in x\ndo\n", "SS unbalanced"},
        {"}\n", "S unbalanced"},
        {"a=1 &&\n", "S unbalanced"},
        {"a=1 >\n", "S unbalanced"},
        // What dash refuses: a list operator with no command before it, "!"
        // twice or inside a pipeline.
        {"; a=1\n", "S unbalanced"},
        {"a=1; ;\n", "S unbalanced"},
        {"a=1 &;\n", "S unbalanced"},
        {"a=1\n| b\n", "SS unbalanced"},
        {"! ! a=1\n", "S unbalanced"},
        {"a | ! b\n", "S unbalanced"},
        {"! a | b && ! c; { :; } && d\n", "S"},
        // A line joined by a backslash where names are looked at line by line.
        {"a=${b\\\n:=1}\n", "S- unbalanced"},
        {"a=$\\\n{b:=1}\n", "S- unbalanced"},
        {"a=\"$(\\\n(b=1))\"\n", "S- unbalanced"},
        {"a=\"x\\\ny\"\n", "S-"},
        // A carriage return in a delimiter, escaped or quoted: the body's
        // lines lose theirs.
        {": <<\"EOF\r\"\nx\nEOF\n", "S-- unbalanced"},
        // Where the shell may stop reading the text.
        {"exit\n", "S stops"},
        {"[ -f x ] || return\n", "S stops"},
        {"local a\n", "S stops"},
        {"f() { local a; return 1; }\n", "S"},
        {"exec true\n", "S stops"},
        {"exec >/dev/null 2>&1\n", "S"},
        {"set -e\n", "S stops"},
        {"set +u\n", "S stops"},
        {"set -- -e x\n", "S"},
        {"readonly a\n", "S stops"},
        {"alias a=b\n", "S stops"},
        {"eval 'exit'\n", "S stops"},
        {"command exit 1\n", "S stops"},
        {"eval 'a=1'\n", "S stops"},
        {". /etc/rc.conf.local\n", "S stops"},
        {"export a b=1 -p; unset -v a\n", "S"},
        {"export a-b\n", "S stops"},
        {"unset \"$x\"\n", "S stops"},
        {"f-1() { :; }\n", "S unbalanced"},
        {"\"f\"() { :; }\n", "S unbalanced"},
        {"x=$(exit 1) y=`return`\n", "S"},
        {": ${a?} ${b:?gone}\n", "S stops"},
        {": ${a:-x} ${#a}\n", "S"},
        {"a=$((1 + 2))\n", "S stops"},
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
        {"a=1;b=2\\\nc\n", 1},  // a later word goes on on the next line
        {"a=1; a=2\\\n\\\nc\nd=1\n", 2},
        {"a=1 # it's \\\nb=2\n", 0},
        {"a=1 b=\"x\ny\" c=3\nd=4\n", 1},  // a quote opened after the word
        {"a=\"x\n", 0},                    // runs off the end: the last line
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(setting_span(lines_of(text), 0).end, expected) << text;
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
        const WordEnd end = setting_span(lines, 0).word;
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

// Each use of "a" as "<line><kind>": L begins a line's command, I later in
// a list, U unsure.
std::string uses_of_a(std::string_view text) {
    std::string out;
    for (const VarUseAt& use : variable_uses(lines_of(text), "a")) {
        if (!out.empty()) out += ' ';
        out += std::to_string(use.line);
        out += use.use == VarUse::LineStart ? 'L' : use.use == VarUse::InList ? 'I' : 'U';
    }
    return out;
}

TEST(ShLines, FindsEveryUseOfAVariable) {
    const std::pair<const char*, const char*> cases[] = {
        {"a=1\n  a=2 b=3; a=4 && a=5 || x\n", "0L 1L 1I 1I"},
        {"b=1 a=2\n! a=3\nx &&\na=4\n", "0I 1I 3I"},
        {"a=\"x\ny\" a=2\n", "0L 1I"},
        {"a=1 cmd\ncmd a=1\na=1 :\n", "0U 1U 2U"},
        {"readonly 'a'\nexport a\nunset a\nread -r a\ngetopts x a\nlocal a\nsetvar a 1\n",
         "0U 1U 2U 3U 4U 5U 6U"},
        {"eval \"x; a=1\"\necho a\neval '$a=1'\n", "0U 1U 2U"},
        {"echo ab ba a_b \"$a\" ${a} ${#a} $((a)) `echo a`\n", ""},
        {"a=1 | b\nb | a=1\na=1 &\na=1 && b &\n", "0U 1U 2U 3U"},
        {"{ a=1; }\n(a=1)\nif a=1; then a=2; fi\nwhile :; do a=1; done\n", "0U 1U 2U 2U 3U"},
        {"for a in x; do :; done\ncase a in a) a=1;; esac\n", "0U 1U"},
        {"f() a=1\nf() {\n  a=1\n}\nf\n", "0U 2U"},
        // Expansions that assign; quotes only go, so eval would see the third.
        {": ${a=1} \"${a:=2}\" '${a=3}' ${a-4} ${ab=5}\n", "0U 0U 0U"},
        {": $((a=1)) $((a += 2)) $(((a)<<=1)) $((a == 1)) $((ab=1))\n", "0U 0U"},
        {"x=$(a=1) y=`a=1` z=\"a=1\" # a=1\n", ""},
        {": <<EOF\na=1\nb=$a\n${a:=2}\nEOF\n", "1U 3U"},
        {": <<EOF\nx a\\\n=1\nEOF\n", "2U"},  // the body's lines as the shell joins them
        {": <<'EOF'\nx a\\\n=1\nEOF\n", ""},  // not in a quoted one
        {": <<'EOF'\nx\nEOF\na=1\n", "3L"},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(uses_of_a(text), expected) << text;
    }
}

TEST(ShLines, TellsWhatAReplacedLineWouldLose) {
    const std::pair<const char*, bool> assigns[] = {
        {"; a=2", true},
        {"; a=\"x\ny\" && a=3 # c", true},
        {"", true},
        {"; b=2", false},
        {"; a=2 cmd", false},
        {"; a=2 &&", false},
        {"; a=2 <<EOF", false},
        {"; a=2 | a=3", false},
        {"; { a=2; }", false},
        {"; a=$(x", false},
    };
    for (const auto& [text, expected] : assigns) {
        EXPECT_EQ(only_assigns(lines_of(text), "a"), expected) << text;
    }
    struct Expanding {
        const char* text;
        bool assign;
        bool run;
    };
    const Expanding expanding[] = {
        {"a=${b=1}", true, false},        {"a=\"${b:=1}\"", true, false},
        {"a=${b:-1}${#b}", false, false}, {"a='${b:=1}' # ${c:=1}", false, false},
        {"a=$(b=1)", false, true},        {"a=\"`x`\"", false, true},
        {"a=$(( b = 1 ))", true, false},  {"a=$(( b == 1 ))", false, false},
    };
    for (const Expanding& e : expanding) {
        const Expansions found = expansions_in(lines_of(e.text));
        EXPECT_EQ(found.assign, e.assign) << e.text;
        EXPECT_EQ(found.run, e.run) << e.text;
    }
    const std::pair<const char*, bool> commands[] = {
        {"a = 'x'", true},     {"a = x ;", true},   {"a = x # c; d", true}, {"a = x; b", false},
        {"a = x && b", false}, {"a = x >f", false}, {"a = x <<EOF", false}, {"{ a = x; }", false},
        {"a = x &", false},    {"a = 'x", false},
    };
    for (const auto& [text, expected] : commands) {
        EXPECT_EQ(one_plain_command(lines_of(text)), expected) << text;
    }
}

}  // namespace
}  // namespace tarnwick::app
