// --dry-run as a process: the TWML road through the menu page search, the
// header lines, and the JSON road inside a mount namespace that hides the
// shipped pages.

#include "offline_fixture.h"
#include "support/ci_gate.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>

namespace tarnwick::app {
namespace {

using test::FolderFiles;

constexpr const char* kAdminMenu = R"(<screen id="admin-menu" require="session">
  <main>
    <menu id="main">
      <item id="shell" action="spawn_shell" label-key="action.shell"/>
      <item id="off" action="power_off" label-key="action.power_off" require="power"/>
      <item id="odd" action="frobnicate"/>
      <item id="nolabel-action"/>
    </menu>
  </main>
</screen>)";

constexpr const char* kEnglish = "locale.native_name = English\naction.shell = Open shell\n";

const FolderFiles kTwmlFolder{
    {"config.json", R"({"color":"never"})"},
    {"locales/en-US/tarnwick.ftl", kEnglish},
    {"locales/fr-FR/tarnwick.ftl", "action.shell = Ouvrir un shell\n"},
    {"templates/pages/admin-menu.twml", kAdminMenu},
    // Never read while the TWML road gives a menu.
    {"templates/broken.json", "{"},
};

// The environment a dry run sees: no locale variables, TERM as given.
test::ProcessOptions environment(std::optional<std::string> term,
                                 std::optional<std::string> lang = std::nullopt) {
    test::ProcessOptions o;
    o.env = {
        {"LC_ALL", std::nullopt}, {"LC_MESSAGES", std::nullopt}, {"LANG", lang}, {"TERM", term}};
    return o;
}

struct DryRunCase {
    const char* name;
    std::vector<std::string> args;
    std::optional<std::string> term;
    std::optional<std::string> lang;
    std::string out;
};

TEST(DryRun, TwmlRoadPrintsTheHeaderAndTheItemsTheViewerMaySee) {
    const std::string shell_and_odd =
        "- [shell] Open shell action=SpawnShell\n"
        "- [odd] odd action=None\n";
    const DryRunCase cases[] = {
        {"default user is nobody, TERM unset gives Mono",
         {},
         std::nullopt,
         std::nullopt,
         "screen: admin-menu.twml (TWML)\nlocale: en-US\ncolor: Mono\nadmin: false\n" +
             shell_and_odd},
        {"root is an administrator and sees the power item",
         {"--user", "root", "--color", "always"},
         std::nullopt,
         std::nullopt,
         "screen: admin-menu.twml (TWML)\nlocale: en-US\ncolor: Color16\nadmin: true\n"
         "- [shell] Open shell action=SpawnShell\n"
         "- [off] action.power_off action=PowerOff\n"
         "- [odd] odd action=None\n"},
        {"Root is not",
         {"--user", "Root"},
         "xterm",
         std::nullopt,
         "screen: admin-menu.twml (TWML)\nlocale: en-US\ncolor: Color16\nadmin: false\n" +
             shell_and_odd},
        {"the configuration's color key is ignored, --color never is not",
         {"--color", "never"},
         "xterm-256color",
         std::nullopt,
         "screen: admin-menu.twml (TWML)\nlocale: en-US\ncolor: Mono\nadmin: false\n" +
             shell_and_odd},
        {"a forced locale without a folder falls back",
         {"--locale", "de-DE"},
         "dumb",
         std::nullopt,
         "screen: admin-menu.twml (TWML)\nlocale: de-DE\ncolor: Mono\nadmin: false\n" +
             shell_and_odd},
        {"the locale comes from the environment",
         {},
         "vt100",
         "fr_FR.UTF-8",
         "screen: admin-menu.twml (TWML)\nlocale: fr-FR\ncolor: Color16\nadmin: false\n"
         "- [shell] Ouvrir un shell action=SpawnShell\n"
         "- [odd] odd action=None\n"},
    };
    test::ScratchDir dir;
    test::write_folder(dir, kTwmlFolder);
    for (const auto& c : cases) {
        std::vector<std::string> args{"--dry-run", "--config-dir", dir.path()};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const auto r = test::run_tarnwick(args, environment(c.term, c.lang));
        EXPECT_EQ(r.out, c.out) << c.name;
        EXPECT_EQ(r.err, "") << c.name;
        EXPECT_EQ(r.status, 0) << c.name;
    }
}

TEST(DryRun, ConfigurationErrorEndsWith78) {
    test::ScratchDir dir;
    dir.write("config.json", R"({"admin_users":"root"})");
    const auto r = test::run_tarnwick({"--dry-run", "--config-dir", dir.path()});
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.rfind("ERROR: JSON parse error: invalid type: string \"root\"", 0), 0u)
        << r.err;
    EXPECT_EQ(r.status, 78);
}

// Runs the dry run in a private mount namespace in which the installed and
// the source tree's template folders are empty, so that only the
// configuration folder can offer a menu page.
test::ProcessResult dry_run_without_shipped_pages(const std::string& config_dir,
                                                  const std::string& empty_dir,
                                                  const std::vector<std::string>& args = {},
                                                  std::optional<std::string> term = std::nullopt) {
    const std::string script =
        "empty=$1; shift; "
        "for d in \"$1\" /usr/local/etc/tarnwick/templates; do "
        "  if [ -d \"$d\" ]; then mount --bind \"$empty\" \"$d\" || exit 99; fi; "
        "done; shift; exec \"$@\"";
    const std::string shipped = std::string(TARNWICK_SOURCE_DIR) + "/res/templates";
    std::vector<std::string> command = {"--mount",
                                        "--propagation",
                                        "private",
                                        "--",
                                        "sh",
                                        "-c",
                                        script,
                                        "sh",
                                        empty_dir,
                                        shipped,
                                        TARNWICK_BINARY,
                                        "--dry-run",
                                        "--config-dir",
                                        config_dir};
    command.insert(command.end(), args.begin(), args.end());
    return test::run_process("unshare", command, environment(std::move(term)));
}

TEST(DryRun, JsonRoadWhenNoFolderGivesAMenu) {
    REQUIRE_ROOT("needs root for a mount namespace");
    const std::string power_only =
        R"(<screen id="m" require="session"><menu><item id="off" action="power_off" require="power"/></menu></screen>)";
    const std::string json_menu =
        R"({"schema_version":"1.0","screen_id":"json-menu","title_key":"t","widgets":[)"
        R"({"type":"item","id":"a","label_key":"action.shell","action":"spawn_shell"},)"
        R"({"type":"item","id":"b","action":"reboot","condition":"user_is_admin"}]})";
    const struct {
        const char* name;
        FolderFiles files;
        std::string out;
        std::string err;
        int status;
        std::vector<std::string> args = {};
        std::optional<std::string> term = std::nullopt;
    } cases[] = {
        {"a page whose items the viewer may not use gives way to the JSON templates",
         {{"config.json", "{}"},
          {"locales/en-US/tarnwick.ftl", kEnglish},
          {"templates/pages/admin-menu.twml", power_only},
          {"templates/menu.json", json_menu}},
         "screen: json-menu (t)\ncolor: never\nadmin: false\n"
         "- [item] Open shell action=spawn_shell\n"
         "  Shell\n",
         "",
         0},
        {"a broken JSON template ends the dry run",
         {{"config.json", "{}"}, {"templates/menu.json", R"({"schema_version":"2"})"}},
         "",
         "ERROR: JSON: missing field `screen_id` at line 1 column 22\n",
         78},
        {"no JSON template prints the built-in main menu",
         {{"config.json", "{}"}, {"locales/en-US/tarnwick.ftl", kEnglish}},
         "screen: main-menu (menu.main.title)\ncolor: never\nadmin: false\n"
         "- [menu] menu.main action=-\n"
         "  - [item] action.sysinfo action=system_info\n"
         "  - [item] action.network action=network_status\n"
         "  - [item] action.power action=power_menu\n",
         "",
         0},
        // The rendering follows the dry run's colour depth.
        {"--color always renders the JSON templates in colour",
         {{"config.json", R"({"color":"never"})"}, {"templates/menu.json", json_menu}},
         "screen: json-menu (t)\ncolor: 16\nadmin: true\n"
         "- [item] action.shell action=spawn_shell\n"
         "  Shell\n"
         "- [item] b action=reboot\n",
         "",
         0,
         {"--color", "always", "--user", "root"}},
        {"--color auto on a colour terminal renders the built-in menu in colour",
         {{"config.json", "{}"}},
         "screen: main-menu (menu.main.title)\ncolor: 16\nadmin: false\n"
         "- [menu] menu.main action=-\n"
         "  - [item] action.sysinfo action=system_info\n"
         "  - [item] action.network action=network_status\n"
         "  - [item] action.power action=power_menu\n",
         "",
         0,
         {},
         "xterm-256color"},
        {"--color never on a colour terminal renders without colour",
         {{"config.json", "{}"}},
         "screen: main-menu (menu.main.title)\ncolor: never\nadmin: false\n"
         "- [menu] menu.main action=-\n"
         "  - [item] action.sysinfo action=system_info\n"
         "  - [item] action.network action=network_status\n"
         "  - [item] action.power action=power_menu\n",
         "",
         0,
         {"--color", "never"},
         "xterm-256color"},
    };
    for (const auto& c : cases) {
        test::ScratchDir dir;
        test::write_folder(dir, c.files);
        const std::string empty = dir.mkdir("empty");
        const auto r = dry_run_without_shipped_pages(dir.path(), empty, c.args, c.term);
        if (r.status != c.status && r.err.find("unshare") != std::string::npos) {
            SKIP_OR_FAIL_IN_CI("no mount namespace here: " + r.err);
        }
        EXPECT_EQ(r.out, c.out) << c.name;
        EXPECT_EQ(r.err, c.err) << c.name;
        EXPECT_EQ(r.status, c.status) << c.name;
    }
}

}  // namespace
}  // namespace tarnwick::app
