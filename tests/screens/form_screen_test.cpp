// The form view on a pseudo-terminal. This executable doubles as the program
// under test: started with TARNWICK_FORM_DRIVER set, its one disabled test
// shows the view and exits with 10 after Back (1 on an I/O error).

#include "tui/screens/form_screen.h"

#include "core/catalog.h"

#include "support/english_catalog.h"
#include "support/pty_session.h"
#include "support/terminal_keys.h"

#include <gtest/gtest.h>

#include <fmt/format.h>

#include <cstdlib>
#include <string>

namespace tarnwick::tui {
namespace {

using test::PtySession;
using namespace tarnwick::test;  // keys and mouse reports
using tmpl::FormField;

FormField field(std::string id, std::string label, std::string value, bool disabled = true) {
    return FormField{std::move(id), std::move(label), std::move(value),
                     std::nullopt,  disabled,         false};
}

FormField heading(std::string label) {
    return FormField{"", std::move(label), "", std::nullopt, true, true};
}

std::vector<FormField> driver_rows(std::string_view mode) {
    std::vector<FormField> rows;
    if (mode == "rows30" || mode == "rows20") {
        const int count = mode == "rows30" ? 30 : 20;
        for (int i = 0; i < count; ++i)
            rows.push_back(field(fmt::format("r{}", i), fmt::format("Label {}", i),
                                 fmt::format("value {}", i)));
    } else if (mode == "mixed") {
        rows = {heading("Straße"),
                field("empty", "Disabled empty", ""),
                field("open", "Editable empty", "", false),
                field("long", "Long value", std::string(60, 'v') + "END"),
                field("label", "A label much longer than its column", "x"),
                field("umlaut", "Umlauts", "äöü")};
    }
    return rows;
}

TEST(FormDriver, DISABLED_Run) {
    const char* mode = std::getenv("TARNWICK_FORM_DRIVER");
    if (mode == nullptr) GTEST_SKIP() << "started by the form view tests only";
    const Catalog catalog = test::english_catalog();
    const auto rows = driver_rows(mode);
    auto outcome = form_screen("Facts", rows, AutoMode::Always, catalog);
    std::_Exit(outcome && *outcome == tmpl::FormOutcome::Back ? 10 : 1);
}

// 26 rows: borders 2, title 1, footer 3, so a body of 20 rows.
class FormScreen : public testing::Test {
protected:
    void open(std::string mode, std::uint16_t columns = 80, std::uint16_t rows = 26) {
        s = std::make_unique<PtySession>(test::PtyOptions{
            .program = "/proc/self/exe",
            .args = {"--gtest_filter=FormDriver.DISABLED_Run", "--gtest_also_run_disabled_tests"},
            .env = {{"TARNWICK_FORM_DRIVER", std::move(mode)}},
            .columns = columns,
            .rows = rows,
        });
        ASSERT_TRUE(s->started()) << s->error();
        // The bottom-right corner is the last cell of the first frame.
        ASSERT_TRUE(s->wait_for_text("┘")) << s->screen_text();
    }
    // Types bytes and waits until the footer line shows `footer`.
    void type_until(std::string_view bytes, std::string_view footer) {
        s->write(bytes);
        EXPECT_TRUE(s->wait_for_text(footer)) << bytes << "\n" << s->screen_text();
    }
    // Waits until screen row `row` starts with `prefix`.
    bool wait_row(int row, std::string_view prefix) {
        return s->wait_until([&] { return s->row(row).starts_with(prefix); });
    }
    std::string footer() const { return s->row(24); }
    std::unique_ptr<PtySession> s;
};

TEST_F(FormScreen, FooterCountsFollowTheScrollOffset) {
    open("rows30");
    ASSERT_TRUE(s->wait_for_text("↑0 ↓10")) << s->screen_text();
    EXPECT_EQ(s->row(2).rfind("│  Label 0  ", 0), 0u) << s->screen_text();
    EXPECT_NE(s->row(21).find("Label 19"), std::string::npos);
    EXPECT_NE(footer().find("↑0 ↓10"), std::string::npos) << footer();
    type_until(kPageDown, "↑8 ↓2");
    type_until(kPageDown, "↑16 ↓0");
    EXPECT_NE(s->row(2).find("Label 16"), std::string::npos) << s->screen_text();
    EXPECT_NE(s->row(15).find("Label 29"), std::string::npos);
    EXPECT_EQ(s->row(16).find("Label"), std::string::npos);
    // Down and PageDown go on past the last row: an empty body, 0 below.
    type_until(kPageDown, "↑24 ↓0");
    type_until(kPageDown, "↑32 ↓0");
    type_until("j", "↑33 ↓0");
    EXPECT_EQ(s->screen_text().find("Label"), std::string::npos) << s->screen_text();
    type_until(kPageUp, "↑25 ↓0");
    type_until(kUp, "↑24 ↓0");
    type_until("k", "↑23 ↓0");
    type_until(kHome, "↑0 ↓10");
    type_until(std::string(kUp) + std::string(kDown), "↑1 ↓9");  // Up stops at 0
    type_until(mouse(65, 10, 10), "↑2 ↓8");                      // wheel down
    type_until(mouse(64, 10, 10), "↑1 ↓9");                      // wheel up
    // Two wheel steps up from 1 stop at 0.
    type_until(mouse(64, 10, 10) + mouse(64, 10, 10) + std::string(kDown) + std::string(kDown),
               "↑2 ↓8");
    EXPECT_NE(s->row(23).find("View only"), std::string::npos) << s->screen_text();
    s->write("q");
    EXPECT_EQ(s->wait_exit(), 10);
}

TEST_F(FormScreen, ResizeRedrawsForTheNewHeight) {
    open("rows30");
    ASSERT_TRUE(s->wait_for_text("↑0 ↓10")) << s->screen_text();
    s->write(std::string(kDown));
    ASSERT_TRUE(s->wait_for_text("↑1 ↓9")) << s->screen_text();
    // 16 rows leave a body of 10; the offset stays.
    s->resize(80, 16);
    ASSERT_TRUE(s->wait_for_text("↑1 ↓19")) << s->screen_text();
    EXPECT_NE(s->row(11).find("Label 10"), std::string::npos) << s->screen_text();
    // 40 rows hold all 30: no counts, and the view still answers.
    s->resize(80, 40);
    EXPECT_TRUE(wait_row(38, "│ Ostravel · Network configuration")) << s->screen_text();
    EXPECT_EQ(s->row(38).find("↑"), std::string::npos) << s->row(38);
    s->write("q");
    EXPECT_EQ(s->wait_exit(), 10);
}

TEST_F(FormScreen, NoCountsWhileEveryRowFits) {
    open("rows20");
    EXPECT_NE(s->row(21).find("Label 19"), std::string::npos) << s->screen_text();
    const std::string plain = footer();
    EXPECT_EQ(plain.find("↑"), std::string::npos) << plain;
    s->write(std::string(kDown) + std::string(kDown));
    // Scrolled by two: the first rows left the body, still no counts.
    EXPECT_TRUE(wait_row(2, "│  Label 2  ")) << s->screen_text();
    EXPECT_EQ(footer(), plain);
    s->write("\r");
    EXPECT_EQ(s->wait_exit(), 10);
}

TEST_F(FormScreen, DrawsTitleHeadingsAndValueCells) {
    open("mixed");
    ASSERT_TRUE(wait_row(24, "│ Ostravel · Network configuration")) << s->screen_text();
    const std::string title = s->row(1);
    EXPECT_EQ(title.rfind("│ Ostravel ", 0), 0u) << title;
    EXPECT_NE(title.find("Facts"), std::string::npos);
    EXPECT_EQ(title.size() - title.find("[View]"), std::string("[View]│").size()) << title;
    // Rows start one column in from the border and are 76 wide: the heading
    // in full Unicode upper case over all of it, labels 21, values 55.
    auto body = [](std::string cells) { return "│ " + cells + " │"; };
    EXPECT_EQ(s->row(2), body("  STRASSE" + std::string(76 - 9, ' '))) << s->screen_text();
    EXPECT_EQ(s->cell(2, 2).bg, 6);
    EXPECT_EQ(s->cell(2, 2).fg, 0);
    EXPECT_TRUE(s->cell(2, 2).bold);
    EXPECT_EQ(s->cell(2, 77).bg, 6);
    EXPECT_EQ(s->row(3), body(" Disabled empty      " + std::string("  —") + std::string(52, ' ')));
    EXPECT_EQ(s->row(4),
              body(" Editable empty      " + std::string("│ ") + std::string(51, ' ') + " │"));
    EXPECT_EQ(s->cell(3, 3).fg, 14);  // labels in the bright colour
    EXPECT_EQ(s->cell(3, 25).fg, 15);
    // A value longer than its column is cut without an ellipsis.
    EXPECT_EQ(s->row(5),
              body(" Long value          " + std::string("  ") + std::string(51, 'v') + "  "));
    // A label longer than its column is clipped by it.
    EXPECT_EQ(s->row(6), body(" A label much longer " + std::string("  x") + std::string(52, ' ')));
    EXPECT_NE(s->row(7).find("  äöü"), std::string::npos);
    EXPECT_NE(footer().find("Network configuration"), std::string::npos) << footer();
    EXPECT_EQ(footer().find("↑"), std::string::npos);
    // A left click anywhere changes nothing; nor do End and other keys: after
    // them one Down scrolls by exactly one row.
    s->write(mouse(0, 30, 3) + mouse(0, 3, 2) + std::string(kEnd) + "x " + std::string(kDown));
    EXPECT_TRUE(wait_row(2, "│  Disabled empty")) << s->screen_text();
    EXPECT_FALSE(s->exit_status());
    s->write("\x1b");
    EXPECT_EQ(s->wait_exit(), 10);
}

TEST_F(FormScreen, EmptyViewAndEveryWayOut) {
    for (const std::string_view key : {"\r", "\x1b", "q"}) {
        open("empty");
        ASSERT_TRUE(wait_row(24, "│ Ostravel · Network configuration")) << s->screen_text();
        EXPECT_EQ(s->row(2), "│" + std::string(78, ' ') + "│") << s->screen_text();
        EXPECT_EQ(footer().find("↑"), std::string::npos);
        EXPECT_TRUE(s->alternate_screen());
        s->write(key);
        EXPECT_EQ(s->wait_exit(), 10);
        EXPECT_FALSE(s->alternate_screen());
    }
}

}  // namespace
}  // namespace tarnwick::tui
