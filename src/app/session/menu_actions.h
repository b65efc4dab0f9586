#pragma once
// The session's half of the action table (core/menu_action.h): one handler
// per MenuAction, and the dispatch that authorises an action before it runs.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/session/session_context.h"
#include "core/catalog.h"
#include "core/menu_action.h"
#include "core/result.h"
#include "template/menu/menu_item.h"

namespace tarnwick::app {

// What a handler may use, and the status line of the session menu it may
// replace.
struct ActionScope {
    const SessionContext& ctx;
    const SignedIn& user;
    const Catalog& catalog;
    bool admin;
    std::optional<std::string>& status;
};

// What the menu loop does after a handler.
enum class AfterAction : std::uint8_t { ShowMenu, LogOut };

// An error text ends the session (the PAM session is closed and the
// terminal taken back, as at log-out).
using ActionResult = Result<AfterAction, std::string>;
using ActionHandler = ActionResult (*)(ActionScope&);

// The menu an action was chosen in.
enum class MenuPlace : std::uint8_t { SessionMenu, PowerMenu };

struct ActionHandlerRow {
    MenuAction action;
    ActionHandler handler;
    // Also run when chosen in the power menu; there every other action does
    // nothing and the session menu is shown again.
    bool in_power_menu = false;
};

using ActionHandlerTable = std::array<ActionHandlerRow, kMenuActionCount>;

// The session's handlers, one row per MenuAction in enum order.
const ActionHandlerTable& session_action_handlers();

// Whether a signed-in user may run the action: a named action needs its
// capability (authorize_action); Quit, Back and None need none.
bool may_run(MenuAction action, bool is_admin);

// Runs the action chosen in `place`. An action the user may not run sets the
// status line to the translation of "form.apply_denied" and runs nothing.
ActionResult run_menu_action(MenuAction action, MenuPlace place, ActionScope& scope,
                             const ActionHandlerTable& handlers = session_action_handlers());

// Shows a menu on the menu screen (F1 takes a fresh diagnostics snapshot);
// a terminal error becomes its text.
Result<MenuAction, std::string> show_menu(const ActionScope& scope, std::string_view title,
                                          std::string_view subtitle,
                                          const std::vector<tmpl::MenuItem>& items,
                                          const std::optional<std::string>& status);

// Log-out, reboot and power off, then back; reboot and power off only for
// users who may run them.
std::vector<tmpl::MenuItem> builtin_power_menu(const Catalog& catalog, bool is_admin);

}  // namespace tarnwick::app
