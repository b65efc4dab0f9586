#include "template/twml/components.h"
#include "twml_fixture.h"

#include <gtest/gtest.h>

#include <chrono>

namespace tarnwick::tmpl {
namespace {

// A page with the definitions before main and `body` in main.
std::string page(std::string_view definitions, std::string_view body) {
    return page_with(body, definitions);
}

const std::vector<TwmlNode>& main_children(const TwmlPage& p) {
    return p.nodes.at(0).get<TwmlNode::Main>()->children;
}

// Text of every Text node and id of every Field, in order, joined by "|".
void describe(const std::vector<TwmlNode>& nodes, std::string& out) {
    auto add = [&out](std::string_view piece) {
        if (!out.empty()) {
            out += '|';
        }
        out += piece;
    };
    for (const TwmlNode& node : nodes) {
        if (const auto* text = node.get<TwmlNode::Text>()) {
            add(text->text);
            if (text->key) {
                out += '@';
                out += *text->key;
            }
        } else if (const auto* field = node.get<TwmlNode::Field>()) {
            add("field:");
            out += field->id;
        } else if (const auto* section = node.get<TwmlNode::Section>()) {
            add("section:");
            out += section->title_key;
            describe(section->children, out);
        } else if (const auto* main = node.get<TwmlNode::Main>()) {
            describe(main->children, out);
        }
    }
}

std::string expand(std::string_view definitions, std::string_view body) {
    TemplateFolder folder;
    auto loaded = folder.load(page(definitions, body));
    if (!loaded) {
        return "error: " + display_twml_error(loaded.error());
    }
    std::string out;
    describe(main_children(*loaded), out);
    return out;
}

struct ExpansionCase {
    const char* what;
    const char* definitions;
    const char* body;
    const char* expected;  // described nodes, or "error: <text>"
};

TEST(Components, ExpandAsUsed) {
    const ExpansionCase cases[] = {
        {"props and defaults; text content is not substituted",
         R"(<define-component name="card" props="title,id" default-id="x"><field id="{id}" label-key="{title}"/><text key="{title}">{title}</text></define-component>)",
         R"(<component is="card" title="Hello"/>)", "field:x|{title}@Hello"},
        {"instance value replaces a default",
         R"(<define-component name="c" props="id" default-id="x"><field id="{id}"/></define-component>)",
         R"(<component is="c" id="y"/>)", "field:y"},
        {"a default for an undeclared prop still substitutes",
         R"(<define-component name="c" default-k="v"><text key="{k}"/></define-component>)",
         R"(<component is="c"/>)", "@v"},
        {"loose elements fill the default slot, loose text is dropped",
         R"(<define-component name="c"><section title-key="s"><slot/></section></define-component>)",
         R"(<component is="c">x<text>a</text>y<text>b</text>z</component>)", "section:s|a|b"},
        {"an explicit default slot wins over loose elements",
         R"(<define-component name="c"><slot /></define-component>)",
         R"(<component is="c"><text>loose</text><slot><text>given</text></slot></component>)",
         "given"},
        {"named slot child, the later of two wins",
         R"(<define-component name="c"><slot name="header"/><text>mid</text><slot name="footer" /></define-component>)",
         R"(<component is="c"><slot name="header"><text>h1</text></slot><slot name="header"><text>h2</text></slot></component>)",
         "h2|mid"},
        {"required slot supplied by an empty slot element",
         R"(<define-component name="c"><slot name="body" required="true"/><text>t</text></define-component>)",
         R"(<component is="c"><slot name="body"/></component>)", "t"},
        {"markers in non-marker forms are never filled and vanish",
         "<define-component name=\"c\"><slot required=\"true\" name=\"a\"/><slot "
         "name=\"a\">\n</slot>"
         "<slot name=\"a\" extra=\"1\"/><text>end</text></define-component>",
         R"(<component is="c"><slot name="a"><text>content</text></slot></component>)", "end"},
        {"fallback content inside a slot element is cut with exactly that element",
         R"(<define-component name="c"><text>before</text><slot name="opt"><text>fallback</text><slot/></slot><text>after</text></define-component>)",
         R"(<component is="c"/>)", "before|after"},
        {"slot children of an inner instance in a body are cut as whole elements",
         R"(<define-component name="inner"><slot name="x"/><text>i</text></define-component><define-component name="outer"><component is="inner"><slot name="x"><text>gone</text></slot></component></define-component>)",
         R"(<component is="outer"/><text>kept</text>)", "i|kept"},
        {"the is value is substituted from the enclosing props",
         R"(<define-component name="pick" props="which"><component is="{which}"/></define-component><define-component name="leaf"><text>leaf</text></define-component>)",
         R"(<component is="pick" which="leaf"/>)", "leaf"},
        {"inner components see only their own props",
         R"(<define-component name="outer" props="p"><component is="inner" q="{p}!"/><text key="{q}"/></define-component><define-component name="inner" props="q"><text key="{q}{p}"/></define-component>)",
         R"(<component is="outer" p="v"/>)", "@v!{p}|@{q}"},
        {"slot content sees the component's props, not the caller's",
         R"(<define-component name="outer" props="p"><component is="inner" q="in"><text key="{p}/{q}"/></component></define-component><define-component name="inner" props="q"><slot/></define-component>)",
         R"(<component is="outer" p="v"/>)", "@{p}/in"},
        {"props are substituted in ascending order of their names",
         R"(<define-component name="c" props="b,a"><text key="{a}"/></define-component>)",
         R"(<component is="c" a="{b}" b="x"/>)", "@x"},
        {"the definition registered last is used",
         R"(<define-component name="c"><text>first</text></define-component><define-component name="c"><text>second</text></define-component>)",
         R"(<component is="c"/>)", "second"},
        {"a definition after main is known to the whole page", "",
         R"(<component is="late"/></main><define-component name="late"><text>late</text></define-component><main>)",
         "late"},
        {"comments in bodies and slot content disappear",
         R"(<define-component name="c"><!-- c --><text>t<!-- in --></text><slot/></define-component>)",
         R"(<component is="c"><!-- gone --><text>s</text></component>)", "t|s"},
        {"a slot whose name needs escaping is never filled but counts as supplied",
         R"(<define-component name="c"><slot name="a&amp;b" required="true"/><text>t</text></define-component>)",
         R"(<component is="c"><slot name="a&amp;b"><text>x</text></slot></component>)", "t"},
        {"an instance with only text supplies no default slot",
         R"(<define-component name="c"><slot name="default" required="true"/></define-component>)",
         R"(<component is="c">just text</component>)", "error: missing required slot: default"},
        {"a nameless required slot never receives its content",
         R"(<define-component name="c"><slot required="true"/><text>t</text></define-component>)",
         R"(<component is="c"><text>lost</text></component>)", "t"},
        {"a nameless required slot makes default content mandatory",
         R"(<define-component name="c"><slot required="true"/></define-component>)",
         R"(<component is="c"/>)", "error: missing required slot: default"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(expand(c.definitions, c.body), c.expected) << c.what;
    }
}

TEST(Components, ReportsEachFaultWithItsText) {
    const ExpansionCase cases[] = {
        {"no is", "", "<component/>", "error: component missing is="},
        {"unknown component", "", R"(<component is="nope"/>)", "error: unknown component: nope"},
        {"unknown prop names the prop first", R"(<define-component name="card" props="title"/>)",
         R"(<component is="card" title="t" colour="red"/>)",
         "error: unknown prop colour for component card"},
        {"first missing prop in ascending order", R"(<define-component name="c" props="b, a"/>)",
         R"(<component is="c"/>)", "error: missing required prop: a"},
        {"missing required slot",
         R"(<define-component name="c"><section><slot name="body" required="true"/></section></define-component>)",
         R"(<component is="c"/>)", "error: missing required slot: body"},
        {"definition without name", "<define-component/>", "",
         "error: define-component missing name"},
        {"self use", R"(<define-component name="loop"><component is="loop"/></define-component>)",
         R"(<component is="loop"/>)", "error: nesting too deep"},
        {"mutual use",
         R"(<define-component name="a"><component is="b"/></define-component><define-component name="b"><component is="a"/></define-component>)",
         R"(<component is="a"/>)", "error: nesting too deep"},
        {"fixed field id used twice",
         R"(<define-component name="c"><field id="f"/></define-component>)",
         R"(<component is="c"/><component is="c"/>)", "error: duplicate field id: f"},
        {"errors in the expansion pass through",
         R"(<define-component name="c"><button/></define-component>)", R"(<component is="c"/>)",
         "error: unknown tag: button"},
        {"prop values are checked after substitution",
         R"(<define-component name="c" props="t"><field type="{t}"/></define-component>)",
         R"(<component is="c" t="integer"/>)", "error: unknown field type: integer"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(expand(c.definitions, c.body), c.expected) << c.what;
    }
}

TEST(Components, FieldIdsBuiltFromPropsMakeUsesUnique) {
    EXPECT_EQ(
        expand(R"(<define-component name="c" props="n"><field id="f-{n}"/></define-component>)",
               R"(<component is="c" n="1"/><component is="c" n="2"/>)"),
        "field:f-1|field:f-2");
}

TEST(Components, EscapedValuesSurviveTheRoundTrip) {
    TemplateFolder folder;
    auto loaded = folder.load(page(
        R"(<define-component name="c" props="p"><field id="a&amp;&lt;&gt;&quot;'" label-key="{p}"/></define-component>)",
        R"(<component is="c" p="&lt;&amp;amp;&gt;&quot;"/>)"));
    ASSERT_TRUE(loaded) << outcome(loaded);
    const auto* field = main_children(*loaded).at(0).get<TwmlNode::Field>();
    ASSERT_TRUE(field);
    EXPECT_EQ(field->id, "a&<>\"'");
    EXPECT_EQ(field->label_key, "<&amp;>\"");
}

TEST(Components, DepthCountsOneLevelPerExpansion) {
    // Each wrapper adds a level for its body and one for the pasted slot content.
    const std::string wrap = R"(<define-component name="w"><slot/></define-component>)";
    std::string open;
    std::string close;
    for (int i = 0; i < 7; ++i) {
        open += "<component is=\"w\">";
        close += "</component>";
    }
    // main (1), then seven components each adding two levels: the text stands at 16.
    EXPECT_EQ(expand(wrap, open + "<text>deep</text>" + close), "deep");
    EXPECT_EQ(expand(wrap, open + "<section><text>deep</text></section>" + close),
              "error: nesting too deep");
}

TEST(Components, RunawayExpansionIsCutOff) {
    // Three self-uses per level would mean 3^16 expansions.
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(
        expand(
            R"(<define-component name="t"><component is="t"/><component is="t"/><component is="t"/></define-component>)",
            R"(<component is="t"/>)"),
        "error: nesting too deep");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

TEST(SubstituteProps, ReplacesEveryOccurrence) {
    const PropMap props = {{"a", "1"}, {"b", "{a}"}};
    EXPECT_EQ(substitute_props("{a}-{a}-{c}-{b}", props), "1-1-{c}-{a}");
    EXPECT_EQ(substitute_props("{a}", {}), "{a}");
    EXPECT_EQ(substitute_props("", props), "");
}

TEST(RemoveLeftoverSlots, CutsWholeSlotElementsOnly) {
    const struct {
        const char* text;
        const char* expected;
    } cases[] = {
        {"<a/><slot name=\"x\"/><b/>", "<a/><b/>"},
        {"<slot/><slotted x=\"1\"/>z", "z"},
        {"<a><slot name=\"x\"><b/><slot/></slot>tail</a>", "<a>tail</a>"},
        {"<slot><slot><c/></slot></slot><slot/>", ""},
        {"<slot x=\"a/>b\"/>k", "k"},
        {"<x>no slots</x>", "<x>no slots</x>"},
        {"<slot><a>", "<slot><a>"},  // unterminated: left for the parser
    };
    for (const auto& c : cases) {
        EXPECT_EQ(remove_leftover_slots(c.text), c.expected) << c.text;
    }
}

}  // namespace
}  // namespace tarnwick::tmpl
