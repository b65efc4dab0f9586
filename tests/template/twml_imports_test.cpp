#include "template/twml/imports.h"
#include "twml_fixture.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarnwick::tmpl {
namespace {

constexpr const char* kUsesCard =
    R"(<screen id="p"><import href="parts/card.twml"/><main><component is="card"/></main></screen>)";

std::string card(std::string_view text) {
    return "<define-component name=\"card\"><text>" + std::string(text) +
           "</text></define-component>";
}

// Text of the first Text node in main, or the error text.
std::string first_text(const Result<TwmlPage, TwmlError>& page) {
    if (!page) {
        return display_twml_error(page.error());
    }
    const auto& children = page->nodes.at(0).get<TwmlNode::Main>()->children;
    if (children.empty()) {
        return "(none)";
    }
    return children.at(0).get<TwmlNode::Text>()->text;
}

void make_symlink(const std::string& target, const std::string& link) {
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0) << link;
}

TEST(Imports, LookBesideThePageThenInTheTemplateFolder) {
    TemplateFolder folder;
    folder.write("parts/card.twml", card("from template folder"));
    EXPECT_EQ(first_text(folder.load(kUsesCard)), "from template folder");
    folder.write("pages/parts/card.twml", card("beside the page"));
    EXPECT_EQ(first_text(folder.load(kUsesCard)), "beside the page");
}

TEST(Imports, APagePathWithoutFolderImportsFromTheTemplateFolder) {
    TemplateFolder folder;
    folder.write("parts/card.twml", card("template folder"));
    test::ScratchDir elsewhere;
    elsewhere.write("page.twml", kUsesCard);
    elsewhere.write("parts/card.twml", card("working folder"));
    char saved[4096];
    ASSERT_NE(::getcwd(saved, sizeof saved), nullptr);
    ASSERT_EQ(::chdir(elsewhere.path().c_str()), 0);
    auto page = load_page("page.twml", folder.path());
    ASSERT_EQ(::chdir(saved), 0);
    EXPECT_EQ(first_text(page), "template folder");
}

TEST(Imports, RefuseHrefsThatCouldEscape) {
    TemplateFolder folder;
    folder.write("a..b.twml", card("x"));
    for (const char* href : {"../x.twml", "x/../y.twml", "/etc/passwd", "a..b.twml", ".."}) {
        EXPECT_EQ(outcome(folder.load(std::string("<screen id=\"p\"><import href=\"") + href +
                                      "\"/></screen>")),
                  std::string("import path escape: ") + href);
    }
}

TEST(Imports, RefuseLinksThatLeadOutside) {
    test::ScratchDir outside;
    const std::string secret = outside.write("secret.twml", card("outside"));
    TemplateFolder folder;
    make_symlink(secret, folder.path() + "/link.twml");
    make_symlink(outside.path(), folder.path() + "/linkdir");
    // A sibling folder that shares the template folder's name as a text prefix.
    const std::string sibling = folder.path() + "2";
    ASSERT_EQ(::mkdir(sibling.c_str(), 0755), 0);
    ASSERT_EQ(::symlink((sibling + "/x.twml").c_str(), (folder.path() + "/prefix.twml").c_str()),
              0);
    {
        int fd = ::open((sibling + "/x.twml").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0);
        const std::string text = card("sibling");
        ASSERT_EQ(::write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
        ::close(fd);
    }
    for (const char* href : {"link.twml", "linkdir/secret.twml", "prefix.twml"}) {
        EXPECT_EQ(outcome(folder.load(std::string("<screen id=\"p\"><import href=\"") + href +
                                      "\"/></screen>")),
                  std::string("import path escape: ") + href);
    }
    ::unlink((sibling + "/x.twml").c_str());
    ::rmdir(sibling.c_str());
}

TEST(Imports, FollowLinksThatStayInside) {
    TemplateFolder folder;
    folder.write("real/card.twml", card("linked"));
    make_symlink(folder.path() + "/real/card.twml", folder.path() + "/parts-card.twml");
    EXPECT_EQ(
        first_text(folder.load(
            R"(<screen id="p"><import href="parts-card.twml"/><main><component is="card"/></main></screen>)")),
        "linked");

    // The template folder itself may be reached through a link.
    test::ScratchDir links;
    make_symlink(folder.path(), links.path() + "/tpl");
    folder.write("parts/card.twml", card("through a linked folder"));
    const std::string via = links.path() + "/tpl";
    EXPECT_EQ(first_text(load_page(folder.write("pages/page.twml", kUsesCard), via)),
              "through a linked folder");
}

TEST(Imports, ReportMissingFiles) {
    TemplateFolder folder;
    folder.mkdir("pages/dir.twml");
    folder.write("bad.twml", "<define-component name=\"c\">");
    folder.write("nameless.twml", "<lib><define-component/></lib>");
    folder.write("latin1.twml", "<lib id=\"\xE9\"/>");
    const struct {
        const char* import;
        const char* expected;
    } cases[] = {
        {R"(<import href="dir.twml"/>)", "IO: import not found: dir.twml"},
        {R"(<import href="nowhere.twml"/>)", "IO: import not found: nowhere.twml"},
        {R"(<import href=""/>)", "IO: import not found: "},
        {R"(<import/>)", "import missing href"},
        {R"(<import href="bad.twml"/>)", "XML parse: no element found at 1:28"},
        {R"(<import href="nameless.twml"/>)", "define-component missing name"},
        {R"(<import href="latin1.twml"/>)", "IO: stream did not contain valid UTF-8"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(outcome(folder.load(std::string("<screen id=\"p\">") + c.import + "</screen>")),
                  c.expected)
            << c.import;
    }
}

TEST(Imports, StopAtSixteenLevels) {
    TemplateFolder folder;
    folder.write("a.twml", R"(<lib><import href="b.twml"/></lib>)");
    folder.write("b.twml", R"(<lib><import href="a.twml"/></lib>)");
    EXPECT_EQ(outcome(folder.load(R"(<screen id="p"><import href="a.twml"/></screen>)")),
              "import nesting exceeds max depth 16");

    // A chain: level i imports level i + 1; the page imports level 1.
    auto chain = [&](int levels, std::string_view last) {
        for (int i = 1; i < levels; ++i) {
            folder.write("chain/" + std::to_string(i) + ".twml",
                         "<lib><import href=\"" + std::to_string(i + 1) + ".twml\"/></lib>");
        }
        folder.write("chain/" + std::to_string(levels) + ".twml", last);
        return folder.load(
            R"(<screen id="p"><import href="chain/1.twml"/><main><component is="card"/></main></screen>)");
    };
    EXPECT_EQ(first_text(chain(16, "<lib>" + card("deep") + "</lib>")), "deep");
    EXPECT_EQ(outcome(chain(17, "<lib>" + card("too deep") + "</lib>")),
              "import nesting exceeds max depth 16");
    EXPECT_EQ(first_text(chain(17, card("a definition file"))), "a definition file");
}

TEST(Imports, BringDefinitionsOnly) {
    TemplateFolder folder;
    folder.write("other.twml", "<screen id=\"other\" require=\"bogus\"><main><button/></main>" +
                                   card("from a page") + "</screen>");
    auto page = folder.load(
        R"(<screen id="p"><import href="other.twml"/><main><component is="card"/></main></screen>)");
    EXPECT_EQ(first_text(page), "from a page");
    ASSERT_TRUE(page);
    EXPECT_EQ(page->nodes.size(), 1U);
}

TEST(Imports, OwnDefinitionsWinOverImportedOnes) {
    TemplateFolder folder;
    folder.write("inner.twml", "<lib>" + card("inner") + "</lib>");
    folder.write("outer.twml", "<lib>" + card("outer") + "<import href=\"inner.twml\"/></lib>");
    EXPECT_EQ(
        first_text(folder.load(
            R"(<screen id="p"><import href="outer.twml"/><main><component is="card"/></main></screen>)")),
        "outer");
    // On the page itself document order decides.
    EXPECT_EQ(first_text(folder.load(
                  "<screen id=\"p\">" + card("page") +
                  R"(<import href="inner.twml"/><main><component is="card"/></main></screen>)")),
              "inner");
}

TEST(PathWithin, ComparesWholeComponents) {
    EXPECT_TRUE(path_within("/srv/tpl/a.twml", "/srv/tpl"));
    EXPECT_TRUE(path_within("/srv/tpl/x/a.twml", "/srv/tpl/"));
    EXPECT_FALSE(path_within("/srv/tpl2/a.twml", "/srv/tpl"));
    EXPECT_FALSE(path_within("/srv/a.twml", "/srv/tpl"));
    EXPECT_TRUE(path_within("/a", "/"));
}

}  // namespace
}  // namespace tarnwick::tmpl
