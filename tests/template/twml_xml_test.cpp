#include "template/twml/xml.h"

#include <gtest/gtest.h>

namespace tarnwick::tmpl {
namespace {

TEST(EscapeXml, EscapesAmpersandFirstAndKeepsApostrophe) {
    const struct {
        const char* text;
        const char* expected;
    } cases[] = {
        {"a&b", "a&amp;b"},
        {"&amp;", "&amp;amp;"},
        {"<x y=\"1\">", "&lt;x y=&quot;1&quot;&gt;"},
        {"it's", "it's"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(escape_xml(c.text), c.expected) << c.text;
    }
}

std::string rewrite(std::string_view text) {
    auto document = parse_xml(text);
    if (!document) {
        return display_twml_error(document.error());
    }
    std::string out;
    write_xml_node(root_element(**document), out);
    return out;
}

TEST(WriteXmlNode, WritesLocalNamesAndEscapedValues) {
    const struct {
        const char* input;
        const char* expected;
    } cases[] = {
        {R"(<a y="2" x="1"/>)", R"(<a y="2" x="1"/>)"},
        {R"(<a  y = '2' ></a>)", R"(<a y="2"/>)"},
        {R"(<p:a xmlns:p="urn:p" p:k="v"><p:b/></p:a>)", R"(<a k="v"><b/></a>)"},
        {R"(<a v="&amp;&lt;&gt;&quot;'">t &amp; &lt;u&gt; "q"</a>)",
         R"(<a v="&amp;&lt;&gt;&quot;'">t &amp; &lt;u&gt; &quot;q&quot;</a>)"},
        {"<a>\n</a>", "<a>\n</a>"},
        {"<a><![CDATA[<x>]]></a>", "<a>&lt;x&gt;</a>"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(rewrite(c.input), c.expected) << c.input;
        // What was written parses back to the same serialisation.
        EXPECT_EQ(rewrite(rewrite(c.input)), c.expected) << c.input;
    }
    // Comments and processing instructions still count as content.
    EXPECT_EQ(rewrite("<a><!-- c --><?pi x?></a>"), "<a></a>");
}

TEST(WriteXmlNode, HandlesDeepDocuments) {
    std::string text;
    for (int i = 0; i < 100000; ++i) {
        text += "<a>";
    }
    for (int i = 0; i < 100000; ++i) {
        text += "</a>";
    }
    auto document = parse_xml(text);
    ASSERT_TRUE(document);
    std::string out;
    write_xml_node(root_element(**document), out);
    EXPECT_EQ(out.size(), text.size() - 3);  // the innermost element is written as <a/>
}

TEST(ParseXml, PositionsCountCharactersFromOne) {
    EXPECT_EQ(rewrite("<a>\n\xC3\xA9\xC3\xA9<b></a>"), "XML parse: mismatched tag at 2:8");
    EXPECT_EQ(rewrite("  "), "XML parse: no element found at 1:3");
    EXPECT_EQ(rewrite("<a><b x=\"1\" x=\"2\"/></a>"), "XML parse: duplicate attribute at 1:13");
}

TEST(ParseXml, SplitsPrefixesAndLeavesOutNamespaceDeclarations) {
    auto document =
        parse_xml(R"(<p:a xmlns:p="urn:p" xmlns="urn:d" p:k="1" k="2" xml:lang="en"><b/></p:a>)");
    ASSERT_TRUE(document) << display_twml_error(document.error());
    XmlNode root = root_element(**document);
    EXPECT_EQ(root.prefix(), "p");
    EXPECT_EQ(root.local_name(), "a");
    ASSERT_EQ(root.attributes().size(), 3U);
    EXPECT_EQ(root.attributes()[0].prefix, "p");
    EXPECT_EQ(root.attributes()[0].local_name, "k");
    EXPECT_EQ(root.attributes()[1].prefix, "");
    EXPECT_EQ(root.attributes()[2].prefix, "xml");
    EXPECT_EQ(unprefixed_attribute(root, "k"), "2");
    EXPECT_EQ(unprefixed_attribute(root, "lang"), std::nullopt);
    // An element in the default namespace has no prefix.
    EXPECT_EQ(root.first_child().prefix(), "");
    EXPECT_EQ(root.first_child().local_name(), "b");
}

TEST(ParseXml, JoinsAdjacentTextAndKeepsCommentsAsNodes) {
    auto document = parse_xml("<a>x &amp; <![CDATA[<y>]]>\r\nz<!-- c -->w</a>");
    ASSERT_TRUE(document) << display_twml_error(document.error());
    XmlNode first = root_element(**document).first_child();
    ASSERT_TRUE(first.is_text());
    EXPECT_EQ(first.value(), "x & <y>\nz");
    EXPECT_EQ(first.next_sibling().kind(), XmlNode::Kind::Comment);
    EXPECT_EQ(first.next_sibling().next_sibling().value(), "w");
}

}  // namespace
}  // namespace tarnwick::tmpl
