#include "twml_fixture.h"

#include "core/read_file.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <span>

namespace tarnwick::tmpl {
namespace {

struct ErrorCase {
    const char* what;
    std::string page;
    std::string expected;
};

// Each page loaded in a fresh template folder.
void expect_outcomes(std::span<const ErrorCase> cases) {
    for (const auto& c : cases) {
        TemplateFolder folder;
        EXPECT_EQ(outcome(folder.load(c.page)), c.expected) << c.what;
    }
}

std::string nested_sections(int levels) {
    std::string open;
    std::string close;
    for (int i = 0; i < levels; ++i) {
        open += "<section>";
        close += "</section>";
    }
    return "<screen id=\"p\">" + open + close + "</screen>";
}

TEST(LoadPage, ReportsEachFaultWithItsText) {
    const ErrorCase cases[] = {
        {"not utf-8", "<screen id=\"\xFF\"/>", "IO: stream did not contain valid UTF-8"},
        {"empty file", "", "XML parse: no element found at 1:1"},
        {"mismatched tag", "<screen id=\"p\">\n  <main></menu>\n</screen>",
         "XML parse: mismatched tag at 2:11"},
        {"two roots", "<screen id=\"p\"/><screen id=\"q\"/>",
         "XML parse: junk after document element at 1:17"},
        {"text after root", "<screen id=\"p\"/>x",
         "XML parse: junk after document element at 1:17"},
        {"attribute twice", "<screen id=\"p\" id=\"q\"/>",
         "XML parse: duplicate attribute at 1:16"},
        {"schema", "<screen id=\"p\" schema=\"2.1\"/>", "unsupported schema: 2.1"},
        {"root", "<page id=\"p\"/>", "document root must be <screen> for a page"},
        {"no id", "<screen/>", "screen missing id"},
        {"require", "<screen id=\"p\" require=\"Admin\"/>", "unknown capability: Admin"},
        {"item require", page_with("<menu><item require=\"root\"/></menu>"),
         "unknown capability: root"},
        {"field require", page_with("<field require=\"x\"/>"), "unknown capability: x"},
        {"field type", page_with("<field type=\"integer\"/>"), "unknown field type: integer"},
        {"tag", page_with("<button/>"), "unknown tag: button"},
        {"import below root", page_with("<import href=\"x.twml\"/>"), "unknown tag: import"},
        {"definition below root", page_with("<define-component name=\"c\"/>"),
         "unknown tag: define-component"},
        {"screen below root", page_with("<screen id=\"q\"/>"), "unknown tag: screen"},
        {"duplicate id",
         page_with("<section><field id=\"a\"/></section><section><field id=\"a\"/></section>"),
         "duplicate field id: a"},
        {"17 levels", nested_sections(17), "nesting too deep"},
    };
    expect_outcomes(cases);
}

TEST(LoadPage, RefusesWhatIsNotWellFormed) {
    const ErrorCase cases[] = {
        {"bare ampersand in a value", R"(<screen id="a & b"/>)",
         "XML parse: not well-formed (invalid token) at 1:16"},
        {"less-than in a value", R"(<screen id="a<b"/>)",
         "XML parse: not well-formed (invalid token) at 1:14"},
        {"undefined entity", R"(<screen id="p"><text>&nbsp;</text></screen>)",
         "XML parse: undefined entity at 1:22"},
        {"undefined entity in a value", R"(<screen id="&nbsp;"/>)",
         "XML parse: undefined entity at 1:1"},
        {"]]> in text", "<screen id=\"p\">\n  <text>a ]]> b</text>\n</screen>",
         "XML parse: not well-formed (invalid token) at 2:13"},
        {"character reference to NUL", R"(<screen id="p"><text>&#0;</text></screen>)",
         "XML parse: reference to invalid character number at 1:22"},
        {"surrogate character reference", R"(<screen id="&#xD800;"/>)",
         "XML parse: reference to invalid character number at 1:13"},
        {"undeclared element prefix", R"(<screen id="p"><t:main/></screen>)",
         "XML parse: unbound prefix at 1:16"},
        {"undeclared attribute prefix", R"(<screen id="p" x:id="q"/>)",
         "XML parse: unbound prefix at 1:1"},
        {"comment ending in --->", R"(<screen id="p"><!-- c ---></screen>)",
         "XML parse: not well-formed (invalid token) at 1:25"},
        {"DTD with an internal entity",
         R"(<!DOCTYPE screen [<!ENTITY e "x">]><screen id="p"><text>&e;</text></screen>)",
         "XML parse: document type declaration not allowed at 1:18"},
        {"external DTD", R"(<!DOCTYPE screen SYSTEM "/etc/passwd"><screen id="p"/>)",
         "XML parse: document type declaration not allowed at 1:38"},
    };
    expect_outcomes(cases);
}

TEST(LoadPage, ResolvesPredefinedEntitiesAndCharacterReferences) {
    TemplateFolder folder;
    auto page =
        folder.load(R"(<screen id="&lt;&amp;&gt;&quot;&apos;&#65;&#x42;" title-key='&quot;&#xE9;'>)"
                    R"(<main><text>&lt;b&gt; &amp; &#x2014; &apos;q&quot;</text></main></screen>)");
    ASSERT_TRUE(page) << outcome(page);
    EXPECT_EQ(page->id, "<&>\"'AB");
    EXPECT_EQ(page->title_key, "\"\xC3\xA9");
    const auto* main = page->nodes.at(0).get<TwmlNode::Main>();
    ASSERT_TRUE(main);
    EXPECT_EQ(main->children.at(0).get<TwmlNode::Text>()->text, "<b> & \xE2\x80\x94 'q\"");
}

TEST(LoadPage, MissingFileIsAnIoError) {
    TemplateFolder folder;
    EXPECT_EQ(outcome(load_page(folder.path() + "/pages/none.twml", folder.path())),
              "IO: No such file or directory (os error 2)");
}

TEST(LoadPage, ReadsPagesAndImportsOnlyWithinTheCap) {
    TemplateFolder folder;
    const std::string padding(kMaxConfigFileBytes, ' ');
    folder.mkdir("pages");
    const std::string fifo = folder.path() + "/pages/fifo.twml";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(outcome(load_page(fifo, folder.path())), "IO: Invalid argument (os error 22)");
    EXPECT_EQ(outcome(folder.load("<screen id=\"p\"/>" + padding)),
              "IO: file is larger than 1048576 bytes");
    folder.write("large.twml", "<lib/>" + padding);
    EXPECT_EQ(outcome(folder.load(R"(<screen id="p"><import href="large.twml"/></screen>)")),
              "IO: file is larger than 1048576 bytes");
}

TEST(LoadPage, OrdersItsChecks) {
    const ErrorCase cases[] = {
        // The import is followed before the root is looked at.
        {"import before root", "<page><import href=\"missing.twml\"/></page>",
         "IO: import not found: missing.twml"},
        {"root before schema", "<page schema=\"9\"/>", "document root must be <screen> for a page"},
        {"schema before id", "<screen schema=\"9\"/>", "unsupported schema: 9"},
        {"id before require", "<screen require=\"x\"/>", "screen missing id"},
        {"root before children", "<screen id=\"p\" require=\"x\"><button/></screen>",
         "unknown capability: x"},
        // Within a field, the type is read before require.
        {"field type first", page_with("<field require=\"x\" type=\"y\"/>"),
         "unknown field type: y"},
        // Each top-level element is converted, then checked for duplicates, in
        // document order; below one element conversion finishes first.
        {"duplicate before later tag",
         "<screen id=\"p\"><field id=\"a\"/><field id=\"a\"/><button/></screen>",
         "duplicate field id: a"},
        {"tag before later duplicate",
         "<screen id=\"p\"><field id=\"a\"/><button/><field id=\"a\"/></screen>",
         "unknown tag: button"},
        {"conversion of one main before its duplicates",
         page_with("<field id=\"a\"/><field id=\"a\"/><button/>"), "unknown tag: button"},
        {"children of menu first", page_with("<menu id=\"{x}\"><button/></menu>"),
         "unknown tag: button"},
    };
    expect_outcomes(cases);
}

TEST(LoadPage, ReadsRootAttributesWithDefaults) {
    TemplateFolder folder;
    auto page = folder.load("<screen id=\"\"/>");
    ASSERT_TRUE(page) << outcome(page);
    EXPECT_EQ(page->id, "");
    EXPECT_EQ(page->width, "full");
    EXPECT_EQ(page->height, "full");
    EXPECT_EQ(page->require, Capability::Public);
    EXPECT_FALSE(page->title_key);
    EXPECT_FALSE(page->title_bind);
    EXPECT_TRUE(page->nodes.empty());

    page = folder.load(
        "<?xml version=\"1.0\"?><screen id=\"info\" schema=\"2.0\" require=\"network_write\" "
        "title-key=\"\" "
        "title-bind=\"page.title\" width=\"80\" height=\"24\" xmlns:x=\"urn:x\" "
        "x:id=\"ignored\"/>");
    ASSERT_TRUE(page) << outcome(page);
    EXPECT_EQ(page->id, "info");
    EXPECT_EQ(page->require, Capability::NetworkWrite);
    EXPECT_EQ(page->title_key, "");
    EXPECT_EQ(page->title_bind, "page.title");
    EXPECT_EQ(page->width, "80");
    EXPECT_EQ(page->height, "24");
}

TEST(LoadPage, PrefixedAttributesAreNeverFound) {
    TemplateFolder folder;
    EXPECT_EQ(outcome(folder.load("<screen xmlns:x=\"urn:x\" x:id=\"p\"/>")), "screen missing id");
    auto page = folder.load(
        "<t:screen xmlns:t=\"urn:t\" id=\"p\"><t:main><t:field id=\"a\" t:type=\"bogus\"/>"
        "</t:main></t:screen>");
    ASSERT_TRUE(page) << outcome(page);
    const auto* main = page->nodes.at(0).get<TwmlNode::Main>();
    ASSERT_TRUE(main);
    EXPECT_EQ(main->children.at(0).get<TwmlNode::Field>()->type, "text");
}

TEST(LoadPage, ConvertsEveryNodeKind) {
    TemplateFolder folder;
    auto page = folder.load(R"(<screen id="p">
  <header brand-key="brand.name" mode-badge="true"/>
  <main>
    <section title-key="s">
      <field id="host" type="hostname" label-key="l" bind="sys.hostname" choices=" a, ,b," max-length="+12"
             label-width="10" field-width="20" readonly="true" secret="yes" require="session"/>
      <text key="k">
        Hello there
      </text>
    </section>
    <log bind="diag" max="+20"/>
    <menu id="m"><item id="i" label-key="action.x" action="shell" require="power"/><field/></menu>
    <item/>
    <slot name="loose"/>
    <fragment><text>a</text><text>b</text></fragment>
  </main>
  <footer help-key="h" status-bind="status" height="2"/>
</screen>)");
    ASSERT_TRUE(page) << outcome(page);
    ASSERT_EQ(page->nodes.size(), 3U);
    EXPECT_EQ(page->nodes[0], (TwmlNode{TwmlNode::Header{"1", "brand.name", true}}));
    EXPECT_EQ(page->nodes[2], (TwmlNode{TwmlNode::Footer{"2", "h", "status"}}));

    const auto& main = page->nodes[1].get<TwmlNode::Main>()->children;
    ASSERT_EQ(main.size(),
              6U);  // section, log, menu, item, and the fragment's two texts; the slot is dropped
    const auto* section = main[0].get<TwmlNode::Section>();
    ASSERT_TRUE(section);
    EXPECT_EQ(section->title_key, "s");
    TwmlField expected;
    expected.id = "host";
    expected.type = "hostname";
    expected.label_key = "l";
    expected.bind = "sys.hostname";
    expected.choices = std::vector<std::string>{"a", "b"};
    expected.max_length = 12;
    expected.label_width = "10";
    expected.field_width = "20";
    expected.readonly = true;
    expected.secret = false;
    expected.require = Capability::Session;
    EXPECT_EQ(section->children.at(0), TwmlNode{expected});
    EXPECT_EQ(section->children.at(1), (TwmlNode{TwmlNode::Text{"Hello there", "k"}}));

    EXPECT_EQ(main[1], (TwmlNode{TwmlNode::Log{"diag", 20}}));
    const auto* menu = main[2].get<TwmlNode::Menu>();
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->id, "m");
    ASSERT_EQ(menu->children.size(), 2U);
    EXPECT_EQ(menu->children[0],
              (TwmlNode{TwmlNode::Item{"i", "action.x", "shell", Capability::Power}}));
    EXPECT_EQ(main[3], (TwmlNode{TwmlNode::Item{}}));
    EXPECT_EQ(main[4], (TwmlNode{TwmlNode::Text{"a", std::nullopt}}));
    EXPECT_EQ(main[5], (TwmlNode{TwmlNode::Text{"b", std::nullopt}}));
}

TEST(LoadPage, AppliesTheValueSyntax) {
    const struct {
        std::string field;
        std::optional<std::vector<std::string>> choices;
        std::optional<std::size_t> max_length;
        bool secret;
    } cases[] = {
        {R"(<field type="password" secret="false"/>)", std::nullopt, std::nullopt, true},
        {R"(<field secret="yes"/>)", std::nullopt, std::nullopt, false},
        {R"(<field secret="true"/>)", std::nullopt, std::nullopt, true},
        {R"(<field choices=""/>)", std::vector<std::string>{}, std::nullopt, false},
        {R"(<field choices=" a, ,b,"/>)", std::vector<std::string>{"a", "b"}, std::nullopt, false},
        {R"(<field max-length="0"/>)", std::nullopt, 0, false},
        {R"(<field max-length="-1"/>)", std::nullopt, std::nullopt, false},
        {R"(<field max-length=""/>)", std::nullopt, std::nullopt, false},
        {R"(<field max-length="+"/>)", std::nullopt, std::nullopt, false},
        {R"(<field max-length="18446744073709551615"/>)", std::nullopt, 18446744073709551615ULL,
         false},
        {R"(<field max-length="18446744073709551616"/>)", std::nullopt, std::nullopt, false},
        {R"(<field max-length=" 5"/>)", std::nullopt, std::nullopt, false},
    };
    for (const auto& c : cases) {
        TemplateFolder folder;
        auto page = folder.load(page_with(c.field));
        ASSERT_TRUE(page) << c.field << ": " << outcome(page);
        const auto* field =
            page->nodes[0].get<TwmlNode::Main>()->children.at(0).get<TwmlNode::Field>();
        ASSERT_TRUE(field);
        EXPECT_EQ(field->choices, c.choices) << c.field;
        EXPECT_EQ(field->max_length, c.max_length) << c.field;
        EXPECT_EQ(field->secret, c.secret) << c.field;
    }
}

TEST(LoadPage, LogMaxFallsBackToOneHundred) {
    const struct {
        const char* max;
        std::size_t expected;
    } cases[] = {{"+20", 20}, {"-1", 100}, {"", 100}, {"ten", 100}, {"7", 7}};
    for (const auto& c : cases) {
        TemplateFolder folder;
        auto page = folder.load(page_with(std::string("<log max=\"") + c.max + "\"/>"));
        ASSERT_TRUE(page) << outcome(page);
        EXPECT_EQ(page->nodes[0].get<TwmlNode::Main>()->children.at(0).get<TwmlNode::Log>()->max,
                  c.expected)
            << c.max;
    }
}

TEST(LoadPage, TextContentIsTheTrimmedFirstTextChild) {
    const struct {
        const char* element;
        const char* expected;
    } cases[] = {
        {"<text>\n   word \t\n</text>", "word"},
        {"<text><!-- note -->word</text>", ""},
        {"<text/>", ""},
        {"<text>a &amp; <![CDATA[<b>]]> c<x/>tail</text>", "a & <b> c"},
        {"<text>{p}</text>", "{p}"},
    };
    for (const auto& c : cases) {
        TemplateFolder folder;
        auto page = folder.load(page_with(c.element));
        ASSERT_TRUE(page) << c.element << ": " << outcome(page);
        EXPECT_EQ(page->nodes[0].get<TwmlNode::Main>()->children.at(0).get<TwmlNode::Text>()->text,
                  c.expected)
            << c.element;
    }
}

TEST(LoadPage, AcceptsSixteenLevels) {
    TemplateFolder folder;
    EXPECT_EQ(outcome(folder.load(nested_sections(16))), "OK");
}

TEST(LoadPage, FieldsWithoutIdMayRepeat) {
    TemplateFolder folder;
    EXPECT_EQ(outcome(folder.load(
                  page_with("<field/><field id=\"\"/><field/><menu><item id=\"a\"/><item id=\"a\"/>"
                            "</menu>"))),
              "OK");
    EXPECT_EQ(outcome(folder.load(page_with("<menu><field id=\"a\"/></menu><field id=\"a\"/>"))),
              "duplicate field id: a");
}

}  // namespace
}  // namespace tarnwick::tmpl
