#include "template/login_page_search.h"
#include "twml_fixture.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace tarnwick::tmpl {
namespace {

constexpr std::string_view kLogin = "pages/login.twml";
const std::string kNoPassword = page_with("<field id=\"user\"/>");

// What stands at pages/login.twml of one folder.
enum class At { Nothing, Valid, NoPassword, NotXml, Folder };

void place(const SearchFolders& folders, std::size_t i, At what) {
    switch (what) {
        case At::Nothing:
            break;
        case At::Valid:
            // The title key names the folder, to see which page was taken.
            folders.put(i, kLogin,
                        fmt::format(R"(<screen id="login" title-key="from-{}"><main>)"
                                    R"(<field id="user"/><field id="password"/></main></screen>)",
                                    i));
            break;
        case At::NoPassword:
            folders.put(i, kLogin, kNoPassword);
            break;
        case At::NotXml:
            folders.put(i, kLogin, "<screen");
            break;
        case At::Folder:
            folders.mkdir(i, kLogin);
            break;
    }
}

// Every "{N}" replaced by folder N's page path.
std::string with_pages(std::string text, const SearchFolders& folders) {
    for (std::size_t i = 0; i < 3; ++i) {
        const std::string mark = fmt::format("{{{}}}", i);
        for (auto at = text.find(mark); at != std::string::npos; at = text.find(mark)) {
            text.replace(at, mark.size(), folders.file(i, kLogin));
        }
    }
    return text;
}

TEST(LoginPageSearch, TakesTheFirstPageThatLoadsAndNamesTheFirstThatDoesNot) {
    const std::string missing =
        "login.twml not found under config/templates or /usr/local/etc/tarnwick/templates";
    const struct {
        const char* what;
        std::array<At, 3> folders;
        int found;                 // folder of the page taken, -1 for none
        std::vector<int> invalid;  // folders whose page did not load, in order
        std::string failure;       // when none was taken
    } cases[] = {
        {"no page anywhere", {At::Nothing, At::Nothing, At::Nothing}, -1, {}, missing},
        {"a folder named login.twml is passed over without a word",
         {At::Folder, At::Nothing, At::Nothing},
         -1,
         {},
         missing},
        {"an invalid page, then a valid one in the last folder",
         {At::NoPassword, At::Nothing, At::Valid},
         2,
         {0},
         ""},
        {"a valid first page ends the search before an invalid one",
         {At::Valid, At::NotXml, At::Nothing},
         0,
         {},
         ""},
        {"two invalid pages: the first folder's is named",
         {At::NotXml, At::NoPassword, At::Nothing},
         -1,
         {0, 1},
         "{0}: XML parse: unclosed token at 1:1"},
        {"only the last folder has one, and it does not load",
         {At::Nothing, At::Folder, At::NoPassword},
         -1,
         {2},
         "{2}: login TWML must define a password field (id=password or type=password)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const SearchFolders folders;
        for (std::size_t i = 0; i < 3; ++i) place(folders, i, c.folders[i]);

        const LoginPageSearch search = search_login_folders(folders.paths());

        std::vector<int> invalid;
        for (const auto& page : search.invalid) {
            for (std::size_t i = 0; i < 3; ++i) {
                if (page.path == folders.file(i, kLogin)) invalid.push_back(static_cast<int>(i));
            }
        }
        EXPECT_EQ(invalid, c.invalid);
        if (c.found < 0) {
            EXPECT_FALSE(search.found);
            EXPECT_EQ(login_page_failure(search), with_pages(c.failure, folders));
            continue;
        }
        ASSERT_TRUE(search.found);
        const auto taken = static_cast<std::size_t>(c.found);
        EXPECT_EQ(search.found->path, folders.file(taken, kLogin));
        EXPECT_EQ(search.found->page.title_key, fmt::format("from-{}", taken));
    }
}

}  // namespace
}  // namespace tarnwick::tmpl
