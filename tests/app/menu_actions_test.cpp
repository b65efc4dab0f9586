#include "app/session/menu_actions.h"

#include <gtest/gtest.h>

#include <vector>

namespace tarnwick::app {
namespace {

// Every handler of the recording table notes its action here.
std::vector<MenuAction> g_ran;

template <MenuAction A>
ActionResult record(ActionScope&) {
    g_ran.push_back(A);
    return AfterAction::ShowMenu;
}

// The session's power-menu flags with handlers that only record.
ActionHandlerTable recording_table() {
    ActionHandlerTable table{{
        {MenuAction::SpawnShell, record<MenuAction::SpawnShell>},
        {MenuAction::SystemInfo, record<MenuAction::SystemInfo>},
        {MenuAction::NetworkStatus, record<MenuAction::NetworkStatus>},
        {MenuAction::PowerMenu, record<MenuAction::PowerMenu>},
        {MenuAction::PowerOff, record<MenuAction::PowerOff>},
        {MenuAction::Reboot, record<MenuAction::Reboot>},
        {MenuAction::Quit, record<MenuAction::Quit>},
        {MenuAction::Back, record<MenuAction::Back>},
        {MenuAction::Logout, record<MenuAction::Logout>},
        {MenuAction::None, record<MenuAction::None>},
    }};
    for (std::size_t i = 0; i < table.size(); ++i) {
        table[i].in_power_menu = session_action_handlers()[i].in_power_menu;
    }
    return table;
}

class MenuActions : public testing::Test {
protected:
    void SetUp() override { g_ran.clear(); }

    ActionScope scope(bool admin) { return ActionScope{ctx_, user_, catalog_, admin, status_}; }

    SessionContext ctx_;
    SignedIn user_{"alice", "alice"};
    Catalog catalog_;  // no messages: texts are their keys
    std::optional<std::string> status_ = std::string("earlier status");
};

TEST_F(MenuActions, RefusedActionsRunNothingAndReportTheRefusal) {
    struct Case {
        MenuAction action;
        MenuPlace place;
        bool admin;
        bool runs;
        std::optional<std::string> status;  // afterwards
    };
    const std::string denied = "form.apply_denied";
    const std::string earlier = "earlier status";
    const auto session = MenuPlace::SessionMenu;
    const auto power = MenuPlace::PowerMenu;
    const Case cases[] = {
        // Power off and reboot need the power capability, wherever chosen.
        {MenuAction::PowerOff, session, false, false, denied},
        {MenuAction::Reboot, session, false, false, denied},
        {MenuAction::PowerOff, power, false, false, denied},
        {MenuAction::Reboot, power, false, false, denied},
        {MenuAction::PowerOff, session, true, true, earlier},
        {MenuAction::Reboot, power, true, true, earlier},
        // Every signed-in user holds session.
        {MenuAction::SpawnShell, session, false, true, earlier},
        {MenuAction::SystemInfo, session, false, true, earlier},
        {MenuAction::NetworkStatus, session, false, true, earlier},
        {MenuAction::PowerMenu, session, false, true, earlier},
        {MenuAction::Logout, session, false, true, earlier},
        {MenuAction::Logout, power, false, true, earlier},
        // Not named: nothing to authorise.
        {MenuAction::Quit, session, false, true, earlier},
        {MenuAction::Back, session, false, true, earlier},
        {MenuAction::None, session, false, true, earlier},
        // The power menu runs only power off, reboot and log-out; the rest
        // do nothing there, without a refusal.
        {MenuAction::SpawnShell, power, false, false, earlier},
        {MenuAction::PowerMenu, power, true, false, earlier},
        {MenuAction::Quit, power, false, false, earlier},
        {MenuAction::Back, power, false, false, earlier},
        {MenuAction::None, power, false, false, earlier},
    };
    const ActionHandlerTable table = recording_table();
    for (const auto& c : cases) {
        g_ran.clear();
        status_ = earlier;
        ActionScope s = scope(c.admin);
        const auto after = run_menu_action(c.action, c.place, s, table);
        const std::string what = std::string(menu_action_row(c.action).variant) +
                                 (c.place == power ? " in the power menu" : "") +
                                 (c.admin ? " by an administrator" : " by a user");
        ASSERT_TRUE(after.has_value()) << what;
        EXPECT_EQ(*after, AfterAction::ShowMenu) << what;
        EXPECT_EQ(g_ran, c.runs ? std::vector<MenuAction>{c.action} : std::vector<MenuAction>{})
            << what;
        EXPECT_EQ(status_, c.status) << what;
    }
}

TEST_F(MenuActions, SessionHandlersOfTheMenuItself) {
    struct Case {
        MenuAction action;
        AfterAction after;
        std::optional<std::string> status;
    };
    const Case cases[] = {
        {MenuAction::Quit, AfterAction::LogOut, "earlier status"},
        {MenuAction::Logout, AfterAction::LogOut, "earlier status"},
        {MenuAction::Back, AfterAction::ShowMenu, "earlier status"},
        {MenuAction::None, AfterAction::ShowMenu, "session.no_action"},
    };
    for (const auto& c : cases) {
        status_ = "earlier status";
        ActionScope s = scope(false);
        const auto after = run_menu_action(c.action, MenuPlace::SessionMenu, s);
        ASSERT_TRUE(after.has_value());
        EXPECT_EQ(*after, c.after) << menu_action_row(c.action).variant;
        EXPECT_EQ(status_, c.status) << menu_action_row(c.action).variant;
    }
    // Log-out from the power menu; Quit there only returns to the session menu.
    ActionScope s = scope(false);
    EXPECT_EQ(run_menu_action(MenuAction::Logout, MenuPlace::PowerMenu, s), AfterAction::LogOut);
    EXPECT_EQ(run_menu_action(MenuAction::Quit, MenuPlace::PowerMenu, s), AfterAction::ShowMenu);
}

TEST_F(MenuActions, BuiltinPowerMenuOffersWhatTheUserMayRun) {
    const auto ids = [](const std::vector<tmpl::MenuItem>& items) {
        std::vector<std::string> out;
        for (const auto& item : items) out.push_back(item.id);
        return out;
    };
    EXPECT_EQ(ids(builtin_power_menu(catalog_, false)),
              (std::vector<std::string>{"logout", "back"}));
    const auto admin = builtin_power_menu(catalog_, true);
    EXPECT_EQ(ids(admin), (std::vector<std::string>{"logout", "reboot", "power_off", "back"}));
    EXPECT_EQ(admin[2], (tmpl::MenuItem{"power_off", "action.power_off", MenuAction::PowerOff}));
}

}  // namespace
}  // namespace tarnwick::app
