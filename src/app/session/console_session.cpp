#include "app/session/console_session.h"

#include <signal.h>
#include <unistd.h>

#include "app/session/console_addresses.h"
#include "app/session/find_login_page.h"
#include "app/session/login_loop.h"
#include "app/session/login_users.h"
#include "app/session/menu_loop.h"
#include "app/session/say_on_console.h"
#include "app/session/session_context.h"
#include "app/session/stderr_capture.h"
#include "app/session/tty_label.h"
#include "core/console_log.h"
#include "core/text.h"
#include "platform/command.h"
#include "platform/stop_signals.h"
#include "platform/terminal_attach.h"
#include "platform/terminal_claim.h"
#include "template/screen/default_main_menu.h"
#include "tui/term/terminal.h"

namespace tarnwick::app {

Result<int, std::string> run_console_session(const Cli& cli) {
    app::SessionContext ctx;
    ctx.cli = &cli;
    ctx.config_dir = cli.config_dir;
    ctx.terminal_path = cli.tty.value_or("/dev/ttyv0");
    ctx.terminal_label = app::tty_label(cli.tty);
    // Between two screens the terminal is in cooked mode: a Ctrl-C, Ctrl-\ or
    // Ctrl-Z typed then must not end or stop the root process (and with it
    // an open PAM session). Every child starts with default handling again.
    for (const int sig : {SIGINT, SIGQUIT, SIGTSTP}) (void)::signal(sig, SIG_IGN);
    // A hang-up or SIGTERM ends the console the orderly way (see the loops).
    platform::install_stop_signals();

    if (!isatty(0)) {
        if (auto attached = platform::attach_console_tty(ctx.terminal_path); !attached) {
            return fail(attached.error());
        }
    }
    // Nobody else may hold the terminal once the login screen can show.
    bool named = false;
    ctx.tty_device = platform::terminal_name_of_stdin(named);
    if (!named) return fail(std::string("could not name the console terminal"));
    if (auto claimed = platform::claim_terminal(ctx.tty_device); !claimed) {
        return fail(std::move(claimed.error()));
    }
    app::install_stderr_capture();
    log_console("start tty=" + decode_lossy(ctx.terminal_path) + " pam_hint=" + ctx.terminal_label);

    auto config = load_config(ctx.config_dir);
    if (!config) return fail(display_config_error(config.error()));
    ctx.config = std::move(*config);
    ctx.color = cli.color != AutoMode::Auto ? cli.color : ctx.config.color;
    ctx.locales_dir = ctx.config.locales_dir.value_or(join_path(ctx.config_dir, "locales"));
    ctx.current_tag = env_locale();

    // The platform commands of the start-up run while the files are read:
    // getent and ifconfig at once, then the id lookups of the group's members.
    platform::CommandSet commands;
    const auto group_lookup = app::start_group_lookup(ctx.config, commands);
    const auto address_listing = app::start_address_listing(commands);

    auto templates = tmpl::load_screen_dir(join_path(ctx.config_dir, ctx.config.templates_dir));
    ctx.menu_template = templates && !templates->empty() ? std::move(templates->front())
                                                         : tmpl::default_main_menu();
    ctx.languages = discover_locales(ctx.locales_dir);

    ctx.login_users = app::login_user_list(ctx.config, commands, group_lookup);
    ctx.addresses = app::console_addresses(commands, address_listing);

    auto login_page = app::find_login_page(ctx.config_dir);
    if (!login_page) {
        tui::restore_terminal();
        app::say_on_console(login_page.error());
        return 78;
    }
    ctx.login_template = std::move(*login_page);
    if (ctx.login_template.password_max_length == 0) ctx.login_template.password_max_length = 1;
    if (ctx.login_template.user_max_length == 0) ctx.login_template.user_max_length = 1;
    log_console("login page TWML: title_key=" + ctx.login_template.title_key +
                " password_max=" + std::to_string(ctx.login_template.password_max_length));
    log_console("login welcome ready for locale=" + ctx.current_tag +
                " (welcome.{locale}.md / welcome.md)");

    auto signed_in = app::run_login_loop(ctx);
    if (const int sig = platform::stop_signal(); sig != 0 && !signed_in) {
        // Nobody is signed in: nothing to end but the screen.
        tui::restore_terminal();
        log_console("stopped by signal " + std::to_string(sig) + " before sign-in");
        return 0;
    }
    if (!signed_in) return fail(std::move(signed_in.error()));
    if (std::holds_alternative<int>(*signed_in)) return std::get<int>(*signed_in);
    return app::run_menu_loop(ctx, std::get<app::LoginSuccess>(std::move(*signed_in)));
}

}  // namespace tarnwick::app
