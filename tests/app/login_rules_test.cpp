#include "app/session/login_rules.h"
#include "app/session/tty_label.h"

#include <gtest/gtest.h>

namespace tarnwick::app {
namespace {

TEST(PamUserFor, MapsOnlyTheFiveAliases) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"administrator", "root"}, {"Administrator", "root"},
        {"ADMINISTRATOR", "root"}, {"admin", "root"},
        {"Admin", "root"},         {"ADMIN", "ADMIN"},
        {"alice", "alice"},        {"", ""},
        {" admin", " admin"},
    };
    for (const auto& [name, expected] : cases) EXPECT_EQ(pam_user_for(name), expected) << name;
}

TEST(LoginErrorKey, FirstMatchingRuleWins) {
    struct Case {
        std::string_view text;
        std::size_t len;
        std::string_view key;
    };
    const Case cases[] = {
        {"bad password or auth: PAM authenticate failed: x", 0, "login.error.empty_password"},
        {"bad password or auth: PAM authenticate failed: x", 4, "login.error.bad_credentials"},
        {"account rejected (securetty/login_access on ttyv0?): PAM account check failed: x", 4,
         "login.error.account_denied"},
        // "auth:" anywhere decides before the later rules.
        {"pam_setcred: Auth: token", 4, "login.error.bad_credentials"},
        {"pam_setcred: PAM setcred failed: x", 4, "login.error.session"},
        {"pam_open_session: PAM open session failed", 4, "login.error.session"},
        {"pam_start: PAM start failed: x", 4, "login.error.generic"},
        {"SECURETTY", 2, "login.error.account_denied"},
    };
    for (const auto& c : cases) EXPECT_EQ(login_error_key(c.text, c.len), c.key) << c.text;
}

TEST(LangForTag, ReplacesDashes) {
    EXPECT_EQ(lang_for_tag("fr-FR"), "fr_FR.UTF-8");
    EXPECT_EQ(lang_for_tag("de"), "de.UTF-8");
    EXPECT_EQ(lang_for_tag("pt-BR"), "pt_BR.UTF-8");
}

TEST(TtyLabel, TakesFirstUsableCandidate) {
    using O = std::optional<std::string>;
    struct Case {
        O option, stdin_name, env;
        std::string_view expected;
    };
    const Case cases[] = {
        {"/dev/ttyv2", std::nullopt, std::nullopt, "ttyv2"},
        {" /dev/ttyu0 ", std::nullopt, std::nullopt, "ttyu0"},
        {"/dev/tty", "/dev/ttyv1", std::nullopt, "ttyv1"},
        {std::nullopt, std::nullopt, "/dev/pts/3", "pts/3"},
        {"stdin", "/dev/stderr", " ", "ttyv0"},
        {std::nullopt, std::nullopt, std::nullopt, "ttyv0"},
        {"/dev//dev/x", std::nullopt, std::nullopt, "/dev/x"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(tty_label_from(c.option, c.stdin_name, c.env), c.expected);
    }
}

}  // namespace
}  // namespace tarnwick::app
