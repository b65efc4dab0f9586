#include "core/config.h"
#include "core/read_file.h"

#include "support/scratch_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <variant>

namespace tarnwick {
namespace {

using test::ScratchDir;

TarnwickConfig defaults_with(const std::function<void(TarnwickConfig&)>& change) {
    TarnwickConfig c;
    change(c);
    return c;
}

struct FileCase {
    std::string text;                                    // config.json
    std::variant<TarnwickConfig, std::string> expected;  // the record or the error text
};

// Short one-line test names: the file text with line ends shown, cut at 60 bytes.
void PrintTo(const FileCase& c, std::ostream* os) {
    std::string label;
    for (char ch : c.text.substr(0, 60)) {
        if (ch == '\n')
            label += "\\n";
        else if (static_cast<unsigned char>(ch) < 0x20 || static_cast<unsigned char>(ch) >= 0x7F)
            label += '?';
        else
            label += ch;
    }
    *os << label;
}

class ConfigFile : public ::testing::TestWithParam<FileCase> {};

TEST_P(ConfigFile, LoadsOrFailsWithTheExactText) {
    ScratchDir dir;
    dir.write("config.json", GetParam().text);
    const auto loaded = load_config(dir.path());
    if (const auto* expected = std::get_if<TarnwickConfig>(&GetParam().expected)) {
        ASSERT_TRUE(loaded.has_value()) << display_config_error(loaded.error());
        EXPECT_TRUE(*loaded == *expected);
    } else {
        ASSERT_FALSE(loaded.has_value());
        EXPECT_EQ(display_config_error(loaded.error()), std::get<std::string>(GetParam().expected));
    }
}

const TarnwickConfig kDefaults{};

INSTANTIATE_TEST_SUITE_P(
    Cases, ConfigFile,
    ::testing::Values(
        FileCase{"{}", kDefaults}, FileCase{"[]", kDefaults}, FileCase{"{}\n  \r\n\t ", kDefaults},
        FileCase{R"({"color": "never", "admin_users": ["ops", "ops"], "templates_dir": "/srv/t",
                    "plugins_dir": "p", "locale_fallback": "", "console_group": "wheel",
                    "user_list": "always", "user_list_max": 18446744073709551615,
                    "locales_dir": "/usr/share/l"})",
                 defaults_with([](TarnwickConfig& c) {
                     c.color = AutoMode::Never;
                     c.admin_users = {"ops", "ops"};
                     c.templates_dir = "/srv/t";
                     c.plugins_dir = "p";
                     c.locale_fallback = "";
                     c.console_group = "wheel";
                     c.user_list = AutoMode::Always;
                     c.user_list_max = 18446744073709551615ull;
                     c.locales_dir = "/usr/share/l";
                 })},
        FileCase{R"({"admin_users": [], "templates_dir": " a\u00e9\n"})",
                 defaults_with([](TarnwickConfig& c) {
                     c.admin_users = {};
                     c.templates_dir = " a\xC3\xA9\n";
                 })},
        FileCase{R"(["never"])",
                 defaults_with([](TarnwickConfig& c) { c.color = AutoMode::Never; })},
        FileCase{R"(["auto", ["a"], "t", "p", "fr", "g", "never", 3, null])",
                 defaults_with([](TarnwickConfig& c) {
                     c.admin_users = {"a"};
                     c.templates_dir = "t";
                     c.plugins_dir = "p";
                     c.locale_fallback = "fr";
                     c.console_group = "g";
                     c.user_list = AutoMode::Never;
                     c.user_list_max = 3;
                 })},
        FileCase{R"(["auto", ["a"], "t", "p", "fr", "g", "never", 3, null, 1])",
                 "JSON parse error: invalid length 10, expected fewer elements in array"},
        FileCase{R"([5, 1, 1, 1, 1, 1, 1, 1, 1, 1])",
                 "JSON parse error: invalid type: integer `5`, expected string or map"},
        FileCase{R"({"colour": "auto"})", "unknown field: colour"},
        FileCase{R"({"zeta": 1, "alpha": 2})", "unknown field: alpha"},
        FileCase{R"({"zeta": 1, "color": 5})", "unknown field: zeta"},
        FileCase{R"({"Color": "auto"})", "unknown field: Color"},
        FileCase{R"({"color": "never", "color": "always"})",
                 defaults_with([](TarnwickConfig& c) { c.color = AutoMode::Always; })},
        FileCase{R"({"color": 5, "color": "always"})",
                 defaults_with([](TarnwickConfig& c) { c.color = AutoMode::Always; })},
        // Values are checked in bytewise key order, not file order.
        FileCase{R"({"user_list": 1, "color": true})",
                 "JSON parse error: invalid type: boolean `true`, expected string or map"},
        FileCase{
            R"({"color": "Auto"})",
            "JSON parse error: unknown variant `Auto`, expected one of `auto`, `always`, `never`"},
        FileCase{R"({"color": {"always": null}})",
                 defaults_with([](TarnwickConfig& c) { c.color = AutoMode::Always; })},
        FileCase{R"({"user_list": {"never": null, "never": null}})",
                 defaults_with([](TarnwickConfig& c) { c.user_list = AutoMode::Never; })},
        FileCase{R"({"color": {}})",
                 "JSON parse error: invalid value: map, expected map with a single key"},
        FileCase{R"({"color": {"auto": null, "never": null}})",
                 "JSON parse error: invalid value: map, expected map with a single key"},
        FileCase{R"({"color": {"sometimes": null}})",
                 "JSON parse error: unknown variant `sometimes`, expected one of `auto`, `always`, "
                 "`never`"},
        FileCase{R"({"color": {"never": 1}})",
                 "JSON parse error: invalid type: integer `1`, expected unit"},
        FileCase{R"({"color": null})",
                 "JSON parse error: invalid type: null, expected string or map"},
        FileCase{R"({"user_list": ["auto"]})",
                 "JSON parse error: invalid type: sequence, expected string or map"},
        FileCase{R"({"user_list_max": 0})",
                 defaults_with([](TarnwickConfig& c) { c.user_list_max = 0; })},
        FileCase{R"({"user_list_max": -1})",
                 "JSON parse error: invalid value: integer `-1`, expected usize"},
        FileCase{R"({"user_list_max": true})",
                 "JSON parse error: invalid type: boolean `true`, expected usize"},
        FileCase{R"({"user_list_max": 1.5})",
                 "JSON parse error: invalid type: floating point `1.5`, expected usize"},
        FileCase{R"({"user_list_max": 18446744073709551616})",
                 "JSON parse error: invalid type: floating point `18446744073709552000.0`, "
                 "expected usize"},
        FileCase{R"({"user_list_max": 1.00000000000000001e-340})",
                 "JSON parse error: invalid type: floating point `0.0`, expected usize"},
        FileCase{R"({"user_list_max": 1.8e308})",
                 "JSON parse error: number out of range at line 1 column 25"},
        FileCase{R"({"user_list_max": "10"})",
                 "JSON parse error: invalid type: string \"10\", expected usize"},
        FileCase{R"({"locales_dir": null})", kDefaults},
        FileCase{R"({"locales_dir": 1})",
                 "JSON parse error: invalid type: integer `1`, expected path string"},
        FileCase{R"({"templates_dir": 3})",
                 "JSON parse error: invalid type: integer `3`, expected path string"},
        FileCase{R"({"plugins_dir": {}})",
                 "JSON parse error: invalid type: map, expected path string"},
        FileCase{R"({"console_group": null})",
                 "JSON parse error: invalid type: null, expected a string"},
        FileCase{R"({"locale_fallback": ["en"]})",
                 "JSON parse error: invalid type: sequence, expected a string"},
        FileCase{R"({"admin_users": "root"})",
                 "JSON parse error: invalid type: string \"root\", expected a sequence"},
        FileCase{R"({"admin_users": ["root", 7]})",
                 "JSON parse error: invalid type: integer `7`, expected a string"},
        FileCase{"5",
                 "JSON parse error: invalid type: integer `5`, expected struct TarnwickConfig"},
        FileCase{"\"x\"",
                 "JSON parse error: invalid type: string \"x\", expected struct TarnwickConfig"},
        FileCase{"null", "JSON parse error: invalid type: null, expected struct TarnwickConfig"},
        FileCase{"", "JSON parse error: EOF while parsing a value at line 1 column 0"},
        FileCase{"{} x", "JSON parse error: trailing characters at line 1 column 4"},
        FileCase{"{\n  \"color\": \"auto\",\n}",
                 "JSON parse error: trailing comma at line 3 column 1"},
        FileCase{"{\"color\": \"a\xFF\"}",
                 "JSON parse error: invalid unicode code point at line 1 column 13"},
        FileCase{std::string(129, '[') + std::string(129, ']'),
                 "JSON parse error: recursion limit exceeded at line 1 column 129"}));

TEST(ConfigFolder, ReportsAMissingFolderOrFileAsGiven) {
    ScratchDir dir;
    const std::string plain = dir.write("plain", "{}");
    EXPECT_EQ(display_config_error(load_config(plain).error()), "config dir not found: " + plain);
    EXPECT_EQ(display_config_error(load_config(dir.file("missing")).error()),
              "config dir not found: " + dir.file("missing"));
    EXPECT_EQ(display_config_error(load_config("").error()), "config dir not found: ");

    const std::string empty = dir.mkdir("empty");
    EXPECT_EQ(display_config_error(load_config(empty).error()),
              "config file not found: " + empty + "/config.json");
    // A folder given with its trailing slash gets no second one.
    EXPECT_EQ(display_config_error(load_config(empty + "/").error()),
              "config file not found: " + empty + "/config.json");

    dir.mkdir("dir/config.json");
    EXPECT_EQ(display_config_error(load_config(dir.file("dir")).error()),
              "config file not found: " + dir.file("dir") + "/config.json");

    dir.mkdir("fifo");
    ASSERT_EQ(::mkfifo(dir.file("fifo/config.json").c_str(), 0600), 0);
    EXPECT_EQ(display_config_error(load_config(dir.file("fifo")).error()),
              "config file not found: " + dir.file("fifo") + "/config.json");

    dir.mkdir("zero");
    ASSERT_EQ(::symlink("/dev/zero", dir.file("zero/config.json").c_str()), 0);
    EXPECT_EQ(display_config_error(load_config(dir.file("zero")).error()),
              "config file not found: " + dir.file("zero") + "/config.json");

    // Past the cap the file is not parsed at all, however valid its start.
    dir.write("large/config.json", "{}" + std::string(kMaxConfigFileBytes, ' '));
    EXPECT_EQ(display_config_error(load_config(dir.file("large")).error()),
              "IO error: file is larger than 1048576 bytes");
}

TEST(ConfigFolder, FollowsSymbolicLinks) {
    ScratchDir dir;
    dir.write("real/config.json", R"({"color": "never"})");
    ASSERT_EQ(::symlink(dir.file("real").c_str(), dir.file("link").c_str()), 0);
    const auto loaded = load_config(dir.file("link"));
    ASSERT_TRUE(loaded.has_value());
    EXPECT_EQ(loaded->color, AutoMode::Never);
}

TEST(ConfigFolder, ShowsAnInvalidUtf8FolderNameLossily) {
    const ConfigError e{ConfigErrorKind::DirNotFound, "/etc/t\xFFx"};
    EXPECT_EQ(display_config_error(e), "config dir not found: /etc/t\xEF\xBF\xBDx");
}

// An unreadable file, read by a user whom the permission bits refuse. As root
// the bits do not apply, so the load runs in a child that became nobody.
TEST(ConfigFolder, ReportsAnUnreadableFileWithTheSystemText) {
    ScratchDir dir;
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    dir.write("config.json", "{}", 0000);
    if (::geteuid() != 0) {
        EXPECT_EQ(display_config_error(load_config(dir.path()).error()),
                  "IO error: Permission denied (os error 13)");
        return;
    }
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::close(fds[0]);
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(2);
        const auto loaded = load_config(dir.path());
        const std::string text = loaded ? "loaded" : display_config_error(loaded.error());
        const bool ok =
            ::write(fds[1], text.data(), text.size()) == static_cast<ssize_t>(text.size());
        ::_exit(ok ? 0 : 3);
    }
    ::close(fds[1]);
    std::string text;
    char buf[256];
    for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;)
        text.append(buf, static_cast<std::size_t>(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(text, "IO error: Permission denied (os error 13)");
}

TEST(AutoModeNames, ParseExactlyAndRoundTrip) {
    for (AutoMode m : {AutoMode::Auto, AutoMode::Always, AutoMode::Never}) {
        EXPECT_EQ(parse_auto_mode(auto_mode_name(m)), m);
    }
    EXPECT_EQ(parse_auto_mode("Always"), std::nullopt);
    EXPECT_EQ(parse_auto_mode(""), std::nullopt);
    EXPECT_EQ(static_cast<int>(AutoMode::Never), 2);
}

}  // namespace
}  // namespace tarnwick
