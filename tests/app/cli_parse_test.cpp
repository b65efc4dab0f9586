#include "app/cli.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace tarnwick::app {
namespace {

std::variant<Cli, int> parse(std::vector<std::string> args) {
    args.insert(args.begin(), "tarnwick");
    std::vector<const char*> argv;
    for (const auto& a : args) argv.push_back(a.c_str());
    return parse_cli(static_cast<int>(argv.size()), argv.data());
}

TEST(CliParse, DefaultsWhenNothingIsGiven) {
    const auto parsed = parse({});
    ASSERT_TRUE(std::holds_alternative<Cli>(parsed));
    const Cli& cli = std::get<Cli>(parsed);
    EXPECT_EQ(cli.tty, std::nullopt);
    EXPECT_EQ(cli.config_dir, "/usr/local/etc/tarnwick");
    EXPECT_EQ(cli.color, AutoMode::Auto);
    EXPECT_EQ(cli.user, std::nullopt);
    EXPECT_EQ(cli.locale, std::nullopt);
    EXPECT_FALSE(cli.dry_run || cli.screen_matrix || cli.check_config || cli.smoke_mouse ||
                 cli.mouse_echo || cli.mouse);
    EXPECT_EQ(cli.mouse_echo_path, "/tmp/tarnwick-mouse-echo.log");
    EXPECT_EQ(cli.mouse_echo_max, 8u);
}

TEST(CliParse, TakesValuesAfterEqualsOrAsTheNextArgument) {
    const struct {
        std::vector<std::string> args;
        std::function<bool(const Cli&)> holds;
        const char* what;
    } cases[] = {
        {{"--tty", "/dev/ttyv1"}, [](const Cli& c) { return c.tty == "/dev/ttyv1"; }, "tty next"},
        {{"--tty=/dev/ttyv1"}, [](const Cli& c) { return c.tty == "/dev/ttyv1"; }, "tty ="},
        {{"--tty="}, [](const Cli& c) { return c.tty == ""; }, "empty after ="},
        {{"--config-dir", ""}, [](const Cli& c) { return c.config_dir.empty(); }, "empty next"},
        {{"--user=a=b"}, [](const Cli& c) { return c.user == "a=b"; }, "= inside the value"},
        {{"--locale", "fr-FR"}, [](const Cli& c) { return c.locale == "fr-FR"; }, "locale"},
        {{"--color=never"}, [](const Cli& c) { return c.color == AutoMode::Never; }, "color ="},
        {{"--color", "always"},
         [](const Cli& c) { return c.color == AutoMode::Always; },
         "color next"},
        {{"--mouse-echo-max", "0"}, [](const Cli& c) { return c.mouse_echo_max == 0; }, "max 0"},
        {{"--mouse-echo-max=18446744073709551615"},
         [](const Cli& c) { return c.mouse_echo_max == 18446744073709551615ull; },
         "max u64"},
        {{"--mouse-echo-path", "/tmp/x"},
         [](const Cli& c) { return c.mouse_echo_path == "/tmp/x"; },
         "path"},
        {{"--mouse"}, [](const Cli& c) { return c.mouse && !c.dry_run; }, "hidden flag"},
        {{"--dry-run", "--screen-matrix", "--check-config", "--smoke-mouse", "--mouse-echo"},
         [](const Cli& c) {
             return c.dry_run && c.screen_matrix && c.check_config && c.smoke_mouse && c.mouse_echo;
         },
         "all modes"},
    };
    for (const auto& c : cases) {
        const auto parsed = parse(c.args);
        ASSERT_TRUE(std::holds_alternative<Cli>(parsed)) << c.what;
        EXPECT_TRUE(c.holds(std::get<Cli>(parsed))) << c.what;
    }
}

}  // namespace
}  // namespace tarnwick::app
