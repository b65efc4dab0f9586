#include "app/session/login_loop.h"

#include <cstdlib>
#include <optional>

#include "app/pam/auth_log.h"
#include "app/pam/pam_credentials.h"
#include "app/pam/pam_error.h"
#include "app/session/login_rules.h"
#include "app/session/login_users.h"
#include "core/console_log.h"
#include "core/diagnostics.h"
#include "tui/screens/login_screen.h"
#include "tui/term/terminal.h"

namespace tarnwick::app {
namespace {

// Runs the PAM steps of one attempt. On success the open session; on failure
// the failure text, with any handle already ended.
Result<PamSession, std::string> authenticate(const std::string& pam_user,
                                             const std::string& terminal_label) {
    auto started = start_pam(pam_user);
    if (!started) return fail("pam_start: " + display_pam_error(started.error()));
    PamSession session = std::move(*started);
    const auto failed = [&](std::string text) -> Result<PamSession, std::string> {
        end_pam_handle(session);
        return fail(std::move(text));
    };
    if (auto r = set_pam_tty(session, terminal_label); !r) {
        return failed("pam_set_tty(" + terminal_label + "): " + display_pam_error(r.error()));
    }
    if (auto r = authenticate_user(session.handle); !r) {
        return failed("bad password or auth: " + display_pam_error(r.error()));
    }
    auto account = check_account(session.handle);
    scrub_credentials();
    if (!account) {
        return failed("account rejected (securetty/login_access on " + terminal_label +
                      "?): " + display_pam_error(account.error()));
    }
    if (auto r = establish_credentials(session.handle); !r) {
        return failed("pam_setcred: " + display_pam_error(r.error()));
    }
    if (auto r = open_pam_session(session.handle); !r) {
        return failed(open_session_error_text(r.error()));
    }
    return session;
}

}  // namespace

Result<std::variant<int, LoginSuccess>, std::string> run_login_loop(SessionContext& ctx) {
    std::uint32_t attempts_left = LOGIN_ATTEMPTS;
    std::optional<tui::LoginFailure> last_failure;
    std::optional<std::string> preset_user;
    const bool list_mode = show_user_list(ctx.config, ctx.login_users.size());

    for (;;) {
        const Catalog catalog = select_catalog(ctx.locales_dir, ctx.current_tag, ctx.languages,
                                               ctx.config.locale_fallback);
        tui::LoginScreenArgs args;
        args.color = ctx.color;
        args.form.attempts = attempts_left;
        args.form.failure = std::move(last_failure);
        args.form.users = ctx.login_users;
        args.form.addresses = ctx.addresses;
        args.form.languages = ctx.languages;
        args.form.current_tag = ctx.current_tag;
        args.form.list_mode = list_mode;
        args.form.preset_user = preset_user;
        args.locales_dir = ctx.locales_dir;
        args.fallback_tag = ctx.config.locale_fallback;
        args.diagnostics = [&catalog] { return diagnostics_model(catalog); };
        args.page = ctx.login_template;
        args.config_dir = ctx.config_dir;
        auto shown = tui::login_screen(std::move(args));
        last_failure.reset();
        if (!shown) return fail(tui::display_io_error(shown.error()));
        if (!shown->has_value()) return std::variant<int, LoginSuccess>(0);
        tui::LoginRequest request = std::move(**shown);

        ctx.current_tag = request.language;
        setenv("LANG", lang_for_tag(ctx.current_tag).c_str(), 1);
        const std::string display = request.user;
        const std::string pam_user = pam_user_for(display);
        const std::size_t password_len = request.password.char_count();
        append_auth_log(display, pam_user, ctx.terminal_label, password_len, std::nullopt);
        pam_credentials().store(pam_user, std::move(request.password));

        auto session = authenticate(pam_user, ctx.terminal_label);
        if (session) {
            append_auth_log(display, pam_user, ctx.terminal_label, password_len, "ok");
            Catalog session_catalog = select_catalog(ctx.locales_dir, ctx.current_tag,
                                                     ctx.languages, ctx.config.locale_fallback);
            return std::variant<int, LoginSuccess>(
                LoginSuccess{{display, pam_user}, std::move(session_catalog), std::move(*session)});
        }

        const std::string& text = session.error();
        scrub_credentials();
        append_auth_log(display, pam_user, ctx.terminal_label, password_len, text);
        const Catalog failed_catalog = select_catalog(ctx.locales_dir, ctx.current_tag,
                                                      ctx.languages, ctx.config.locale_fallback);
        if (attempts_left < 2) {
            tui::restore_terminal();
            // No typed name here: the console log is shown to whoever sits at
            // the console next, and a name field may hold a mistyped password.
            // The authentication log keeps the names.
            log_console("authentication failed after " + std::to_string(LOGIN_ATTEMPTS) +
                        " attempts (tty=" + ctx.terminal_label + ")");
            return std::variant<int, LoginSuccess>(77);
        }
        tui::LoginFailure failure;
        failure.password_len = password_len;
        failure.title = translate(failed_catalog, "login.error.title");
        failure.message = translate(failed_catalog, login_error_key(text, password_len));
        failure.tried_user = display;
        failure.pam_user = pam_user;
        failure.detail = text;
        failure.attempts_left = attempts_left - 1;
        attempts_left -= 1;
        last_failure = std::move(failure);
        preset_user = display;
    }
}

}  // namespace tarnwick::app
