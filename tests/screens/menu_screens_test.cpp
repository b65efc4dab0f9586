// The menu screen and the confirmation dialog on a pseudo-terminal. This
// executable doubles as the program under test: started with
// TARNWICK_SCREEN_DRIVER set, its one disabled test shows a screen and exits
// with 10 + the answer (1 on an I/O error).

#include "tui/screens/confirm_dialog.h"
#include "tui/screens/menu_screen.h"

#include "core/catalog.h"

#include "support/english_catalog.h"
#include "support/pty_session.h"
#include "support/terminal_keys.h"

#include <gtest/gtest.h>

#include <fmt/format.h>

#include <unistd.h>
#include <cstdlib>
#include <string>
#include <tuple>

namespace tarnwick::tui {
namespace {

using test::PtySession;
using namespace tarnwick::test;  // keys and mouse reports

std::vector<tmpl::MenuItem> driver_items(std::string_view mode) {
    if (mode == "menu-empty") return {};
    if (mode == "menu-many") {
        std::vector<tmpl::MenuItem> items;
        for (int i = 0; i < 30; ++i)
            items.push_back(
                {fmt::format("item{}", i), fmt::format("Entry {}", i), MenuAction::None});
        return items;
    }
    return {{"shell", "Open shell", MenuAction::SpawnShell},
            {"sysinfo", "System information", MenuAction::SystemInfo},
            {"mystery", "Mystery", MenuAction::None},
            {"session", "Power & log out", MenuAction::PowerMenu}};
}

int run_driver(std::string_view mode) {
    const Catalog catalog = test::english_catalog();
    const char* status = std::getenv("DRIVER_STATUS");
    const AutoMode color = std::getenv("DRIVER_MONO") ? AutoMode::Never : AutoMode::Always;
    if (mode.starts_with("confirm")) {
        const char* message = std::getenv("DRIVER_MESSAGE");
        auto answer = confirm_dialog(message ? message : translate(catalog, "confirm.power_off"),
                                     color, catalog);
        return answer ? 10 + (*answer ? 1 : 0) : 1;
    }
    const auto items = driver_items(mode);
    auto diagnostics = [] {
        return DiagnosticsModel{
            "Snapshot title", "Snapshot subtitle", {"first log line", "second log line"}};
    };
    auto action = menu_screen("Menu", "Welcome, alice", items, color,
                              status ? std::optional<std::string_view>(status) : std::nullopt,
                              catalog, diagnostics);
    return action ? 10 + static_cast<int>(*action) : 1;
}

TEST(ScreenDriver, DISABLED_Run) {
    const char* mode = std::getenv("TARNWICK_SCREEN_DRIVER");
    if (mode == nullptr) GTEST_SKIP() << "started by the screen tests only";
    std::_Exit(run_driver(mode));
}

std::unique_ptr<PtySession> start(std::string mode,
                                  std::map<std::string, std::optional<std::string>> env = {},
                                  std::uint16_t columns = 80, std::uint16_t rows = 24) {
    env["TARNWICK_SCREEN_DRIVER"] = std::move(mode);
    auto session = std::make_unique<PtySession>(test::PtyOptions{
        .program = "/proc/self/exe",
        .args = {"--gtest_filter=ScreenDriver.DISABLED_Run", "--gtest_also_run_disabled_tests"},
        .env = std::move(env),
        .columns = columns,
        .rows = rows,
    });
    return session;
}

int exit_code(MenuAction action) {
    return 10 + static_cast<int>(action);
}

int row_of(const PtySession& s, std::string_view text) {
    const auto rows = s.rows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].find(text) != std::string::npos) return static_cast<int>(i);
    }
    return -1;
}

class MenuScreen : public testing::Test {
protected:
    void open(std::string mode = "menu",
              std::map<std::string, std::optional<std::string>> env = {}) {
        s = start(std::move(mode), std::move(env));
        ASSERT_TRUE(s->started()) << s->error();
        ASSERT_TRUE(s->wait_for_text("Menu")) << s->screen_text();
        // The first frame may come in several reads: its last row closes it.
        ASSERT_TRUE(s->wait_until([&] { return s->row(23).rfind("└", 0) == 0; }))
            << s->screen_text();
    }
    // Types bytes and waits until `text` shows.
    void type(std::string_view bytes, std::string_view text) {
        s->write(bytes);
        EXPECT_TRUE(s->wait_for_text(text)) << testing::PrintToString(std::string(bytes)) << "\n"
                                            << s->screen_text();
    }
    // Returns once the menu has handled everything typed so far and still
    // shows: the help box opened and closed again after it proves both.
    void sync() {
        type("?", "┌ Help ─");
        s->write("?");
        EXPECT_TRUE(s->wait_until([&] { return row_of(*s, "┌ Help ─") == -1; }))
            << s->screen_text();
        EXPECT_FALSE(s->exit_status());
    }
    std::unique_ptr<PtySession> s;
};

TEST_F(MenuScreen, DrawsHeaderListAndKeyHelp) {
    open();
    EXPECT_NE(row_of(*s, "Ostravel"), -1);
    EXPECT_NE(row_of(*s, "Welcome, alice"), -1);
    EXPECT_NE(row_of(*s, "┌ Menu ─"), -1) << s->screen_text();
    EXPECT_NE(row_of(*s, "▶   Open shell"), -1) << s->screen_text();
    EXPECT_NE(row_of(*s, "Esc/q Log out"), -1);
    // Mouse reporting is on while the menu shows.
    EXPECT_NE(s->output().find("\x1b[?1000h"), std::string::npos);
    EXPECT_TRUE(s->alternate_screen());
}

TEST_F(MenuScreen, KeysMoveTheSelectionAndReturnTheAction) {
    struct Case {
        std::string keys;
        MenuAction expected;
    };
    const Case cases[] = {
        {"\r", MenuAction::SpawnShell},
        {std::string(kDown) + "\r", MenuAction::SystemInfo},
        {"jjjjjj\r", MenuAction::PowerMenu},  // stops at the last entry
        {std::string(kUp) + std::string(kUp) + "jjk\r", MenuAction::SystemInfo},
        {"q", MenuAction::Quit},
        {std::string(kEsc), MenuAction::Quit},
    };
    for (const auto& c : cases) {
        open();
        s->write(c.keys);
        EXPECT_EQ(s->wait_exit(), exit_code(c.expected)) << testing::PrintToString(c.keys) << "\n"
                                                         << s->screen_text();
        EXPECT_FALSE(s->alternate_screen());
    }
}

TEST_F(MenuScreen, UnknownActionOnlyShowsAStatusLine) {
    open();
    type("jj\r", "Unknown action: mystery");
    EXPECT_EQ(row_of(*s, "Esc/q Log out"), -1);
    EXPECT_FALSE(s->exit_status());
    s->write("q");
    EXPECT_EQ(s->wait_exit(), exit_code(MenuAction::Quit));
}

TEST_F(MenuScreen, StatusArgumentReplacesTheKeyHelp) {
    open("menu", {{"DRIVER_STATUS", "Shell session ended"}});
    EXPECT_NE(row_of(*s, "Shell session ended"), -1);
    EXPECT_EQ(row_of(*s, "Esc/q Log out"), -1);
    s->kill();

    open("menu", {{"DRIVER_STATUS", ""}});
    EXPECT_NE(row_of(*s, "Esc/q Log out"), -1);
}

TEST_F(MenuScreen, HelpBoxHidesTheListAndSwallowsClicksAndTheFirstQ) {
    open();
    const int shell_row = row_of(*s, "Open shell");
    type("?", "┌ Help ─");
    EXPECT_EQ(row_of(*s, "Open shell"), -1);
    // The click is swallowed: the q after it closes the box, the list is back.
    s->write(click(10, shell_row));
    type("q", "Open shell");
    EXPECT_FALSE(s->exit_status());
    type("?", "┌ Help ─");
    type(std::string(kEsc), "Open shell");
    s->write("q");
    EXPECT_EQ(s->wait_exit(), exit_code(MenuAction::Quit));
}

TEST_F(MenuScreen, HiddenSelectionStillMovesAndActivatesUnderTheHelpBox) {
    open();
    type("?j", "┌ Help ─");
    s->write("\r");
    EXPECT_EQ(s->wait_exit(), exit_code(MenuAction::SystemInfo));
}

TEST_F(MenuScreen, ClickSelectsAndActivates) {
    open();
    const int power_row = row_of(*s, "Power & log out");
    ASSERT_NE(power_row, -1);
    s->write(click(30, power_row));
    EXPECT_EQ(s->wait_exit(), exit_code(MenuAction::PowerMenu));
}

TEST_F(MenuScreen, ClicksOutsideTheEntriesAndOtherButtonsDoNothing) {
    open();
    const int first = row_of(*s, "Open shell");
    const int last = row_of(*s, "Power & log out");
    const int bottom = row_of(*s, "└──");
    ASSERT_GT(bottom, last);
    for (const auto& report :
         {click(10, first - 1), click(10, last + 1), click(10, bottom), mouse(2, 10, first),
          mouse(0, 10, first, 'm'), mouse(32, 10, first), mouse(35, 10, first)}) {
        s->write(report);
        sync();
        ASSERT_FALSE(s->exit_status()) << testing::PrintToString(report);
    }
    type(click(10, row_of(*s, "Mystery")), "Unknown action: mystery");
    EXPECT_NE(row_of(*s, "▶   Mystery"), -1) << s->screen_text();
    s->write(std::string(kEsc));
    EXPECT_EQ(s->wait_exit(), exit_code(MenuAction::Quit));
}

TEST_F(MenuScreen, WheelMovesTheSelection) {
    open();
    type(wheel_down(10, 10) + wheel_down(10, 10) + wheel_down(10, 10) + wheel_down(10, 10),
         "▶   Power & log out");
    s->write(wheel_up(10, 10) + wheel_up(10, 10));
    s->write("\r");
    EXPECT_EQ(s->wait_exit(), exit_code(MenuAction::SystemInfo));
}

TEST_F(MenuScreen, LongListScrollsOneEntryPerStepAndClicksHitTheWindow) {
    open("menu-many");
    // 24 rows leave 13 list rows.
    EXPECT_NE(row_of(*s, "Entry 12"), -1);
    EXPECT_EQ(row_of(*s, "Entry 13"), -1);
    for (int i = 0; i < 14; ++i) s->write(kDown);
    ASSERT_TRUE(s->wait_for_text("▶   Entry 14")) << s->screen_text();
    EXPECT_EQ(row_of(*s, "Entry 1 "), -1);
    const int top = row_of(*s, "Entry 2 ");
    ASSERT_NE(top, -1) << s->screen_text();
    EXPECT_EQ(row_of(*s, "┌ Menu"), top - 1);
    type(click(10, top), "Unknown action: item2");
}

TEST_F(MenuScreen, EmptyListIgnoresEnterAndTheMouse) {
    open("menu-empty");
    s->write("\r");
    s->write(click(10, 6) + wheel_down(10, 6));
    sync();
    EXPECT_NE(row_of(*s, "┌ Menu ─"), -1);
    s->write("q");
    EXPECT_EQ(s->wait_exit(), exit_code(MenuAction::Quit));
}

TEST_F(MenuScreen, F1ShowsDiagnosticsAndReturnsToTheMenu) {
    open();
    type(std::string(kF1), "Snapshot title");
    EXPECT_TRUE(s->wait_for_text("first log line")) << s->screen_text();
    EXPECT_EQ(row_of(*s, "Open shell"), -1);
    type(std::string(kEsc), "Open shell");
    s->write("j\r");
    EXPECT_EQ(s->wait_exit(), exit_code(MenuAction::SystemInfo));
}

class ConfirmDialog : public MenuScreen {
protected:
    void open_dialog(std::map<std::string, std::optional<std::string>> env = {},
                     std::uint16_t columns = 80, std::uint16_t rows = 24) {
        s = start("confirm", std::move(env), columns, rows);
        ASSERT_TRUE(s->started()) << s->error();
        ASSERT_TRUE(s->wait_for_text("Confirm")) << s->screen_text();
        // The box's bottom row comes last.
        ASSERT_TRUE(s->wait_for_text("┘")) << s->screen_text();
    }
};

TEST(ConfirmBox, CentredAndBoundedByTheScreen) {
    struct Case {
        std::uint16_t columns, rows;
        Rect expected;
    };
    const Case cases[] = {
        {80, 24, {10, 6, 60, 12}},   {40, 10, {2, 1, 36, 7}}, {30, 24, {0, 6, 30, 12}},
        {200, 60, {70, 24, 60, 12}}, {5, 3, {0, 0, 5, 3}},    {0, 0, {0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        const Rect box = confirm_box(c.columns, c.rows);
        EXPECT_EQ(std::tie(box.x, box.y, box.width, box.height),
                  std::tie(c.expected.x, c.expected.y, c.expected.width, c.expected.height))
            << c.columns << "x" << c.rows;
    }
}

TEST_F(ConfirmDialog, KeysAnswerYesOrNo) {
    struct Case {
        std::string keys;
        bool yes;
    };
    const Case cases[] = {
        {"\r", false},
        {"\t\r", true},
        {"\t\t\r", false},
        {"\x1b[C\r", true},
        {"h\r", true},
        {"Y", true},
        {"y", true},
        {"\x19", true},  // Ctrl+y counts as y
        {"\t\x1b", false},
        {"\tn", false},
        // Keys without a meaning change nothing.
        {"\tq \x7f\x1b[A\x1b[Z\r", true},
        {"\x1b[<0;41;13M\r", false},  // a click
    };
    for (const auto& c : cases) {
        open_dialog();
        s->write(c.keys);
        EXPECT_EQ(s->wait_exit(), 10 + (c.yes ? 1 : 0)) << testing::PrintToString(c.keys);
        EXPECT_FALSE(s->alternate_screen());
        EXPECT_TRUE(s->cursor_visible());
    }
}

TEST_F(ConfirmDialog, CentredBoxWithoutMouseReporting) {
    open_dialog();
    EXPECT_EQ(s->output().find("\x1b[?1000h"), std::string::npos);
    EXPECT_EQ(s->cell(6, 10).text, "┌");
    EXPECT_EQ(s->cell(6, 69).text, "┐");
    EXPECT_EQ(s->cell(17, 10).text, "└");
    EXPECT_EQ(s->cell(17, 69).text, "┘");
    EXPECT_EQ(s->row(6).substr(0, 11 + std::string_view(" Confirm ").size() + 2),
              std::string(10, ' ') + "┌ Confirm ");
    EXPECT_EQ(s->row(7),
              std::string(10, ' ') + "│Power off this machine now?" + std::string(31, ' ') + "│");
    // Button rows in the highlight colours, the brackets on No.
    EXPECT_EQ(s->row(15).substr(10), "│  Yes   [ No ]" + std::string(44, ' ') + "│");
    EXPECT_EQ(s->cell(15, 11).bg, 6);
    EXPECT_EQ(s->cell(16, 50).bg, 6);
    EXPECT_TRUE(s->cell(15, 11).bold);
    EXPECT_EQ(s->cell(6, 10).fg, 6);
    s->write("\t");
    const std::string yes_row = "│[ Yes ]   No " + std::string(45, ' ') + "│";
    EXPECT_TRUE(s->wait_until([&] { return s->row(15).substr(10) == yes_row; }))
        << s->screen_text();
}

TEST_F(ConfirmDialog, SmallScreenAndWrappedMessage) {
    open_dialog(
        {{"DRIVER_MESSAGE", "one two three four five six seven eight nine ten eleven twelve"}}, 40,
        10);
    // 36 x 7 at column 2, row 1: five inner rows, three for the message.
    EXPECT_EQ(s->cell(1, 2).text, "┌");
    EXPECT_EQ(s->cell(1, 37).text, "┐");
    EXPECT_EQ(s->cell(7, 2).text, "└");
    EXPECT_EQ(s->row(2), "  │one two three four five six seven │");
    EXPECT_EQ(s->row(3), "  │eight nine ten eleven twelve      │");
}

TEST_F(ConfirmDialog, MonochromeUsesWhiteAndReverseVideo) {
    open_dialog({{"DRIVER_MONO", "1"}});
    EXPECT_EQ(s->cell(6, 10).fg, 15);
    EXPECT_TRUE(s->cell(15, 11).reverse);
    EXPECT_TRUE(s->cell(15, 11).bold);
    EXPECT_FALSE(s->cell(15, 11).bg.has_value() && *s->cell(15, 11).bg == 6);
}

}  // namespace
}  // namespace tarnwick::tui
