#include "app/session/menu_loop.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "app/session/session_end.h"
#include "app/session/shell_start.h"
#include "core/diagnostics.h"
#include "template/menu/menu_page.h"
#include "template/menu/widget_menu.h"
#include "tui/screens/session_screen.h"
#include "tui/term/terminal.h"

namespace tarnwick::app {
namespace {

std::vector<tmpl::MenuItem> builtin_power_menu(const Catalog& catalog, bool admin) {
    std::vector<tmpl::MenuItem> items;
    items.push_back({"logout", translate(catalog, "action.logout"), tmpl::MenuAction::Logout});
    if (admin) {
        items.push_back({"reboot", translate(catalog, "action.reboot"), tmpl::MenuAction::Reboot});
        items.push_back(
            {"power_off", translate(catalog, "action.power_off"), tmpl::MenuAction::PowerOff});
    }
    items.push_back({"back", translate(catalog, "action.back"), tmpl::MenuAction::Back});
    return items;
}

// Actions whose screens are not part of this build yet.
std::string not_available(tmpl::MenuAction action) {
    switch (action) {
        case tmpl::MenuAction::SystemInfo:
            return "System information is not available yet";
        case tmpl::MenuAction::NetworkStatus:
            return "The network panel is not available yet";
        case tmpl::MenuAction::PowerOff:
            return "Power off is not available yet";
        case tmpl::MenuAction::Reboot:
            return "Reboot is not available yet";
        default:
            return {};
    }
}

class MenuLoop {
public:
    MenuLoop(const SessionContext& ctx, LoginSuccess signed_in)
        : ctx_(ctx), in_(std::move(signed_in)), admin_(session_is_admin(ctx.config, in_.user)) {}

    Result<int, std::string> run() {
        const Catalog& catalog = in_.catalog;
        auto items =
            tmpl::load_menu_page(ctx_.config_dir, "pages/admin-menu.twml", admin_, catalog);
        const std::vector<tmpl::MenuItem> menu =
            items ? std::move(*items)
                  : tmpl::build_menu_items(ctx_.menu_template.widgets, catalog, admin_);
        const std::string title = translate(catalog, "menu.list.title");
        const std::string greeting =
            translate_arg(catalog, "session.welcome", "user", in_.user.display_name);
        for (;;) {
            auto chosen = show(title, greeting, menu, status_);
            if (!chosen) return end_with_error(chosen.error());
            switch (*chosen) {
                case tmpl::MenuAction::SpawnShell:
                    status_ = start_shell(ctx_.tty_device, in_.user.pam_user, catalog);
                    break;
                case tmpl::MenuAction::PowerMenu: {
                    auto outcome = power_menu();
                    if (!outcome) return end_with_error(outcome.error());
                    if (*outcome) return log_out();
                    break;
                }
                case tmpl::MenuAction::Quit:
                case tmpl::MenuAction::Logout:
                    return log_out();
                case tmpl::MenuAction::Back:
                    break;
                case tmpl::MenuAction::None:
                    status_ = translate(catalog, "session.no_action");
                    break;
                default:
                    status_ = not_available(*chosen);
                    break;
            }
        }
    }

private:
    Result<tmpl::MenuAction, std::string> show(const std::string& title,
                                               const std::string& subtitle,
                                               const std::vector<tmpl::MenuItem>& items,
                                               const std::optional<std::string>& status) {
        const Catalog& catalog = in_.catalog;
        std::optional<std::string_view> status_view;
        if (status) status_view = *status;
        auto shown = tui::session_screen(title, subtitle, items, ctx_.color, status_view, catalog,
                                         [&catalog] { return diagnostics_model(catalog); });
        if (!shown) return fail(tui::display_io_error(shown.error()));
        return *shown;
    }

    // True when the power menu asked to log out.
    Result<bool, std::string> power_menu() {
        const Catalog& catalog = in_.catalog;
        auto page = tmpl::load_menu_page(ctx_.config_dir, "pages/power-menu.twml", admin_, catalog);
        const auto items = page ? std::move(*page) : builtin_power_menu(catalog, admin_);
        const std::string title = translate(catalog, "menu.power.title");
        auto chosen = show(title, title, items, std::nullopt);
        if (!chosen) return fail(chosen.error());
        switch (*chosen) {
            case tmpl::MenuAction::Logout:
                return true;
            case tmpl::MenuAction::PowerOff:
            case tmpl::MenuAction::Reboot:
                status_ = not_available(*chosen);
                return false;
            default:
                return false;
        }
    }

    Result<int, std::string> log_out() {
        tui::restore_terminal();
        end_signed_in_session(std::move(in_.pam), ctx_.tty_device);
        return 0;
    }

    Result<int, std::string> end_with_error(std::string text) {
        end_signed_in_session(std::move(in_.pam), ctx_.tty_device);
        return fail(std::move(text));
    }

    const SessionContext& ctx_;
    LoginSuccess in_;
    bool admin_;
    std::optional<std::string> status_;
};

}  // namespace

bool session_is_admin(const TarnwickConfig& config, const SignedIn& user) {
    if (user.pam_user == "root") return true;
    const auto& names = config.admin_users;
    if (std::find(names.begin(), names.end(), user.pam_user) != names.end() ||
        std::find(names.begin(), names.end(), user.display_name) != names.end()) {
        return true;
    }
    return is_admin_user(names, user.pam_user);
}

Result<int, std::string> run_menu_loop(const SessionContext& ctx, LoginSuccess signed_in) {
    return MenuLoop(ctx, std::move(signed_in)).run();
}

}  // namespace tarnwick::app
