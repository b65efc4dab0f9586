#include <CLI/CLI.hpp>

#include <cstdio>

// Placeholder entry: the command line grows with the program.
int main(int argc, char** argv) {
    CLI::App app{"FreeBSD TTY menu-based login replacement", "tarnwick"};
    app.set_version_flag("--version", "tarnwick 0.1.1");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e);
    }
    return 0;
}
