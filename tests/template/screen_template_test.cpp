#include "template/screen/screen_template.h"

#include "core/read_file.h"

#include "support/scratch_dir.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <functional>

namespace tarnwick::tmpl {
namespace {

// Everything before the first widget: the widget text starts at column 68.
constexpr std::string_view kHead =
    R"({"schema_version":"1.0","screen_id":"s","title_key":"t","widgets":[)";

std::string with_widget(std::string_view widget) {
    return std::string(kHead) + std::string(widget) + "]}";
}

std::string outcome(std::string_view text) {
    auto screen = tmpl::parse_screen_template(text);
    return screen ? "ok" : tmpl::display_screen_template_error(screen.error());
}

struct ErrorCase {
    std::string text;
    std::string expected;
};

TEST(ParseScreenTemplate, ReportsEachFaultWithWhereAStreamingReaderFindsIt) {
    const ErrorCase cases[] = {
        // Wrong type: a scalar is judged after it was read, a container before.
        {with_widget("5"),
         "JSON: invalid type: integer `5`, expected struct Widget at line 1 column 68"},
        {with_widget(R"("x")"),
         R"(JSON: invalid type: string "x", expected struct Widget at line 1 column 70)"},
        {"null", "JSON: invalid type: null, expected struct ScreenTemplate at line 1 column 4"},
        {with_widget(R"({"type":"item","id":7})"),
         "JSON: invalid type: integer `7`, expected a string at line 1 column 88"},
        {with_widget(R"({"type":"item","id":true})"),
         "JSON: invalid type: boolean `true`, expected a string at line 1 column 91"},
        {with_widget(R"({"type":"item","id":"a","children":null})"),
         "JSON: invalid type: null, expected a sequence at line 1 column 106"},
        {with_widget(R"({"type":"item","id":"a","children":{}})"),
         "JSON: invalid type: map, expected a sequence at line 1 column 102"},
        {with_widget(R"({"type":"item","id":"a","position":"top"})"),
         R"(JSON: invalid type: string "top", expected struct Position at line 1 column 107)"},
        {R"({"schema_version":"1.0","screen_id":"s","title_key":"t","widgets":"a\"b"})",
         R"(JSON: invalid type: string "a\"b", expected a sequence at line 1 column 72)"},
        // Columns count bytes: "é" takes two.
        {R"(["1.0","é","t",5])",
         "JSON: invalid type: integer `5`, expected a sequence at line 1 column 17"},

        // 16-bit coordinates.
        {with_widget(R"({"type":"item","id":"a","position":{"x":70000,"y":0}})"),
         "JSON: invalid value: integer `70000`, expected u16 at line 1 column 112"},
        {with_widget(R"({"type":"item","id":"a","position":{"x":-1,"y":0}})"),
         "JSON: invalid value: integer `-1`, expected u16 at line 1 column 109"},
        {with_widget(R"({"type":"item","id":"a","position":{"x":1.5,"y":0}})"),
         "JSON: invalid type: floating point `1.5`, expected u16 at line 1 column 110"},
        {with_widget(R"({"type":"item","id":"a","position":{"x":0,"y":0,"width":65536}})"),
         "JSON: invalid value: integer `65536`, expected u16 at line 1 column 128"},

        // Missing fields are noticed at the closing brace, in field order.
        {with_widget("{}"), "JSON: missing field `type` at line 1 column 69"},
        {with_widget(R"({"type":"item"})"), "JSON: missing field `id` at line 1 column 82"},
        {with_widget(R"({"type":"item","id":"a","position":{"x":1}})"),
         "JSON: missing field `y` at line 1 column 109"},
        {R"({"title_key":"t"})", "JSON: missing field `schema_version` at line 1 column 17"},
        {"{\n  \"schema_version\": \"1.0\",\n  \"screen_id\": \"main\",\n  \"title_key\": \"t\",\n"
         "  \"widgets\": [\n    {\"type\": \"item\"\n    }\n  ]\n}\n",
         "JSON: missing field `id` at line 7 column 5"},

        // A repeated field is noticed right after its key (and the blanks before the colon).
        {with_widget(R"({"type":"item","id":"a","id":"b"})"),
         "JSON: duplicate field `id` at line 1 column 95"},
        {R"({"schema_version":"1.0", "schema_version"  : "1.0"})",
         "JSON: duplicate field `schema_version` at line 1 column 43"},

        // Sequence form: too short at the closing bracket, too long at the extra element.
        {with_widget(R"(["item"])"),
         "JSON: invalid length 1, expected struct Widget with 7 elements at line 1 column 75"},
        {with_widget("[]"),
         "JSON: invalid length 0, expected struct Widget with 7 elements at line 1 column 69"},
        {R"(["1.0","s","t"])",
         "JSON: invalid length 3, expected struct ScreenTemplate with 4 elements at line 1 column "
         "15"},
        {with_widget(R"({"type":"item","id":"a","position":[1]})"),
         "JSON: invalid length 1, expected struct Position with 4 elements at line 1 column 105"},
        {with_widget(R"(["item","a",null,null,[],null,"always",1])"),
         "JSON: trailing characters at line 1 column 107"},

        // Conditions.
        {with_widget(R"({"type":"item","id":"a","condition":"sometimes"})"),
         "JSON: unknown variant `sometimes`, expected one of `always`, `user_is_admin`, `never` at "
         "line 1 column 114"},
        {with_widget(R"({"type":"item","id":"a","condition":{"maybe":null}})"),
         "JSON: unknown variant `maybe`, expected one of `always`, `user_is_admin`, `never` at "
         "line 1 column 111"},
        {with_widget(R"({"type":"item","id":"a","condition":"Always"})"),
         "JSON: unknown variant `Always`, expected one of `always`, `user_is_admin`, `never` at "
         "line 1 column 111"},
        {with_widget(R"({"type":"item","id":"a","condition":{"never":1}})"),
         "JSON: invalid type: integer `1`, expected unit at line 1 column 113"},
        {with_widget(R"({"type":"item","id":"a","condition":null})"),
         "JSON: expected value at line 1 column 104"},
        {with_widget(R"({"type":"item","id":"a","condition":5})"),
         "JSON: expected value at line 1 column 104"},
        {with_widget(R"({"type":"item","id":"a","condition":{}})"),
         "JSON: expected value at line 1 column 105"},
        {with_widget(R"({"type":"item","id":"a","condition":{"never":null,"always":null}})"),
         "JSON: expected value at line 1 column 116"},

        // The first fault in document order wins.
        {with_widget(R"({"id":5,"type":6})"),
         "JSON: invalid type: integer `5`, expected a string at line 1 column 74"},

        // Syntax: what follows the value, a byte-order mark.
        {with_widget(R"({"type":"item","id":"a"})") + " x",
         "JSON: trailing characters at line 1 column 95"},
        {"\xEF\xBB\xBF" + with_widget(R"(["item","a"])"),
         "JSON: expected value at line 1 column 1"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(outcome(c.text), c.expected) << c.text;
    }
}

TEST(ParseScreenTemplate, ReadsBothFormsWithDefaults) {
    auto screen = tmpl::parse_screen_template(
        " \n" +
        with_widget(
            R"(["item","sysinfo"],)"
            R"({"comment":"x","comment":1,"type":"menu","id":"m","label_key":null,"position":null,)"
            R"("action":"al\u0077ays","condition":{"user_is_admin":null},)"
            R"("children":[["info","i","k",{"x":1,"y":2},[],"shell","never"],)"
            R"({"type":"panel","id":"p","position":[3,4,5],"condition":"al\u0077ays"}]})") +
        "\r\n\t");
    ASSERT_TRUE(screen) << tmpl::display_screen_template_error(screen.error());
    ASSERT_EQ(screen->widgets.size(), 2u);

    const tmpl::Widget& plain = screen->widgets[0];
    EXPECT_EQ(plain,
              (tmpl::Widget{"item", "sysinfo", {}, {}, {}, {}, tmpl::WidgetCondition::Always}));

    const tmpl::Widget& menu = screen->widgets[1];
    EXPECT_EQ(menu.type, "menu");
    EXPECT_FALSE(menu.label_key);
    EXPECT_FALSE(menu.position);
    EXPECT_EQ(menu.action, "always");  // escapes decoded
    EXPECT_EQ(menu.condition, tmpl::WidgetCondition::UserIsAdmin);
    ASSERT_EQ(menu.children.size(), 2u);
    EXPECT_EQ(menu.children[0], (tmpl::Widget{"info",
                                              "i",
                                              "k",
                                              tmpl::Position{1, 2, {}, {}},
                                              {},
                                              "shell",
                                              tmpl::WidgetCondition::Never}));
    EXPECT_EQ(menu.children[1].position, (tmpl::Position{3, 4, 5, {}}));
    EXPECT_EQ(menu.children[1].condition, tmpl::WidgetCondition::Always);

    auto sequence = tmpl::parse_screen_template(R"(["1.0","s","t",[]])");
    ASSERT_TRUE(sequence);
    EXPECT_EQ(*sequence, (tmpl::ScreenTemplate{"1.0", "s", "t", {}}));

    auto full = tmpl::parse_screen_template(with_widget(
        R"({"type":"item","id":"a","position":{"x":65535,"y":0,"width":null,"height":7}})"));
    ASSERT_TRUE(full);
    EXPECT_EQ(full->widgets[0].position, (tmpl::Position{65535, 0, {}, 7}));
}

// Nested widgets: "widgets" is level 2, widget k's object is level 2k+1 and
// its children array 2k+2; 128 levels are allowed.
std::string nested_widgets(int levels) {
    std::string text(kHead);
    for (int i = 0; i < levels; ++i) {
        text += R"({"type":"menu","id":"m")";
        if (i + 1 < levels) text += R"(,"children":[)";
    }
    for (int i = 0; i < levels; ++i) {
        text += "}";
        if (i + 1 < levels) text += "]";
    }
    return text + "]}";
}

TEST(ParseScreenTemplate, LimitsNesting) {
    EXPECT_EQ(outcome(nested_widgets(63)), "ok");
    const std::string deep = nested_widgets(64);
    EXPECT_EQ(outcome(deep), "JSON: recursion limit exceeded at line 1 column " +
                                 std::to_string(kHead.size() + 63 * 36 + 1));
}

class ScreenDir : public testing::Test {
protected:
    test::ScratchDir dir;
    static std::string screen(std::string_view id) {
        return R"({"schema_version":"1.0","screen_id":")" + std::string(id) +
               R"(","title_key":"t","widgets":[]})";
    }
    std::string load_text() {
        auto screens = tmpl::load_screen_dir(dir.path());
        if (!screens) return tmpl::display_screen_template_error(screens.error());
        std::string ids;
        for (const auto& s : *screens) ids += s.screen_id + ";";
        return ids;
    }
};

TEST_F(ScreenDir, MissingOrNonFolderGivesNoTemplates) {
    auto missing = tmpl::load_screen_dir(dir.file("absent"));
    ASSERT_TRUE(missing);
    EXPECT_TRUE(missing->empty());
    dir.write("plain", "x");
    auto file = tmpl::load_screen_dir(dir.file("plain"));
    ASSERT_TRUE(file);
    EXPECT_TRUE(file->empty());
}

TEST_F(ScreenDir, LoadsOnlyJsonExtensionInDirectoryOrder) {
    dir.write("a.json", screen("a"));
    dir.write("z.json", screen("z"));
    dir.write("b.txt", "not json");
    dir.write(".json", "not json");
    dir.write("c.JSON", "not json");
    dir.write("json", "not json");
    // The order is the listing's own, not sorted.
    std::string expected;
    DIR* listing = ::opendir(dir.path().c_str());
    ASSERT_NE(listing, nullptr);
    while (const dirent* entry = ::readdir(listing)) {
        const std::string name = entry->d_name;
        if (name == "a.json" || name == "z.json") expected += name.substr(0, 1) + ";";
    }
    ::closedir(listing);
    EXPECT_EQ(load_text(), expected);
}

TEST_F(ScreenDir, FirstFailureEndsTheWholeLoad) {
    struct Case {
        std::string name;
        std::string content;
        std::string expected;
    };
    const Case cases[] = {
        {"bad.json", R"({"schema_version":"1.1","screen_id":"x","title_key":"t","widgets":[]})",
         "unsupported schema version: 1.1"},
        {"bad.json", R"({"schema_version":"1.0","screen_id":"","title_key":"t","widgets":[]})",
         "missing required field: screen_id"},
        {"bad.json", with_widget(R"({"type":"Menu","id":"m"})"), "unknown widget type: Menu"},
        {"bad.json",
         with_widget(R"({"type":"menu","id":"m","children":[{"type":"item","id":""}]})"),
         "missing required field: id"},
        {"bad.json", "{", "JSON: EOF while parsing an object at line 1 column 1"},
        {"bad.json", "\xFF", "IO: stream did not contain valid UTF-8"},
    };
    for (const auto& c : cases) {
        test::ScratchDir local;
        local.write("good.json", screen("good"));
        local.write(c.name, c.content);
        auto screens = tmpl::load_screen_dir(local.path());
        ASSERT_FALSE(screens) << c.content;
        EXPECT_EQ(tmpl::display_screen_template_error(screens.error()), c.expected);
    }
}

TEST_F(ScreenDir, FolderNamedJsonIsAnIoError) {
    dir.mkdir("x.json");
    EXPECT_EQ(load_text(), "IO: Is a directory (os error 21)");
}

TEST_F(ScreenDir, OnlyRegularFilesWithinTheCapAreRead) {
    const struct {
        const char* what;
        std::function<void(const test::ScratchDir&)> make;
        const char* expected;
    } cases[] = {
        {"FIFO",
         [](const test::ScratchDir& d) {
             ASSERT_EQ(::mkfifo(d.file("pipe.json").c_str(), 0600), 0);
         },
         "IO: Invalid argument (os error 22)"},
        {"link to /dev/zero",
         [](const test::ScratchDir& d) {
             ASSERT_EQ(::symlink("/dev/zero", d.file("zero.json").c_str()), 0);
         },
         "IO: Invalid argument (os error 22)"},
        {"over the cap",
         [](const test::ScratchDir& d) {
             d.write("large.json", "{}" + std::string(kMaxConfigFileBytes, ' '));
         },
         "IO: file is larger than 1048576 bytes"},
    };
    for (const auto& c : cases) {
        test::ScratchDir local;
        c.make(local);
        auto screens = load_screen_dir(local.path());
        ASSERT_FALSE(screens) << c.what;
        EXPECT_EQ(display_screen_template_error(screens.error()), c.expected) << c.what;
    }
}

}  // namespace
}  // namespace tarnwick::tmpl
