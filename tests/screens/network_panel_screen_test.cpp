// The network panel on a pseudo-terminal. This executable doubles as the
// program under test: started with TARNWICK_PANEL_DRIVER set, its one
// disabled test shows the panel, writes what it returned to DRIVER_OUT and
// exits with 10 (1 on an I/O error).

#include "tui/screens/network_panel/network_panel_screen.h"

#include "core/catalog.h"
#include "core/text.h"

#include "support/english_catalog.h"
#include "support/interface_views.h"
#include "support/pty_session.h"
#include "support/scratch_dir.h"
#include "support/terminal_keys.h"

#include <gtest/gtest.h>

#include <fmt/format.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace tarnwick::tui {
namespace {

using test::PtySession;
using namespace tarnwick::test;  // keys and mouse reports

NetworkPanelModel driver_model(std::string_view mode) {
    NetworkPanelModel m;
    m.hostname = "fw1.example.net";
    m.ipv4_gateway = "192.0.2.1";
    m.ipv6_gateway = "—";
    m.nameservers = {"192.0.2.53"};
    if (mode == "eight") {
        for (int i = 0; i < 8; ++i)
            m.interfaces.push_back(
                test::interface_view(fmt::format("em{}", i), true, fmt::format("10.0.{}.1", i)));
    } else {
        m.interfaces = {test::interface_view("em0", true, "192.0.2.10"),
                        test::interface_view("em1", false, "")};
        m.interfaces[1].ipv4_mode = "DHCP";
    }
    return m;
}

std::string describe(const PanelOutcome& outcome) {
    if (std::holds_alternative<PanelBack>(outcome)) return "back\n";
    if (const auto* m = std::get_if<PanelMakeStatic>(&outcome))
        return "make-static " + m->interface_name + "\n";
    const auto& apply = std::get<PanelApply>(outcome);
    std::string out = fmt::format("apply {} enabled={} family={}\n", apply.interface_name,
                                  apply.enabled ? 1 : 0, apply.family == IfaceFamily::Ipv4 ? 4 : 6);
    for (const auto& [key, value] : apply.pairs) out += key + "=" + value + "\n";
    return out;
}

TEST(PanelDriver, DISABLED_Run) {
    const char* mode = std::getenv("TARNWICK_PANEL_DRIVER");
    if (mode == nullptr) GTEST_SKIP() << "started by the network panel tests only";
    const Catalog catalog = test::english_catalog();
    const NetworkPanelModel model = driver_model(mode);
    auto outcome = network_panel_screen(model, AutoMode::Always, catalog,
                                        std::getenv("DRIVER_ADMIN") != nullptr);
    if (!outcome) std::_Exit(1);
    std::ofstream(std::getenv("DRIVER_OUT")) << describe(*outcome);
    std::_Exit(10);
}

class PanelScreen : public testing::Test {
protected:
    void open(std::string mode, bool admin = true, std::uint16_t columns = 100,
              std::uint16_t rows = 30) {
        std::map<std::string, std::optional<std::string>> env{
            {"TARNWICK_PANEL_DRIVER", std::move(mode)}, {"DRIVER_OUT", out_path}};
        if (admin) env["DRIVER_ADMIN"] = "1";
        s = std::make_unique<PtySession>(test::PtyOptions{
            .program = "/proc/self/exe",
            .args = {"--gtest_filter=PanelDriver.DISABLED_Run", "--gtest_also_run_disabled_tests"},
            .env = std::move(env),
            .columns = columns,
            .rows = rows,
        });
        ASSERT_TRUE(s->started()) << s->error();
        // The bottom-right corner is the last cell of the first frame.
        ASSERT_TRUE(s->wait_for_text("╯")) << s->screen_text();
        ASSERT_TRUE(s->wait_for_text("Back")) << s->screen_text();
    }
    // Types bytes and waits until `text` shows.
    void type_until(std::string_view bytes, std::string_view text) {
        s->write(bytes);
        EXPECT_TRUE(s->wait_for_text(text)) << text << "\n" << s->screen_text();
    }
    // The outcome once the panel has ended.
    std::string outcome() {
        const auto status = s->wait_exit();
        EXPECT_EQ(status, 10) << s->screen_text();
        return test::read_file(out_path);
    }
    // Screen row and column (in cells) where `text` first shows, {-1, -1}
    // when it does not.
    std::pair<int, int> where(std::string_view text) const {
        const auto rows = s->rows();
        for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
            std::string line;
            std::vector<int> column_at;  // byte offset -> cell column
            for (int c = 0; c < 200; ++c) {
                const std::string cell = s->cell(r, c).text;
                for (std::size_t i = 0; i < cell.size(); ++i) column_at.push_back(c);
                line += cell;
            }
            const auto at = line.find(text);
            if (at != std::string::npos) return {r, column_at[at]};
        }
        return {-1, -1};
    }

    test::ScratchDir dir;
    std::string out_path = dir.file("outcome");
    std::unique_ptr<PtySession> s;
};

TEST_F(PanelScreen, SideBySideFrom74ColumnsStackedBelow) {
    open("two", true, 74, 24);
    const auto general = where("╭ General ");
    const auto details = where("╭ Details: em0 ");
    EXPECT_EQ(general, std::make_pair(2, 1)) << s->screen_text();
    EXPECT_EQ(details, std::make_pair(2, 27)) << s->screen_text();  // 36 % of 72 = 26
    EXPECT_TRUE(s->alternate_screen());
    EXPECT_NE(s->output().find("\x1b[?1000h"), std::string::npos);
    s->write("q");
    EXPECT_EQ(outcome(), "back\n");

    open("two", true, 73, 24);
    EXPECT_EQ(where("╭ General "), std::make_pair(2, 1)) << s->screen_text();
    const auto stacked = where("╭ Details: em0 ");
    EXPECT_GT(stacked.first, 2) << s->screen_text();
    EXPECT_EQ(stacked.second, 1);
    s->write(kEsc);
    EXPECT_EQ(outcome(), "back\n");
}

TEST_F(PanelScreen, EightInterfacesScrollTheList) {
    // The list shows as many interfaces as fit, from its top; the selection
    // stays within six of the top.
    open("eight", false);
    ASSERT_NE(where("❯ em0 ").first, -1) << s->screen_text();
    for (int i = 0; i < 6; ++i) s->write(kDown);
    ASSERT_TRUE(s->wait_for_text("Details: em6")) << s->screen_text();
    EXPECT_NE(where("❯ em6 ").first, -1) << s->screen_text();
    EXPECT_EQ(where("em0 ").first, -1) << s->screen_text();
    EXPECT_NE(where("  em1 ").first, -1);
    for (int i = 0; i < 6; ++i) s->write("k");
    ASSERT_TRUE(s->wait_for_text("Details: em0")) << s->screen_text();
    EXPECT_NE(where("❯ em0 ").first, -1);
    s->write("q");
    EXPECT_EQ(outcome(), "back\n");
}

TEST_F(PanelScreen, ViewOnlyUserCannotEditOrFreeze) {
    open("two", false);
    EXPECT_TRUE(s->wait_for_text("View only")) << s->screen_text();
    s->write("e");
    s->write("m");
    s->write(kF2);
    s->write(kDown);  // a key the panel answers, after the ones it must ignore
    ASSERT_TRUE(s->wait_for_text("Details: em1")) << s->screen_text();
    EXPECT_EQ(where("Edit]").first, -1);
    s->write("q");
    EXPECT_EQ(outcome(), "back\n");
}

TEST_F(PanelScreen, EditIpv6ByKeysAndMouseThenApply) {
    open("two");
    type_until("e", "[✏ Edit]");
    type_until(" ", "[ ] Disabled");  // focus on the Active box
    type_until(" ", "[✓] Enabled");
    type_until(" ", "[ ] Disabled");
    const auto tab = where("[ 2. IPv6 ]");
    ASSERT_NE(tab.first, -1);
    type_until(click(tab.second, tab.first), "► [ 2. IPv6 ] ◄");
    // Left of the midpoint cycles back, right of it forward.
    const auto mode = where("◄ SLAAC ►");
    ASSERT_NE(mode.first, -1) << s->screen_text();
    const int value_start = mode.second;
    type_until(click(value_start, mode.first), "◄ Disabled ►");
    type_until(click(value_start + 40, mode.first), "◄ SLAAC ►");
    type_until(click(value_start + 40, mode.first), "◄ Static ►");
    // Tab to the address field, replace it, then the prefix.
    type_until(kTab, "2001:db8::5█");
    for (int i = 0; i < 11; ++i) s->write(kBackspace);
    type_until("2001:db8::12", "2001:db8::12█");
    type_until(kTab, "64█");
    s->write(kBackspace);
    type_until("8", "68█");  // in a text field a digit is typed, not a tab switch
    s->write(kF2);
    EXPECT_EQ(outcome(),
              "apply em0 enabled=0 family=6\n"
              "ipv6_mode=Static\n"
              "ipv6_status=SLAAC active\n"
              "v6_g_0=2001:db8::5/64\n"
              "ipv6_address=2001:db8::12\n"
              "ipv6_prefix=68\n"
              "ipv6_gateway=\n"
              "ipv4_mode=Static\n"
              "ipv4_address=192.0.2.10\n"
              "ipv4_netmask=255.255.255.0\n"
              "ipv4_gateway=192.0.2.1\n");
}

TEST_F(PanelScreen, EscRestoresTheShownValues) {
    open("two");
    type_until("e", "[✏ Edit]");
    type_until(kTab, "► [ 1. IPv4 ] ◄");
    type_until(kTab, "◄ Static ►");
    type_until(kRight, "◄ DHCP ►");
    s->write(kBackTab);  // ipv4_gateway
    type_until("9", "192.0.2.19█");
    type_until(kEsc, "Edit cancelled");
    EXPECT_TRUE(s->wait_for_text("[👁 View]")) << s->screen_text();
    EXPECT_NE(where("Static").first, -1);
    EXPECT_NE(where("192.0.2.1 ").first, -1);
    EXPECT_EQ(where("192.0.2.19").first, -1);
    EXPECT_NE(where("Edit cancelled  ·  ↑↓ Interface").first, -1) << s->screen_text();
    s->write("q");
    EXPECT_EQ(outcome(), "back\n");
}

TEST_F(PanelScreen, ClickOnAnotherInterfaceLeavesEditMode) {
    open("two");
    type_until("e", "[✏ Edit]");
    type_until(" ", "[ ] Disabled");
    const auto em1 = where("  em1 ");
    ASSERT_NE(em1.first, -1);
    type_until(click(em1.second + 3, em1.first), "Details: em1");
    EXPECT_TRUE(s->wait_for_text("[👁 View]")) << s->screen_text();
    EXPECT_TRUE(s->wait_for_text("Edit cancelled")) << s->screen_text();
    s->write(kF2);  // view mode: nothing
    s->write(kUp);
    ASSERT_TRUE(s->wait_for_text("Details: em0"));
    EXPECT_TRUE(s->wait_for_text("[✓] Enabled")) << s->screen_text();
    s->write("q");
    EXPECT_EQ(outcome(), "back\n");
}

TEST_F(PanelScreen, WheelAndFreeze) {
    open("two");
    const auto general = where("General");
    type_until(wheel_down(general.second, general.first), "Details: em1");
    s->write("m");
    EXPECT_EQ(outcome(), "make-static em1\n");

    open("two");
    type_until("e", "[✏ Edit]");
    s->write(kF3);
    EXPECT_EQ(outcome(), "make-static em0\n");
}

TEST_F(PanelScreen, ApplyOnTheIpv4TabCarriesItsFamily) {
    open("two");
    type_until("E", "[✏ Edit]");
    s->write(kLeft);  // tab bar, IPv4
    type_until(kTab, "◄ Static ►");
    s->write(kF2);
    const std::string out = outcome();
    EXPECT_TRUE(out.starts_with("apply em0 enabled=1 family=4\nipv4_mode=Static\n")) << out;
    EXPECT_NE(out.find("\nipv6_mode=SLAAC\n"), std::string::npos) << out;
}

}  // namespace
}  // namespace tarnwick::tui
