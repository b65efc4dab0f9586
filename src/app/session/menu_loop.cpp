#include "app/session/menu_loop.h"

#include <optional>
#include <vector>

#include "app/session/menu_actions.h"
#include "app/session/session_end.h"
#include "core/administrator.h"
#include "core/console_log.h"
#include "platform/stop_signals.h"
#include "template/menu/menu_page.h"
#include "template/menu/widget_menu.h"
#include "tui/term/terminal.h"

namespace tarnwick::app {
namespace {

class MenuLoop {
public:
    MenuLoop(const SessionContext& ctx, LoginSuccess signed_in)
        : ctx_(ctx),
          in_(std::move(signed_in)),
          admin_(
              session_is_admin(ctx.config.admin_users, in_.user.pam_user, in_.user.display_name)) {}

    Result<int, std::string> run() {
        const Catalog& catalog = in_.catalog;
        ActionScope scope{ctx_, in_.user, catalog, admin_, status_};
        auto items =
            tmpl::load_menu_page(ctx_.config_dir, "pages/admin-menu.twml", admin_, catalog);
        const std::vector<tmpl::MenuItem> menu =
            items ? std::move(*items)
                  : tmpl::build_menu_items(ctx_.menu_template.widgets, catalog, admin_);
        const std::string title = translate(catalog, "menu.list.title");
        const std::string greeting =
            translate_arg(catalog, "session.welcome", "user", in_.user.display_name);
        for (;;) {
            if (platform::stop_signal() != 0) return stopped();
            auto chosen = show_menu(scope, title, greeting, menu, status_);
            if (!chosen) return end_with_error(chosen.error());
            auto after = run_menu_action(*chosen, MenuPlace::SessionMenu, scope);
            if (!after) return end_with_error(after.error());
            if (*after == AfterAction::LogOut) return log_out();
        }
    }

private:
    Result<int, std::string> log_out() {
        tui::restore_terminal();
        end_signed_in_session(std::move(in_.pam), ctx_.tty_device);
        return 0;
    }

    // A hang-up or SIGTERM: the session ends as at a log-out, but the status
    // says the console was stopped (128 + the signal, as a shell reports it).
    Result<int, std::string> stopped() {
        const int sig = platform::stop_signal();
        (void)log_out();  // always 0; the status below says why the session ended
        log_console("signed-in session ended by signal " + std::to_string(sig));
        return 128 + sig;
    }

    Result<int, std::string> end_with_error(std::string text) {
        if (platform::stop_signal() != 0) return stopped();
        end_signed_in_session(std::move(in_.pam), ctx_.tty_device);
        return fail(std::move(text));
    }

    const SessionContext& ctx_;
    LoginSuccess in_;
    bool admin_;
    std::optional<std::string> status_;
};

}  // namespace

Result<int, std::string> run_menu_loop(const SessionContext& ctx, LoginSuccess signed_in) {
    return MenuLoop(ctx, std::move(signed_in)).run();
}

}  // namespace tarnwick::app
