// --check-config and --screen-matrix run as a process on small configuration
// folders.

#include "offline_fixture.h"

#include "core/config.h"
#include "support/ci_gate.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace tarnwick::app {
namespace {

using test::FolderFiles;
using test::kValidLogin;

struct ModeCase {
    const char* name;
    FolderFiles files;
    std::vector<std::string> extra_args;
    std::string out;  // "{dir}" stands for the configuration folder
    std::string err;
    int status;
};

void run_cases(const char* mode, const std::vector<ModeCase>& cases) {
    for (const auto& c : cases) {
        test::ScratchDir dir;
        test::write_folder(dir, c.files);
        std::vector<std::string> args{mode, "--config-dir", dir.path()};
        args.insert(args.end(), c.extra_args.begin(), c.extra_args.end());
        const auto r = test::run_tarnwick(args);
        EXPECT_EQ(r.out, test::with_dir(c.out, dir.path())) << c.name;
        EXPECT_EQ(r.err, test::with_dir(c.err, dir.path())) << c.name;
        EXPECT_EQ(r.status, c.status) << c.name;
    }
}

const std::pair<std::string, std::string> kConfig{"config.json", "{}"};
const std::pair<std::string, std::string> kLogin{"templates/pages/login.twml", kValidLogin};

TEST(CheckConfig, ReportsTheFirstFailureWithItsPrefix) {
    run_cases(
        "--check-config",
        {
            {"no config.json",
             {{"templates/", ""}},
             {},
             "",
             "ERROR: config file not found: {dir}/config.json\n",
             78},
            {"configuration error",
             {{"config.json", R"({"colour":"auto"})"}},
             {},
             "",
             "ERROR: unknown field: colour\n",
             78},
            {"a quoted value's control characters never reach the terminal",
             {{"config.json", R"({"color":"\u001b]52;c;eA==\u0007\u009b2J\\"})"}},
             {},
             "",
             "ERROR: JSON parse error: unknown variant `\\033]52;c;eA==\\007\\302\\2332J\\`, "
             "expected one of "
             "`auto`, `always`, `never`\n",
             78},
            {"no templates folder passes", {kConfig}, {}, "OK\n", "", 0},
            {"valid pages and a JSON template",
             {kConfig,
              kLogin,
              {"templates/main.json",
               R"({"schema_version":"1.0","screen_id":"main","title_key":"t","widgets":[]})"}},
             {},
             "OK\n",
             "",
             0},
            {"broken JSON template",
             {kConfig,
              kLogin,
              {"templates/main.json",
               R"({"schema_version":"9","screen_id":"main","title_key":"t","widgets":[]})"}},
             {},
             "",
             "ERROR: unsupported schema version: 9\n",
             78},
            {"only result.twml, and broken",
             {kConfig, {"templates/pages/result.twml", R"(<screen id="r"><button/></screen>)"}},
             {},
             "",
             "ERROR: pages/result.twml: unknown tag: button\n",
             78},
            {"pages are checked in the fixed order and the first failure ends it",
             {kConfig,
              kLogin,
              {"templates/pages/result.twml", R"(<screen id="r"><button/></screen>)"},
              {"templates/pages/admin-menu.twml", R"(<screen id="a" require="Admin"/>)"}},
             {},
             "",
             "ERROR: pages/admin-menu.twml: unknown capability: Admin\n",
             78},
            {"a page that is not well-formed XML",
             {kConfig, kLogin, {"templates/pages/admin-menu.twml", R"(<screen id="a & b"/>)"}},
             {},
             "",
             "ERROR: pages/admin-menu.twml: XML parse: not well-formed (invalid token) at 1:16\n",
             78},
            {"a login page without a password field fails on the login rules",
             {kConfig,
              {"templates/pages/login.twml",
               R"(<screen id="login"><main><field id="user"/></main></screen>)"}},
             {},
             "",
             "ERROR: login.twml: login TWML must define a password field (id=password or "
             "type=password)\n",
             78},
            {"a login page that does not load fails with the page prefix",
             {kConfig, {"templates/pages/login.twml", R"(<page id="login"/>)"}},
             {},
             "",
             "ERROR: pages/login.twml: document root must be <screen> for a page\n",
             78},
            {"confirmation and other pages are not checked",
             {kConfig,
              kLogin,
              {"templates/pages/confirm-reboot.twml", "<screen"},
              {"templates/pages/extra.twml", "<screen"}},
             {},
             "OK\n",
             "",
             0},
            {"a folder in place of a page is passed over",
             {kConfig, kLogin, {"templates/pages/admin-menu.twml/", ""}},
             {},
             "OK\n",
             "",
             0},
            {"only the configured templates folder is read",
             {{"config.json", R"({"templates_dir":"other"})"},
              {"templates/pages/admin-menu.twml", "<screen"},
              {"other/pages/login.twml", kValidLogin}},
             {},
             "OK\n",
             "",
             0},
            {"the configured templates folder is checked",
             {{"config.json", R"({"templates_dir":"other"})"},
              {"other/pages/power-menu.twml",
               R"(<screen id="p"><field type="integer"/></screen>)"}},
             {},
             "",
             "ERROR: pages/power-menu.twml: unknown field type: integer\n",
             78},
        });
}

// --check-config where the console's other two template folders hold what a
// case gives: in a private mount namespace, /usr/local/etc/tarnwick/templates
// and the source tree's res/templates are replaced by scratch folders.
test::ProcessResult check_with_other_folders(const std::string& config_dir,
                                             const std::string& second, const std::string& third) {
    const std::string script = R"(
        set -e
        second=$1 third=$2 templates=$3
        shift 3
        mount -t tmpfs tmpfs /usr/local/etc
        mkdir -p /usr/local/etc/tarnwick/templates
        mount --bind "$second" /usr/local/etc/tarnwick/templates
        mount --bind "$third" "$templates"
        exec "$@"
    )";
    return test::run_process(
        "unshare", {"--mount", "--propagation", "private", "--", "sh", "-c", script, "sh", second,
                    third, std::string(TARNWICK_SOURCE_DIR) + "/res/templates", TARNWICK_BINARY,
                    "--check-config", "--config-dir", config_dir});
}

// After its own checks, the console's own login page search: the check fails
// where the console would end with 78, and says why as the console does.
TEST(CheckConfig, FailsWhereTheConsoleFindsNoLoginPage) {
    REQUIRE_ROOT("needs root for a private mount namespace");
    const std::string no_password =
        R"(<screen id="login"><main><field id="user"/></main></screen>)";
    const std::string no_password_error =
        "login TWML must define a password field (id=password or type=password)";
    // templates_dir names another folder, so that the configuration's own
    // check passes whatever templates/ holds.
    const std::pair<std::string, std::string> kScreensConfig{"config.json",
                                                             R"({"templates_dir":"screens"})"};
    const struct {
        const char* name;
        FolderFiles config;
        FolderFiles second;  // /usr/local/etc/tarnwick/templates
        FolderFiles third;   // the source tree's res/templates
        std::string err;     // "{dir}": the configuration folder
        int status;
    } cases[] = {
        {"no page anywhere, and no templates folder to check",
         {kConfig},
         {},
         {},
         "ERROR: login.twml not found under config/templates or "
         "/usr/local/etc/tarnwick/templates\n",
         78},
        {"a templates folder that passes, without a login page",
         {kConfig, {"templates/pages/", ""}},
         {},
         {},
         "ERROR: login.twml not found under config/templates or "
         "/usr/local/etc/tarnwick/templates\n",
         78},
        {"a page that does not load is named with its load error",
         {kScreensConfig, {"templates/pages/login.twml", no_password}},
         {},
         {},
         "ERROR: {dir}/templates/pages/login.twml: " + no_password_error + "\n",
         78},
        {"of two that do not load, the first folder's is named",
         {kScreensConfig, {"templates/pages/login.twml", "<screen"}},
         {{"pages/login.twml", no_password}},
         {},
         "ERROR: {dir}/templates/pages/login.twml: XML parse: unclosed token at 1:1\n",
         78},
        {"the second folder's page does not load",
         {kConfig},
         {{"pages/login.twml", no_password}},
         {{"pages/", ""}},
         "ERROR: /usr/local/etc/tarnwick/templates/pages/login.twml: " + no_password_error + "\n",
         78},
        {"a valid page in a later folder passes",
         {kScreensConfig, {"templates/pages/login.twml", no_password}},
         {},
         {{"pages/login.twml", kValidLogin}},
         "",
         0},
        {"a valid page in the second folder passes",
         {kConfig},
         {{"pages/login.twml", kValidLogin}},
         {},
         "",
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::ScratchDir dir;
        test::ScratchDir second;
        test::ScratchDir third;
        test::write_folder(dir, c.config);
        test::write_folder(second, c.second);
        test::write_folder(third, c.third);
        const auto r = check_with_other_folders(dir.path(), second.path(), third.path());
        EXPECT_EQ(r.out, c.status == 0 ? "OK\n" : "");
        EXPECT_EQ(r.err, test::with_dir(c.err, dir.path()));
        EXPECT_EQ(r.status, c.status);
    }
}

TEST(CheckConfig, AbsoluteTemplatesDirStandsForItself) {
    test::ScratchDir elsewhere;
    elsewhere.write("pages/result.twml", R"(<screen id="r" schema="2.1"/>)");
    run_cases("--check-config",
              {{"absolute templates_dir",
                {{"config.json", R"({"templates_dir":")" + elsewhere.path() + R"("})"}, kLogin},
                {},
                "",
                "ERROR: pages/result.twml: unsupported schema: 2.1\n",
                78}});
}

TEST(CheckConfig, DeviceInPlaceOfAJsonTemplateIsRefusedPromptly) {
    test::ScratchDir dir;
    test::write_folder(dir, {kConfig, kLogin});
    ASSERT_EQ(::symlink("/dev/zero", dir.file("templates/main.json").c_str()), 0);
    const auto r = test::run_tarnwick({"--check-config", "--config-dir", dir.path()});
    EXPECT_FALSE(r.timed_out);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "ERROR: IO: Invalid argument (os error 22)\n");
    EXPECT_EQ(r.status, 78);
}

const std::pair<std::string, std::string> kEnglish{
    "locales/en-US/tarnwick.ftl", "locale.native_name = English\nt = Title\nl = Label\n"};
const std::pair<std::string, std::string> kFrench{
    "locales/fr-FR/tarnwick.ftl", "locale.native_name = Français\nt = Titre\nl = Libellé\n"};

TEST(ScreenMatrix, PrintsOneLinePerLocaleAndScreen) {
    const FolderFiles pages{
        {"templates/pages/a.twml", R"(<screen id="a" title-key="t"/>)"},
        {"templates/pages/b.twml",
         R"(<screen id="b" title-key="t"><menu><item label-key="l"/></menu></screen>)"},
        {"templates/pages/c.twml", R"(<screen id="c"><menu><item label-key="l"/></menu></screen>)"},
    };
    FolderFiles two_locales{kConfig, kEnglish, kFrench};
    two_locales.insert(two_locales.end(), pages.begin(), pages.end());

    run_cases(
        "--screen-matrix",
        {
            {"two locales, three pages, all resolved",
             two_locales,
             {},
             "GREEN locale=en-US native_name=English\n"
             "GREEN locale=en-US screen=a.twml keys=1 t=Title\n"
             "GREEN locale=en-US screen=b.twml keys=2 t=Title | l=Label\n"
             "GREEN locale=en-US screen=c.twml keys=1 l=Label\n"
             "GREEN locale=fr-FR native_name=Français\n"
             "GREEN locale=fr-FR screen=a.twml keys=1 t=Titre\n"
             "GREEN locale=fr-FR screen=b.twml keys=2 t=Titre | l=Libellé\n"
             "GREEN locale=fr-FR screen=c.twml keys=1 l=Libellé\n"
             "MATRIX_SUMMARY locales=2 screens=3 green=8 red=0\n",
             "",
             0},
            {"a forced locale without a folder falls back",
             {kConfig, kEnglish, {"templates/pages/a.twml", R"(<screen id="a" title-key="t"/>)"}},
             {"--locale", "de-DE"},
             "GREEN locale=de-DE native_name=English\n"
             "GREEN locale=de-DE screen=a.twml keys=1 t=Title\n"
             "MATRIX_SUMMARY locales=1 screens=1 green=2 red=0\n",
             "",
             0},
        });
}

TEST(ScreenMatrix, RedLinesAndTheirSummary) {
    run_cases(
        "--screen-matrix",
        {
            {"an empty message is unresolved even with a fallback text",
             {kConfig,
              kEnglish,
              {"locales/fr-FR/tarnwick.ftl", "locale.native_name = Français\nt =\n"},
              {"templates/pages/a.twml", R"(<screen id="a" title-key="t"/>)"}},
             {"--locale", "fr-FR"},
             "GREEN locale=fr-FR native_name=Français\n"
             "RED locale=fr-FR screen=a.twml key=t unresolved\n"
             "MATRIX_SUMMARY locales=1 screens=1 green=1 red=1\n",
             "ERROR: screen matrix red=1\n",
             78},
            {"a key missing everywhere shows itself and is unresolved",
             {kConfig,
              kEnglish,
              {"templates/pages/a.twml",
               R"(<screen id="a" title-key="t"><item label-key="nope"/></screen>)"}},
             {},
             "GREEN locale=en-US native_name=English\n"
             "RED locale=en-US screen=a.twml key=nope unresolved\n"
             "MATRIX_SUMMARY locales=1 screens=1 green=1 red=1\n",
             "ERROR: screen matrix red=1\n",
             78},
            {"a locale without a native name skips its screens",
             {kConfig,
              {"locales/en-US/tarnwick.ftl", "t = Title\n"},
              {"templates/pages/a.twml", R"(<screen id="a" title-key="t"/>)"}},
             {},
             "RED locale=en-US native_name unresolved\n"
             "MATRIX_SUMMARY locales=1 screens=1 green=0 red=1\n",
             "ERROR: screen matrix red=1\n",
             78},
            {"a folder named x.twml is a screen that does not load, and a page that fails to load",
             {kConfig,
              kEnglish,
              kFrench,
              {"templates/pages/x.twml/", ""},
              {"templates/pages/y.twml", R"(<screen id="y"><button/></screen>)"}},
             {},
             "GREEN locale=en-US native_name=English\n"
             "RED locale=en-US screen=x.twml load=IO: Is a directory (os error 21)\n"
             "RED locale=en-US screen=y.twml load=unknown tag: button\n"
             "GREEN locale=fr-FR native_name=Français\n"
             "RED locale=fr-FR screen=x.twml load=IO: Is a directory (os error 21)\n"
             "RED locale=fr-FR screen=y.twml load=unknown tag: button\n"
             "MATRIX_SUMMARY locales=2 screens=2 green=2 red=4\n",
             "ERROR: screen matrix red=4\n",
             78},
            {"an empty title-key alone gives no keys",
             {kConfig, kEnglish, {"templates/pages/a.twml", R"(<screen id="a" title-key=""/>)"}},
             {},
             "GREEN locale=en-US native_name=English\n"
             "RED locale=en-US screen=a.twml no-keys\n"
             "MATRIX_SUMMARY locales=1 screens=1 green=1 red=1\n",
             "ERROR: screen matrix red=1\n",
             78},
        });
}

TEST(ScreenMatrix, ErrorsBeforeAnyLine) {
    run_cases("--screen-matrix",
              {
                  {"configuration error",
                   {{"config.json", "[1"}},
                   {},
                   "",
                   "ERROR: JSON parse error: EOF while parsing a list at line 1 column 2\n",
                   78},
                  {"no pages folder",
                   {kConfig, kEnglish},
                   {},
                   "",
                   "ERROR: No such file or directory (os error 2)\n",
                   78},
                  {"no .twml name in the pages folder",
                   {kConfig,
                    kEnglish,
                    {"templates/pages/a.TWML", "<screen id=\"a\"/>"},
                    {"templates/pages/b.xml", ""}},
                   {},
                   "",
                   "ERROR: no TWML pages under {dir}/templates/pages\n",
                   78},
              });
}

TEST(ShippedConfiguration, ResPassesBothChecksAndHoldsTheDefaults) {
    const std::string res = std::string(TARNWICK_SOURCE_DIR) + "/res";
    const auto check = test::run_tarnwick({"--check-config", "--config-dir", res});
    EXPECT_EQ(check.out, "OK\n");
    EXPECT_EQ(check.err, "");
    EXPECT_EQ(check.status, 0);

    const auto matrix = test::run_tarnwick({"--screen-matrix", "--config-dir", res});
    EXPECT_EQ(matrix.status, 0) << matrix.out << matrix.err;
    EXPECT_EQ(matrix.err, "");
    EXPECT_EQ(matrix.out.find("RED"), std::string::npos) << matrix.out;
    EXPECT_NE(matrix.out.find("MATRIX_SUMMARY"), std::string::npos);
    // The information, result and confirmation pages are among them.
    for (const char* page : {"system-info.twml", "result.twml", "confirm-poweroff.twml",
                             "confirm-reboot.twml", "confirm-make-static.twml"}) {
        EXPECT_NE(matrix.out.find(std::string("GREEN locale=en-US screen=") + page + " keys="),
                  std::string::npos)
            << page << "\n"
            << matrix.out;
    }

    const auto config = load_config(res);
    ASSERT_TRUE(config) << display_config_error(config.error());
    EXPECT_EQ(*config, TarnwickConfig{});
}

}  // namespace
}  // namespace tarnwick::app
