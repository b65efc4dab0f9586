#include "app/session/menu_actions.h"

#include "app/network/network_panel.h"
#include "app/power/power_action.h"
#include "app/session/shell_start.h"
#include "app/sysinfo/sysinfo_page.h"
#include "core/access_policy.h"
#include "core/diagnostics.h"
#include "template/menu/menu_page.h"
#include "tui/screens/menu_screen.h"

namespace tarnwick::app {
namespace {

ActionResult show_menu_again(ActionScope&) {
    return AfterAction::ShowMenu;
}

ActionResult log_out(ActionScope&) {
    return AfterAction::LogOut;
}

ActionResult spawn_shell(ActionScope& scope) {
    scope.status = start_shell(scope.ctx.tty_device, scope.user.pam_user, scope.catalog);
    return AfterAction::ShowMenu;
}

ActionResult no_action(ActionScope& scope) {
    scope.status = translate(scope.catalog, "session.no_action");
    return AfterAction::ShowMenu;
}

// The status line stays as it was.
ActionResult system_info(ActionScope& scope) {
    const SysinfoViewer viewer{scope.user.display_name, scope.user.pam_user,
                               scope.ctx.terminal_label, scope.ctx.current_tag, scope.admin};
    show_system_info(scope.ctx.config_dir, viewer, scope.catalog, scope.ctx.color);
    return AfterAction::ShowMenu;
}

// Unconfirmed, the status line stays as it was.
ActionResult power_action(ActionScope& scope, PowerAction action) {
    if (auto status = run_power_action(action, scope.ctx.config_dir, scope.ctx.color, scope.catalog,
                                       scope.admin)) {
        scope.status = std::move(*status);
    }
    return AfterAction::ShowMenu;
}

ActionResult power_off(ActionScope& scope) {
    return power_action(scope, PowerAction::PowerOff);
}

ActionResult reboot(ActionScope& scope) {
    return power_action(scope, PowerAction::Reboot);
}

// The network panel: editing for an administrator, view only otherwise. Only
// a terminal error of the panel ends the session.
ActionResult network_panel(ActionScope& scope) {
    auto shown = run_network_panel(scope.admin, scope.ctx.color, scope.catalog, scope.status,
                                   scope.ctx.config_dir);
    if (!shown) return fail(shown.error());
    return AfterAction::ShowMenu;
}

// The power menu's page, else the built-in one; the session menu is shown
// again afterwards, never the power menu itself.
ActionResult power_menu(ActionScope& scope) {
    auto page = tmpl::load_menu_page(scope.ctx.config_dir, "pages/power-menu.twml", scope.admin,
                                     scope.catalog);
    const auto items = page ? std::move(*page) : builtin_power_menu(scope.catalog, scope.admin);
    const std::string title = translate(scope.catalog, "menu.power.title");
    auto chosen = show_menu(scope, title, title, items, std::nullopt);
    if (!chosen) return fail(chosen.error());
    return run_menu_action(*chosen, MenuPlace::PowerMenu, scope);
}

constexpr ActionHandlerTable kHandlers{{
    {MenuAction::SpawnShell, spawn_shell},
    {MenuAction::SystemInfo, system_info},
    {MenuAction::NetworkStatus, network_panel},
    {MenuAction::PowerMenu, power_menu},
    {MenuAction::PowerOff, power_off, true},
    {MenuAction::Reboot, reboot, true},
    {MenuAction::Quit, log_out},
    {MenuAction::Back, show_menu_again},
    {MenuAction::Logout, log_out, true},
    {MenuAction::None, no_action},
}};

constexpr bool every_action_has_a_handler(const ActionHandlerTable& table) {
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (static_cast<std::size_t>(table[i].action) != i || table[i].handler == nullptr)
            return false;
    }
    return true;
}
static_assert(every_action_has_a_handler(kHandlers),
              "one handler row per MenuAction, in enum order");

}  // namespace

const ActionHandlerTable& session_action_handlers() {
    return kHandlers;
}

bool may_run(MenuAction action, bool is_admin) {
    const auto& named = menu_action_row(action).named;
    return !named || authorize_action(named->name, is_admin);
}

ActionResult run_menu_action(MenuAction action, MenuPlace place, ActionScope& scope,
                             const ActionHandlerTable& handlers) {
    const ActionHandlerRow& row = handlers[menu_action_index(action)];
    if (place == MenuPlace::PowerMenu && !row.in_power_menu) return AfterAction::ShowMenu;
    if (!may_run(action, scope.admin)) {
        scope.status = translate(scope.catalog, "form.apply_denied");
        return AfterAction::ShowMenu;
    }
    return row.handler(scope);
}

Result<MenuAction, std::string> show_menu(const ActionScope& scope, std::string_view title,
                                          std::string_view subtitle,
                                          const std::vector<tmpl::MenuItem>& items,
                                          const std::optional<std::string>& status) {
    const Catalog& catalog = scope.catalog;
    std::optional<std::string_view> status_view;
    if (status) status_view = *status;
    auto shown = tui::menu_screen(title, subtitle, items, scope.ctx.color, status_view, catalog,
                                  [&catalog] { return diagnostics_model(catalog); });
    if (!shown) return fail(tui::display_io_error(shown.error()));
    return *shown;
}

std::vector<tmpl::MenuItem> builtin_power_menu(const Catalog& catalog, bool is_admin) {
    struct Entry {
        std::string_view id;
        std::string_view label_key;
        MenuAction action;
    };
    constexpr Entry kEntries[] = {
        {"logout", "action.logout", MenuAction::Logout},
        {"reboot", "action.reboot", MenuAction::Reboot},
        {"power_off", "action.power_off", MenuAction::PowerOff},
        {"back", "action.back", MenuAction::Back},
    };
    std::vector<tmpl::MenuItem> items;
    for (const Entry& entry : kEntries) {
        if (!may_run(entry.action, is_admin)) continue;
        items.push_back({std::string(entry.id), translate(catalog, entry.label_key), entry.action});
    }
    return items;
}

}  // namespace tarnwick::app
