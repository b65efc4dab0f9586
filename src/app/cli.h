#pragma once
// The command line: thirteen long options, parsed before anything else runs.

#include "core/config.h"

#include <CLI/CLI.hpp>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>

namespace tarnwick::app {

inline constexpr std::string_view kVersionText = "tarnwick 0.1.1";

struct Cli {
    std::optional<std::string> tty;
    std::string config_dir = "/usr/local/etc/tarnwick";
    AutoMode color = AutoMode::Auto;
    std::optional<std::string> user;
    std::optional<std::string> locale;
    bool dry_run = false;
    bool screen_matrix = false;
    bool check_config = false;
    bool smoke_mouse = false;
    bool mouse_echo = false;
    std::string mouse_echo_path = "/tmp/tarnwick-mouse-echo.log";
    std::uint64_t mouse_echo_max = 8;
    bool mouse = false;  // accepted and stored; changes nothing
};

// Where the parsed option values land: the plain fields straight in the Cli,
// the optional and checked ones as text until the parse has succeeded.
struct CliBindings {
    Cli cli;
    std::string tty;
    std::string user;
    std::string locale;
    std::string color = "auto";
    std::string mouse_echo_max = "8";
};

// The command definition, its options bound to `bindings`.
std::unique_ptr<CLI::App> build_cli_command(CliBindings& bindings);

// Parses the process arguments. Help, version and usage errors are printed
// here (help and version on stdout, errors on stderr) and give the exit
// status to end with: 0 or 2.
std::variant<Cli, int> parse_cli(int argc, const char* const* argv);

}  // namespace tarnwick::app
