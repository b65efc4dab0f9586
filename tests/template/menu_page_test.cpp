#include "template/menu/menu_page.h"

#include "core/catalog.h"
#include "template/template_dirs.h"

#include "support/scratch_dir.h"
#include "template/twml_fixture.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace tarnwick::tmpl {
namespace {

constexpr std::string_view kPage = "pages/admin-menu.twml";

std::string page(std::string_view require_attr, std::string_view body) {
    return "<screen schema=\"2.0\" id=\"m\"" + std::string(require_attr) + "><main>" +
           std::string(body) + "</main></screen>";
}

std::string ids(const std::optional<std::vector<tmpl::MenuItem>>& items) {
    if (!items) return "none";
    std::string out;
    for (const auto& item : *items)
        out += item.id + ":" + item.label + ":" + std::string(tmpl::menu_action_name(item.action)) +
               ";";
    return out;
}

class MenuPage : public testing::Test {
protected:
    SearchFolders search;
    const std::array<std::string, 3>& folders = search.paths();
    Catalog catalog = [] {
        Catalog c;
        c.messages = {{"action.reboot", "Reboot"}};
        return c;
    }();

    void put(std::size_t folder, std::string_view content) { search.put(folder, kPage, content); }
    std::string load(bool admin) {
        return ids(tmpl::load_menu_page_from(folders, kPage, admin, catalog));
    }
};

TEST_F(MenuPage, FiltersItemsByTheViewersCapabilities) {
    put(0,
        page(
            R"( require="session")",
            R"(<menu><item id="shell" action="shell"/><item id="rb" action="reboot" label-key="action.reboot" require="power"/>)"
            R"(<item id="net" action="network" label-key="action.missing" require="session"/></menu>)"));
    EXPECT_EQ(load(false), "shell:shell:SpawnShell;net:action.missing:NetworkStatus;");
    EXPECT_EQ(load(true),
              "shell:shell:SpawnShell;rb:Reboot:Reboot;net:action.missing:NetworkStatus;");
}

TEST_F(MenuPage, PagesTheViewerMayNotUseFallThroughToTheNextFolder) {
    const std::string second =
        page(R"( require="session")", R"(<item id="second" action="back"/>)");
    struct Case {
        std::string first;
        std::string user;
        std::string admin;
    };
    const Case cases[] = {
        // A broken page, without a word.
        {"<screen id=\"m\"><main><button/></main></screen>", "second:second:Back;",
         "second:second:Back;"},
        {"not xml", "second:second:Back;", "second:second:Back;"},
        // The page's own requirement.
        {page(R"( require="power")", R"(<item id="first" action="reboot"/>)"),
         "second:second:Back;", "first:first:Reboot;"},
        // No require means public, which no signed-in user holds.
        {page("", R"(<item id="first" action="reboot"/>)"), "second:second:Back;",
         "second:second:Back;"},
        // Every item filtered away, or none with an action.
        {page(R"( require="session")", R"(<item id="first" action="reboot" require="power"/>)"),
         "second:second:Back;", "first:first:Reboot;"},
        {page(R"( require="session")", R"(<item id="first"/><text>x</text>)"),
         "second:second:Back;", "second:second:Back;"},
    };
    for (const auto& c : cases) {
        put(0, c.first);
        put(2, second);
        EXPECT_EQ(load(false), c.user) << c.first;
        EXPECT_EQ(load(true), c.admin) << c.first;
    }
}

TEST_F(MenuPage, NoneWhenNoFolderGivesAMenu) {
    EXPECT_EQ(load(true), "none");
    put(0, page("", R"(<item id="a" action="shell"/>)"));
    put(1, page("", R"(<item id="a" action="shell"/>)"));
    put(2, page("", R"(<item id="a" action="shell"/>)"));
    EXPECT_EQ(load(true), "none");
}

TEST_F(MenuPage, KeepsDocumentOrderAndUnknownActions) {
    put(0,
        page(
            R"( require="session")",
            R"(<section title-key="s"><item id="a" action="frobnicate"/><menu><item id="b" action="quit"/></menu></section>)"
            R"(<item id="c" action="logout"/><item id="d"/><field id="f"/>)"));
    EXPECT_EQ(load(false), "a:a:None;b:b:Quit;c:c:Logout;");
}

TEST_F(MenuPage, PassesOverFoldersAndFollowsSymbolicLinks) {
    search.mkdir(0, kPage);
    const std::string target = search.put(
        2, "elsewhere.twml", page(R"( require="session")", R"(<item id="linked" action="back"/>)"));
    search.mkdir(1, "pages");
    ASSERT_EQ(::symlink(target.c_str(), search.file(1, kPage).c_str()), 0);
    EXPECT_EQ(load(false), "linked:linked:Back;");
}

TEST(MenuPageFolders, ConfigFolderTemplatesComeFirstWhateverTemplatesDirSays) {
    test::ScratchDir config;
    config.write("config.json", R"({"templates_dir":"elsewhere"})");
    config.write("templates/pages/power-menu.twml",
                 page(R"( require="session")", R"(<item id="mine" action="back"/>)"));
    EXPECT_EQ(ids(tmpl::load_menu_page(config.path(), "pages/power-menu.twml", false, Catalog{})),
              "mine:mine:Back;");
}

// The shipped pages, reached through a broken override in the configuration
// folder (when no installed copy sits in between).
TEST(ShippedMenuPages, LoadAndFilterByRole) {
    struct stat st {};
    if (::stat(std::string(tmpl::kInstalledTemplatesDir).c_str(), &st) == 0) {
        GTEST_SKIP() << "an installed templates folder would be searched first";
    }
    test::ScratchDir config;
    config.write("templates/pages/admin-menu.twml", "<screen");
    const Catalog none;
    EXPECT_EQ(ids(tmpl::load_menu_page(config.path(), "pages/admin-menu.twml", false, none)),
              "shell:action.shell:SpawnShell;sysinfo:action.sysinfo:SystemInfo;"
              "network:action.network:NetworkStatus;session:action.power:PowerMenu;");
    EXPECT_EQ(ids(tmpl::load_menu_page(config.path(), "pages/power-menu.twml", false, none)),
              "logout:action.logout:Logout;back:action.back:Back;");
    EXPECT_EQ(ids(tmpl::load_menu_page(config.path(), "pages/power-menu.twml", true, none)),
              "logout:action.logout:Logout;reboot:action.reboot:Reboot;power_off:action.power_off:"
              "PowerOff;"
              "back:action.back:Back;");
}

}  // namespace
}  // namespace tarnwick::tmpl
