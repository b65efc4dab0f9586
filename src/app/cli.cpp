#include "app/cli.h"

#include <charconv>
#include <iostream>
#include <string_view>
#include <vector>

namespace tarnwick::app {
namespace {

constexpr int kUsageStatus = 2;

// A decimal u64: no sign, no base prefix, no blanks, not empty.
std::optional<std::uint64_t> parse_u64(const std::string& text) {
    if (text.empty()) return std::nullopt;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
    }
    std::uint64_t value = 0;
    const auto res = std::from_chars(text.data(), text.data() + text.size(), value);
    if (res.ec != std::errc{} || res.ptr != text.data() + text.size()) return std::nullopt;
    return value;
}

// Flags take no value: "--dry-run=off" is a usage error, not a false flag
// (CLI11 would read the value as the flag's state).
void refuse_flag_values(const CLI::App& app, std::string_view arg) {
    if (arg.substr(0, 2) != "--") return;
    const auto equals = arg.find('=');
    if (equals == std::string_view::npos) return;
    const std::string name(arg.substr(0, equals));
    const CLI::Option* option = app.get_option_no_throw(name);
    if (option == nullptr || option->get_items_expected_max() != 0) return;
    throw CLI::ArgumentMismatch(name +
                                " takes no value, got: " + std::string(arg.substr(equals + 1)));
}

Cli extract(const CLI::App& app, const CliBindings& b) {
    Cli cli = b.cli;
    const auto given = [&](const char* name) { return app.get_option(name)->count() > 0; };
    if (given("--tty")) cli.tty = b.tty;
    if (given("--user")) cli.user = b.user;
    if (given("--locale")) cli.locale = b.locale;
    cli.color = parse_auto_mode(b.color).value_or(AutoMode::Auto);
    cli.mouse_echo_max = parse_u64(b.mouse_echo_max).value_or(8);
    return cli;
}

}  // namespace

std::unique_ptr<CLI::App> build_cli_command(CliBindings& b) {
    auto app = std::make_unique<CLI::App>("FreeBSD TTY menu-based login replacement", "tarnwick");
    app->set_version_flag("-V,--version", std::string(kVersionText));
    app->option_defaults()->always_capture_default();

    app->add_option("--tty", b.tty, "TTY device path (normal mode)")->type_name("TTY");
    app->add_option("--config-dir", b.cli.config_dir,
                    "Config directory (default /usr/local/etc/tarnwick)")
        ->type_name("CONFIG_DIR");
    app->add_option("--color", b.color, "Color mode")
        ->type_name("COLOR")
        ->check(CLI::IsMember({"auto", "always", "never"}));
    app->add_option("--user", b.user, "Username for --dry-run role simulation")->type_name("USER");
    app->add_option("--locale", b.locale,
                    "Force locale for --dry-run / --screen-matrix (e.g. fr-FR, ja)")
        ->type_name("LOCALE");
    app->add_flag("--dry-run", b.cli.dry_run, "Render menu tree to stdout without PAM/TTY");
    app->add_flag("--screen-matrix", b.cli.screen_matrix,
                  "Print every TWML screen's resolved i18n labels for a locale (red/green matrix)");
    app->add_flag("--check-config", b.cli.check_config, "Validate config + templates and exit");
    app->add_flag(
        "--smoke-mouse", b.cli.smoke_mouse,
        "Pure mouse hit-test / dropdown / form logic smoke (no PAM, no root). Prints PASS lines "
        "and `MOUSE_SMOKE_OK`");
    app->add_flag(
        "--mouse-echo", b.cli.mouse_echo,
        "Live SGR mouse decode harness for PTY inject tests. Writes `MOUSE kind=\xE2\x80\xA6 "
        "col=\xE2\x80\xA6 row=\xE2\x80\xA6` lines to --mouse-echo-path (Esc quits)");
    app->add_option("--mouse-echo-path", b.cli.mouse_echo_path,
                    "Output path for --mouse-echo (default /tmp/tarnwick-mouse-echo.log)")
        ->type_name("MOUSE_ECHO_PATH");
    app->add_option("--mouse-echo-max", b.mouse_echo_max,
                    "Max mouse events for --mouse-echo before auto-exit (default 8)")
        ->type_name("MOUSE_ECHO_MAX")
        ->check(CLI::Validator(
            [](std::string& value) -> std::string {
                return parse_u64(value) ? std::string() : "invalid digit found in string: " + value;
            },
            "", "u64"));
    app->add_flag(
           "--mouse", b.cli.mouse,
           "Accepted for CLI compatibility. Interactive UI always enables mouse capture (click "
           "fields/dropdowns/menus, scroll lists). No effect on dry-run modes")
        ->group("");
    return app;
}

std::variant<Cli, int> parse_cli(int argc, const char* const* argv) {
    CliBindings bindings;
    auto app = build_cli_command(bindings);
    // CLI11 reads "--opt=" as "no value given"; an empty value after "=" is a
    // value like any other, so hand it over as a separate empty argument.
    // CLI11 wants the arguments in reverse order.
    std::vector<std::string> args;
    for (int i = argc - 1; i >= 1; --i) {
        const std::string_view arg = argv[i];
        if (arg.size() > 3 && arg.substr(0, 2) == "--" && arg.back() == '=' &&
            arg.find('=') == arg.size() - 1) {
            args.emplace_back();
            args.emplace_back(arg.substr(0, arg.size() - 1));
        } else {
            args.emplace_back(arg);
        }
    }
    try {
        for (int i = 1; i < argc; ++i) {
            const std::string_view arg = argv[i];
            if (arg == "--") break;  // positionals from here on
            refuse_flag_values(*app, arg);
        }
        app->parse(args);
    } catch (const CLI::ParseError& e) {
        const int code = app->exit(e, std::cout, std::cerr);
        std::cout.flush();
        return code == static_cast<int>(CLI::ExitCodes::Success) ? 0 : kUsageStatus;
    }
    return extract(*app, bindings);
}

}  // namespace tarnwick::app
