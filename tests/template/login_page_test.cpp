#include "template/login_page.h"
#include "twml_fixture.h"

#include <gtest/gtest.h>

namespace tarnwick::tmpl {
namespace {

Result<LoginTemplate, TwmlError> load_login(std::string_view text) {
    TemplateFolder folder;
    return load_login_page(folder.write("pages/login.twml", text), folder.path());
}

TEST(LoginPage, ReportsEachFault) {
    const struct {
        const char* what;
        std::string page;
        const char* expected;
    } cases[] = {
        {"load error", "<screen/>", "screen missing id"},
        {"require",
         R"(<screen id="login" require="session"><main><field id="user"/><field id="password"/></main></screen>)",
         "login screen must require public (unauthenticated)"},
        {"neither field", page_with("<field id=\"other\"/>"),
         "login TWML must define a password field (id=password or type=password)"},
        {"no user", page_with("<field id=\"password\"/>"),
         "login TWML must define a user field (id=user)"},
        {"user with a capital letter", page_with("<field id=\"User\"/><field type=\"password\"/>"),
         "login TWML must define a user field (id=user)"},
        {"user and password type is the user", page_with("<field id=\"user\" type=\"password\"/>"),
         "login TWML must define a password field (id=password or type=password)"},
        {"fields in a menu are not seen",
         page_with("<field id=\"password\"/><menu><field id=\"user\"/></menu>"),
         "login TWML must define a user field (id=user)"},
        {"fields directly below the root count",
         "<screen id=\"p\"><field id=\"user\"/><field id=\"password\"/></screen>", "OK"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(outcome(load_login(c.page)), c.expected) << c.what;
    }
}

TEST(LoginPage, DefaultsWhenThePageStatesNothing) {
    auto login = load_login(page_with("<field id=\"user\"/><field type=\"password\"/><footer/>"));
    ASSERT_TRUE(login) << outcome(login);
    EXPECT_EQ(*login, LoginTemplate{});
    EXPECT_EQ(login->title_key, "login.title");
    EXPECT_EQ(login->password_max_length, 256U);
    EXPECT_EQ(login->user_max_length, 64U);
}

TEST(LoginPage, TakesStatedValues) {
    auto login = load_login(R"(<screen id="login" title-key="">
  <main>
    <section title-key="s">
      <field id="username" label-key="u" max-length="0"/>
      <field id="pin" secret="true" label-key="p" max-length="8"/>
      <field type="password"/>
      <field id="locale" label-key="l"/>
      <field id="user"/>
    </section>
  </main>
  <footer help-key="h"/>
</screen>)");
    ASSERT_TRUE(login) << outcome(login);
    LoginTemplate expected;
    expected.title_key = "";
    expected.user_label_key = "u";
    expected.user_max_length = 0;
    expected.password_label_key = "p";  // the later password field states no label
    expected.password_max_length = 8;
    expected.language_label_key = "l";
    expected.help_key = "h";
    EXPECT_EQ(*login, expected);
}

TEST(LoginPage, TheShippedPageLoads) {
    const std::string folder = std::string(TARNWICK_SOURCE_DIR) + "/res/templates";
    auto login = load_login_page(folder + "/pages/login.twml", folder);
    ASSERT_TRUE(login) << outcome(login);
    EXPECT_EQ(login->title_key, "login.title");
    EXPECT_EQ(login->help_key, "login.help");
}

}  // namespace
}  // namespace tarnwick::tmpl
