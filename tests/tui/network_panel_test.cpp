// The network panel's state and drawing without a terminal: keys and mouse
// presses on the state, frames rendered into a buffer.

#include "tui/screens/network_panel/panel_draw.h"
#include "tui/screens/network_panel/panel_state.h"

#include "core/catalog.h"
#include "core/text.h"
#include "support/english_catalog.h"
#include "support/interface_views.h"
#include "support/kit_rows.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarnwick::tui {
namespace {

NetworkPanelModel two_interfaces() {
    NetworkPanelModel m;
    m.hostname = "fw1.example.net";
    m.ipv4_gateway = "192.0.2.1";
    m.ipv6_gateway = "—";
    m.nameservers = {"192.0.2.53", "2001:db8::53"};
    m.interfaces = {test::interface_view("em0", true, "192.0.2.10"),
                    test::interface_view("em1", false, "")};
    m.interfaces[1].ipv4_mode = "DHCP";
    return m;
}

NetworkPanelModel interfaces(int count) {
    NetworkPanelModel m = two_interfaces();
    m.interfaces.clear();
    for (int i = 0; i < count; ++i)
        m.interfaces.push_back(
            test::interface_view(fmt::format("em{}", i), true, fmt::format("10.0.{}.1", i)));
    return m;
}

KeyEvent key(Key code) {
    return KeyEvent::key(code);
}
KeyEvent ch(char32_t c, KeyModifiers mods = kNoModifiers) {
    return KeyEvent::character(c, mods);
}

void type(PanelState& s, std::string_view text) {
    for (char c : text) ASSERT_FALSE(panel_on_key(s, ch(static_cast<char32_t>(c))));
}

// The value of the form row with this id.
std::string value_of(const PanelState& s, std::string_view id) {
    for (const auto& row : s.form)
        if (row.id == id) return row.value;
    return "<no row " + std::string(id) + ">";
}

std::size_t index_of(const PanelState& s, std::string_view id) {
    for (std::size_t i = 0; i < s.form.size(); ++i)
        if (s.form[i].id == id) return i;
    return SIZE_MAX;
}

std::vector<std::string> render(PanelState& s, std::uint16_t width, std::uint16_t height,
                                ColorDepth depth = ColorDepth::Color16) {
    Buffer buf(Rect{0, 0, width, height});
    Frame frame(buf);
    draw_network_panel(frame, s, color_roles(depth));
    return test::buffer_rows(buf);
}

int row_of(const std::vector<std::string>& rows, std::string_view text) {
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i].find(text) != std::string::npos) return static_cast<int>(i);
    return -1;
}

// The column (in cells) where `text` starts on a row.
int column_of(const std::vector<std::string>& rows, int row, std::string_view text) {
    const std::string& line = rows[static_cast<std::size_t>(row)];
    const std::size_t at = line.find(text);
    if (at == std::string::npos) return -1;
    return static_cast<int>(char_count(line.substr(0, at)));
}

class PanelTest : public testing::Test {
protected:
    Catalog catalog = test::english_catalog();
};

TEST(TruncateEllipsis, CutsByCharacters) {
    struct Case {
        const char* text;
        std::size_t max;
        const char* expected;
    };
    const Case cases[] = {
        {"abc", 0, ""},
        {"abc", 1, "…"},
        {"abc", 2, "a…"},
        {"abc", 3, "abc"},
        {"abc", 9, "abc"},
        {"", 0, ""},
        {"", 1, ""},
        {"äöü", 2, "ä…"},
        {"a", 1, "a"},
        {"ab", 1, "…"},
        {"日本語テキスト", 4, "日本語…"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(truncate_ellipsis(c.text, c.max), c.expected) << c.text << " " << c.max;
}

TEST(PanelFormColumns, LabelWidthAndMidpoint) {
    struct Case {
        Rect form;
        PanelFormColumns expected;
    };
    const Case cases[] = {
        {{10, 5, 44, 8}, {14, 24, 30, 39, 8}},  // 32 % of 44 = 14
        {{0, 0, 30, 3}, {12, 12, 18, 21, 3}},   // at least 12
        {{0, 0, 100, 0}, {24, 24, 76, 62, 1}},  // at most 24; at least one row
        {{0, 0, 14, 4}, {12, 12, 6, 15, 4}},    // the value column keeps 6
    };
    for (const Case& c : cases) EXPECT_EQ(panel_form_columns(c.form), c.expected) << c.form.width;
}

TEST_F(PanelTest, StartsOnTheFirstInterfaceInViewMode) {
    const NetworkPanelModel model = two_interfaces();
    PanelState s(model, catalog, true);
    EXPECT_EQ(s.selection, 0u);
    EXPECT_EQ(s.focus, PanelFocus::List);
    EXPECT_EQ(s.tab, IfaceFamily::Ipv4);
    EXPECT_FALSE(s.edit_mode);
    EXPECT_TRUE(s.active);
    EXPECT_EQ(value_of(s, "ipv4_address"), "192.0.2.10");

    const NetworkPanelModel down = [] {
        NetworkPanelModel m = two_interfaces();
        std::swap(m.interfaces[0], m.interfaces[1]);
        return m;
    }();
    EXPECT_FALSE(PanelState(down, catalog, true).active);

    const NetworkPanelModel none{};
    PanelState empty(none, catalog, true);
    EXPECT_TRUE(empty.active);
    EXPECT_TRUE(empty.form.empty());
}

TEST_F(PanelTest, StartsOnTheNamedInterfaceWhileItExists) {
    // The controller names the interface the last road was for; the list top
    // still starts at 0 and the first drawing scrolls it to the selection.
    const NetworkPanelModel eight = interfaces(8);
    struct Case {
        const char* name;
        std::size_t selection;
        std::size_t list_top;  // after the first drawing
    };
    const Case cases[] = {
        {"em1", 1, 0},
        {"em5", 5, 0},
        {"em6", 6, 1},
        {"em7", 7, 2},
        // Gone, empty, or only a prefix of a name: the first interface.
        {"em8", 0, 0},
        {"", 0, 0},
        {"em", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PanelState s(eight, catalog, true, c.name);
        EXPECT_EQ(s.selection, c.selection);
        EXPECT_EQ(s.form,
                  build_iface_form(eight.interfaces[c.selection], IfaceFamily::Ipv4, catalog));
        const auto rows = render(s, 100, 40);
        EXPECT_EQ(s.list_top, c.list_top);
        const std::string marked = fmt::format("❯ em{} ", c.selection);
        EXPECT_NE(row_of(rows, marked), -1);
        EXPECT_NE(row_of(rows, fmt::format("Details: em{} ", c.selection)), -1);
    }

    // The Active flag is the named interface's, not the first one's.
    const NetworkPanelModel two = two_interfaces();
    PanelState second(two, catalog, true, "em1");
    EXPECT_EQ(second.selection, 1u);
    EXPECT_FALSE(second.active);
    EXPECT_EQ(value_of(second, "ipv4_mode"), "DHCP");
    EXPECT_EQ(panel_on_key(second, ch(U'm')), PanelOutcome{PanelMakeStatic{"em1"}});
}

TEST_F(PanelTest, ViewKeys) {
    const NetworkPanelModel model = two_interfaces();
    struct Case {
        const char* name;
        std::vector<KeyEvent> keys;
        std::size_t selection;
        IfaceFamily tab;
        PanelFocus focus;
    };
    const Case cases[] = {
        {"Right", {key(Key::Right)}, 0, IfaceFamily::Ipv6, PanelFocus::List},
        {"2", {ch(U'2')}, 0, IfaceFamily::Ipv6, PanelFocus::List},
        {"]", {ch(U']')}, 0, IfaceFamily::Ipv6, PanelFocus::List},
        {"] Left", {ch(U']'), key(Key::Left)}, 0, IfaceFamily::Ipv4, PanelFocus::List},
        {"] 1", {ch(U']'), ch(U'1')}, 0, IfaceFamily::Ipv4, PanelFocus::List},
        {"] [", {ch(U']'), ch(U'[')}, 0, IfaceFamily::Ipv4, PanelFocus::List},
        {"Down", {key(Key::Down)}, 1, IfaceFamily::Ipv4, PanelFocus::List},
        {"j j (stops at the last)", {ch(U'j'), ch(U'j')}, 1, IfaceFamily::Ipv4, PanelFocus::List},
        {"Up at the top", {key(Key::Up)}, 0, IfaceFamily::Ipv4, PanelFocus::List},
        {"j k", {ch(U'j'), ch(U'k')}, 0, IfaceFamily::Ipv4, PanelFocus::List},
        {"Tab", {key(Key::Tab)}, 0, IfaceFamily::Ipv4, PanelFocus::Active},
        {"Tab Down", {key(Key::Tab), key(Key::Down)}, 1, IfaceFamily::Ipv4, PanelFocus::List},
        {"Ctrl-j types nothing", {ch(U'j', kControl)}, 0, IfaceFamily::Ipv4, PanelFocus::List},
        {"F2 F3 Enter Backspace",
         {KeyEvent::function(2), KeyEvent::function(3), key(Key::Enter), key(Key::Backspace)},
         0,
         IfaceFamily::Ipv4,
         PanelFocus::List},
    };
    for (const Case& c : cases) {
        PanelState s(model, catalog, true);
        for (const KeyEvent& k : c.keys) EXPECT_FALSE(panel_on_key(s, k)) << c.name;
        EXPECT_EQ(s.selection, c.selection) << c.name;
        EXPECT_EQ(s.tab, c.tab) << c.name;
        EXPECT_EQ(s.focus, c.focus) << c.name;
        EXPECT_FALSE(s.edit_mode) << c.name;
        // The form always shows the selected interface on the current tab.
        EXPECT_EQ(s.form, build_iface_form(model.interfaces[c.selection], c.tab, catalog))
            << c.name;
    }
}

TEST_F(PanelTest, LeavingAndMakeStaticInViewMode) {
    const NetworkPanelModel model = two_interfaces();
    for (const KeyEvent& k : {key(Key::Esc), ch(U'q')}) {
        PanelState s(model, catalog, false);
        EXPECT_EQ(panel_on_key(s, k), PanelOutcome{PanelBack{}});
    }
    for (const KeyEvent& k : {ch(U'm'), ch(U'M', kShift)}) {
        PanelState s(model, catalog, true);
        ASSERT_FALSE(panel_on_key(s, key(Key::Down)));
        EXPECT_EQ(panel_on_key(s, k), PanelOutcome{PanelMakeStatic{"em1"}});
    }
    PanelState viewer(model, catalog, false);
    EXPECT_FALSE(panel_on_key(viewer, ch(U'm')));
    EXPECT_FALSE(panel_on_key(viewer, ch(U'q', kControl)));
    EXPECT_FALSE(panel_on_key(viewer, ch(U'q', kAlt)));
    KeyEvent release = ch(U'q');
    release.kind = KeyEventKind::Release;
    EXPECT_FALSE(panel_on_key(viewer, release));
}

TEST_F(PanelTest, EditModeNeedsPermission) {
    const NetworkPanelModel model = two_interfaces();
    PanelState viewer(model, catalog, false);
    EXPECT_FALSE(panel_on_key(viewer, ch(U'e')));
    EXPECT_FALSE(viewer.edit_mode);
    EXPECT_TRUE(viewer.status.empty());
    const auto rows = render(viewer, 100, 30);
    EXPECT_NE(row_of(rows, "View only"), -1);
    EXPECT_NE(row_of(rows, "[👁 View]"), -1);

    PanelState admin(model, catalog, true);
    EXPECT_FALSE(panel_on_key(admin, ch(U'e', kAlt)));
    EXPECT_FALSE(admin.edit_mode);
    EXPECT_FALSE(panel_on_key(admin, ch(U'E', kShift)));
    EXPECT_TRUE(admin.edit_mode);
    EXPECT_EQ(admin.focus, PanelFocus::Active);
    EXPECT_EQ(admin.status, "Editing — F2 save, Esc cancel");
    const auto editing = render(admin, 100, 30);
    EXPECT_NE(row_of(editing, "[✏ Edit]"), -1);
    // The footer is wrapped with trimming, which takes its leading blank.
    EXPECT_NE(row_of(editing, "│Editing — F2 save, Esc cancel  ·  Tab Next"), -1);
}

TEST_F(PanelTest, ActiveBoxAndSpace) {
    const NetworkPanelModel model = two_interfaces();
    PanelState s(model, catalog, true);
    ASSERT_FALSE(panel_on_key(s, ch(U'e')));  // focus on the Active box
    EXPECT_NE(row_of(render(s, 100, 30), "[✓] Enabled"), -1);
    ASSERT_FALSE(panel_on_key(s, ch(U' ')));
    EXPECT_FALSE(s.active);
    EXPECT_NE(row_of(render(s, 100, 30), "[ ] Disabled"), -1);
    ASSERT_FALSE(panel_on_key(s, ch(U' ')));
    EXPECT_TRUE(s.active);

    // On the form Space is typed into a text field and ignored on a choice.
    ASSERT_FALSE(panel_on_key(s, key(Key::Tab)));  // tab bar
    ASSERT_FALSE(panel_on_key(s, key(Key::Tab)));  // form: ipv4_mode
    ASSERT_EQ(s.focus, PanelFocus::Form);
    ASSERT_EQ(s.form[s.field_focus].id, "ipv4_mode");
    ASSERT_FALSE(panel_on_key(s, ch(U' ')));
    EXPECT_EQ(value_of(s, "ipv4_mode"), "Static");
    ASSERT_FALSE(panel_on_key(s, key(Key::Tab)));  // ipv4_address
    ASSERT_FALSE(panel_on_key(s, ch(U' ')));
    EXPECT_EQ(value_of(s, "ipv4_address"), "192.0.2.10 ");
    EXPECT_TRUE(s.active);
}

TEST_F(PanelTest, LeftAndRightCycleChoicesOnly) {
    const NetworkPanelModel model = two_interfaces();
    PanelState s(model, catalog, true);
    ASSERT_FALSE(panel_on_key(s, ch(U'e')));
    ASSERT_FALSE(panel_on_key(s, ch(U'2')));  // IPv6 tab, focus on the tab bar
    ASSERT_EQ(s.focus, PanelFocus::Tabs);
    ASSERT_FALSE(panel_on_key(s, key(Key::Tab)));  // ipv6_mode
    ASSERT_FALSE(panel_on_key(s, key(Key::Left)));
    EXPECT_EQ(value_of(s, "ipv6_mode"), "Disabled");
    ASSERT_FALSE(panel_on_key(s, key(Key::Right)));
    ASSERT_FALSE(panel_on_key(s, key(Key::Right)));
    EXPECT_EQ(value_of(s, "ipv6_mode"), "Static");
    ASSERT_FALSE(panel_on_key(s, key(Key::Enter)));
    EXPECT_EQ(value_of(s, "ipv6_mode"), "Disabled");

    ASSERT_FALSE(panel_on_key(s, key(Key::Tab)));  // ipv6_address
    const auto before = s.form;
    const std::size_t focus = s.field_focus;
    for (Key k : {Key::Left, Key::Right, Key::Enter}) ASSERT_FALSE(panel_on_key(s, key(k)));
    EXPECT_EQ(s.form, before);
    EXPECT_EQ(s.focus, PanelFocus::Form);
    EXPECT_EQ(s.field_focus, focus);
    EXPECT_EQ(s.tab, IfaceFamily::Ipv6);
}

TEST_F(PanelTest, TabAndBackTabWalkTheZones) {
    const NetworkPanelModel model = two_interfaces();
    PanelState s(model, catalog, true);
    ASSERT_FALSE(panel_on_key(s, ch(U'e')));
    s.focus = PanelFocus::List;
    // ipv4_mode, v4_live_0, ipv4_address, ipv4_netmask, ipv4_gateway
    struct Step {
        Key key;
        PanelFocus focus;
        const char* row;  // the focused row's id on the form
    };
    const Step steps[] = {
        {Key::Tab, PanelFocus::Active, ""},
        {Key::Tab, PanelFocus::Tabs, ""},
        {Key::Tab, PanelFocus::Form, "ipv4_mode"},
        {Key::Tab, PanelFocus::Form, "ipv4_address"},
        {Key::Tab, PanelFocus::Form, "ipv4_netmask"},
        {Key::Tab, PanelFocus::Form, "ipv4_gateway"},
        {Key::Tab, PanelFocus::Form, "ipv4_mode"},  // wraps on the form
        {Key::BackTab, PanelFocus::Form, "ipv4_gateway"},
        {Key::BackTab, PanelFocus::Form, "ipv4_netmask"},
    };
    for (const Step& step : steps) {
        ASSERT_FALSE(panel_on_key(s, key(step.key)));
        EXPECT_EQ(s.focus, step.focus) << step.row;
        if (step.focus == PanelFocus::Form) {
            EXPECT_EQ(s.form[s.field_focus].id, step.row);
        }
    }
    s.focus = PanelFocus::Tabs;
    ASSERT_FALSE(panel_on_key(s, key(Key::BackTab)));
    EXPECT_EQ(s.focus, PanelFocus::Active);
    ASSERT_FALSE(panel_on_key(s, key(Key::BackTab)));
    EXPECT_EQ(s.focus, PanelFocus::List);
    ASSERT_FALSE(panel_on_key(s, key(Key::BackTab)));  // to the last focusable row
    EXPECT_EQ(s.focus, PanelFocus::Form);
    EXPECT_EQ(s.form[s.field_focus].id, "ipv4_gateway");

    // Without an interface the form is empty: Tab from the tab bar goes to
    // the list, BackTab from the list to the tab bar.
    const NetworkPanelModel none{};
    PanelState empty(none, catalog, true);
    ASSERT_FALSE(panel_on_key(empty, ch(U'e')));
    empty.focus = PanelFocus::Tabs;
    ASSERT_FALSE(panel_on_key(empty, key(Key::Tab)));
    EXPECT_EQ(empty.focus, PanelFocus::List);
    ASSERT_FALSE(panel_on_key(empty, key(Key::BackTab)));
    EXPECT_EQ(empty.focus, PanelFocus::Tabs);
}

TEST_F(PanelTest, DigitsAreTypedInTextFieldsAndSwitchTabsElsewhere) {
    const NetworkPanelModel model = two_interfaces();
    PanelState s(model, catalog, true);
    ASSERT_FALSE(panel_on_key(s, ch(U'e')));
    s.focus = PanelFocus::Form;
    s.field_focus = index_of(s, "ipv4_address");
    s.form[s.field_focus].value.clear();
    type(s, "10.1.2.1");
    EXPECT_EQ(value_of(s, "ipv4_address"), "10.1.2.1");
    EXPECT_EQ(s.tab, IfaceFamily::Ipv4);
    ASSERT_FALSE(panel_on_key(s, key(Key::Backspace)));
    EXPECT_EQ(value_of(s, "ipv4_address"), "10.1.2.");
    // Letters and Ctrl or Alt characters: only the plain ones are typed.
    ASSERT_FALSE(panel_on_key(s, ch(U'u', kControl)));
    ASSERT_FALSE(panel_on_key(s, ch(U'x', kAlt)));
    ASSERT_FALSE(panel_on_key(s, ch(U'q')));
    EXPECT_EQ(value_of(s, "ipv4_address"), "10.1.2.q");

    // "]" switches tabs and keeps the focus on the form.
    ASSERT_FALSE(panel_on_key(s, ch(U']')));
    EXPECT_EQ(s.tab, IfaceFamily::Ipv6);
    EXPECT_EQ(s.focus, PanelFocus::Form);

    // On a choice row "1" switches tabs and moves the focus to the tab bar.
    s.field_focus = index_of(s, "ipv6_mode");
    ASSERT_FALSE(panel_on_key(s, ch(U'1')));
    EXPECT_EQ(s.tab, IfaceFamily::Ipv4);
    EXPECT_EQ(s.focus, PanelFocus::Tabs);
    // The edits of the other tab are gone.
    EXPECT_EQ(value_of(s, "ipv4_address"), "192.0.2.10");
    // Elsewhere "[" moves the focus to the tab bar too.
    s.focus = PanelFocus::Active;
    ASSERT_FALSE(panel_on_key(s, ch(U']')));
    EXPECT_EQ(s.focus, PanelFocus::Tabs);
    EXPECT_EQ(s.tab, IfaceFamily::Ipv6);
}

TEST_F(PanelTest, FieldFocusPastTheEndReachesNoRow) {
    NetworkPanelModel model = two_interfaces();
    model.interfaces[0].ipv6_link_local = {"fe80::1/64", "fe80::2/64"};
    model.interfaces[0].ipv6_ula = {"fd00::1/64"};
    PanelState s(model, catalog, true);
    ASSERT_FALSE(panel_on_key(s, ch(U'e')));
    ASSERT_FALSE(panel_on_key(s, ch(U']')));  // IPv6: 9 rows
    s.focus = PanelFocus::Form;
    s.field_focus = index_of(s, "ipv6_gateway");
    ASSERT_EQ(s.field_focus, 8u);
    ASSERT_FALSE(panel_on_key(s, ch(U'[')));  // IPv4: 5 rows, focus still 8
    const auto before = s.form;
    for (const KeyEvent& k : {ch(U'7'), key(Key::Backspace), key(Key::Left), key(Key::Enter)})
        ASSERT_FALSE(panel_on_key(s, k));
    EXPECT_EQ(s.form, before);
    EXPECT_EQ(s.focused_row(), nullptr);
    // "1" is not typed anywhere, so it switches tabs.
    EXPECT_EQ(s.tab, IfaceFamily::Ipv4);
    ASSERT_FALSE(panel_on_key(s, key(Key::Tab)));  // next after 8 % 5 = 3
    EXPECT_EQ(s.form[s.field_focus].id, "ipv4_gateway");
}

TEST_F(PanelTest, EscRestoresTheShownValues) {
    const NetworkPanelModel model = two_interfaces();
    PanelState s(model, catalog, true);
    ASSERT_FALSE(panel_on_key(s, ch(U'e')));
    ASSERT_FALSE(panel_on_key(s, ch(U' ')));  // Active off
    s.focus = PanelFocus::Form;
    s.field_focus = index_of(s, "ipv4_gateway");
    type(s, "99");
    s.field_focus = 0;
    ASSERT_FALSE(panel_on_key(s, key(Key::Right)));
    ASSERT_EQ(value_of(s, "ipv4_mode"), "DHCP");

    ASSERT_FALSE(panel_on_key(s, key(Key::Esc)));
    EXPECT_FALSE(s.edit_mode);
    EXPECT_EQ(s.focus, PanelFocus::List);
    EXPECT_TRUE(s.active);
    EXPECT_EQ(value_of(s, "ipv4_gateway"), "192.0.2.1");
    EXPECT_EQ(value_of(s, "ipv4_mode"), "Static");
    const auto rows = render(s, 100, 30);
    EXPECT_NE(row_of(rows, "│Edit cancelled  ·  ↑↓ Interface"), -1);
}

TEST_F(PanelTest, F2CarriesTheShownTabAsEditedAndTheOtherFromTheView) {
    const NetworkPanelModel model = two_interfaces();
    PanelState s(model, catalog, true);
    ASSERT_FALSE(panel_on_key(s, ch(U'e')));
    ASSERT_FALSE(panel_on_key(s, ch(U' ')));  // Active off
    ASSERT_FALSE(panel_on_key(s, ch(U'2')));
    s.focus = PanelFocus::Form;
    s.field_focus = 0;
    ASSERT_FALSE(panel_on_key(s, key(Key::Right)));  // SLAAC -> Static
    s.field_focus = index_of(s, "ipv6_address");
    s.form[s.field_focus].value.clear();
    type(s, "2001:db8::77");
    s.field_focus = index_of(s, "ipv6_prefix");
    ASSERT_FALSE(panel_on_key(s, key(Key::Backspace)));
    ASSERT_FALSE(panel_on_key(s, key(Key::Backspace)));
    type(s, "56");

    const auto outcome = panel_on_key(s, KeyEvent::function(2));
    ASSERT_TRUE(outcome);
    const auto* apply = std::get_if<PanelApply>(&*outcome);
    ASSERT_NE(apply, nullptr);
    EXPECT_EQ(apply->interface_name, "em0");
    EXPECT_FALSE(apply->enabled);
    EXPECT_EQ(apply->family, IfaceFamily::Ipv6);
    EXPECT_EQ(apply->pairs, (FormPairs{
                                {"ipv6_mode", "Static"},
                                {"ipv6_status", "SLAAC active"},
                                {"v6_g_0", "2001:db8::5/64"},
                                {"ipv6_address", "2001:db8::77"},
                                {"ipv6_prefix", "56"},
                                {"ipv6_gateway", ""},
                                {"ipv4_mode", "Static"},
                                {"ipv4_address", "192.0.2.10"},
                                {"ipv4_netmask", "255.255.255.0"},
                                {"ipv4_gateway", "192.0.2.1"},
                            }));

    EXPECT_EQ(panel_on_key(s, KeyEvent::function(3)), PanelOutcome{PanelMakeStatic{"em0"}});

    const NetworkPanelModel none{};
    PanelState empty(none, catalog, true);
    ASSERT_FALSE(panel_on_key(empty, ch(U'e')));
    EXPECT_TRUE(empty.edit_mode);
    for (const KeyEvent& k : {KeyEvent::function(2), KeyEvent::function(3), ch(U'm')})
        EXPECT_FALSE(panel_on_key(empty, k));
}

TEST_F(PanelTest, EditModeArrowsMoveOnlyFromTheList) {
    const NetworkPanelModel model = two_interfaces();
    PanelState s(model, catalog, true);
    ASSERT_FALSE(panel_on_key(s, ch(U'e')));
    ASSERT_FALSE(panel_on_key(s, key(Key::Down)));  // focus on the Active box
    EXPECT_EQ(s.selection, 0u);
    s.focus = PanelFocus::List;
    ASSERT_FALSE(panel_on_key(s, ch(U' ')));  // typed nowhere
    EXPECT_TRUE(s.active);
    ASSERT_FALSE(panel_on_key(s, key(Key::Down)));
    EXPECT_EQ(s.selection, 1u);
    EXPECT_TRUE(s.edit_mode);
    EXPECT_FALSE(s.active);  // em1 is down
    EXPECT_EQ(value_of(s, "ipv4_mode"), "DHCP");
}

TEST_F(PanelTest, EightInterfacesScrollSixAtATime) {
    const NetworkPanelModel model = interfaces(8);
    PanelState s(model, catalog, false);
    const auto first_listed = [&] {
        const auto rows = render(s, 100, 40);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const auto at = rows[i].find("em");
            if (at != std::string::npos && rows[i].find("● UP") != std::string::npos)
                return rows[i].substr(at, 3);
        }
        return std::string("none");
    };
    for (int i = 0; i < 5; ++i) ASSERT_FALSE(panel_on_key(s, key(Key::Down)));
    EXPECT_EQ(first_listed(), "em0");
    EXPECT_EQ(s.list_top, 0u);
    ASSERT_FALSE(panel_on_key(s, key(Key::Down)));  // the seventh
    EXPECT_EQ(first_listed(), "em1");
    EXPECT_EQ(s.list_top, 1u);
    ASSERT_FALSE(panel_on_key(s, key(Key::Down)));
    EXPECT_EQ(first_listed(), "em2");
    EXPECT_EQ(s.list_top, 2u);
    for (int i = 0; i < 7; ++i) ASSERT_FALSE(panel_on_key(s, key(Key::Up)));
    EXPECT_EQ(first_listed(), "em0");
    EXPECT_EQ(s.list_top, 0u);
}

TEST_F(PanelTest, LayoutSideBySideFrom72BodyColumns) {
    const NetworkPanelModel model = two_interfaces();
    PanelState s(model, catalog, true);
    const auto wide = render(s, 74, 24);
    const int general = row_of(wide, "╭ General ");
    ASSERT_EQ(general, 2) << fmt::format("{}", fmt::join(wide, "\n"));
    EXPECT_EQ(column_of(wide, general, "╭ General"), 1);
    // 36 % of 72 columns = 26.
    EXPECT_EQ(column_of(wide, general, "╭ Details: em0 "), 27);
    EXPECT_EQ(wide[0].substr(0, 3), "╭");
    EXPECT_NE(wide[23].find("╯"), std::string::npos);

    const auto narrow = render(s, 73, 24);
    const int top = row_of(narrow, "╭ General ");
    ASSERT_EQ(top, 2);
    EXPECT_EQ(narrow[2].find("Details"), std::string::npos);
    const int details = row_of(narrow, "╭ Details: em0 ");
    ASSERT_GT(details, top);
    EXPECT_EQ(column_of(narrow, details, "╭ Details"), 1);
}

TEST_F(PanelTest, DrawsTheGeneralBoxListAndDetails) {
    NetworkPanelModel model = two_interfaces();
    model.interfaces[0].status = "active";
    model.interfaces[1].name = "igb_very_long_name";
    PanelState s(model, catalog, true);
    const auto rows = render(s, 160, 30);
    const auto has = [&](std::string_view text) { return row_of(rows, text) != -1; };
    // A wide glyph's second cell holds a blank in the buffer.
    EXPECT_TRUE(has(" ⚡  Ostravel Manager"));
    EXPECT_TRUE(has("Network configuration"));
    EXPECT_TRUE(has("Host:   fw1.example.net"));
    EXPECT_TRUE(has("IPv4 GW: 192.0.2.1"));
    EXPECT_TRUE(has("IPv6 GW: —"));
    EXPECT_TRUE(has("DNS:     192.0.2.53, 2001:db8::53"));
    EXPECT_TRUE(has("❯ em0        ● UP"));
    EXPECT_TRUE(has("    [Static / SLAAC] 192.0.2.10/255.255.255.0"));
    EXPECT_TRUE(has("  igb_very_long_name ○ DOWN"));  // the name is padded, never cut
    EXPECT_TRUE(has("    [DHCP / SLAAC] —"));
    EXPECT_TRUE(has("Interface: em0"));
    EXPECT_TRUE(has("Status: UP / active"));
    EXPECT_TRUE(has("MAC:    00:0c:29:aa:bb:cc"));
    EXPECT_TRUE(has("✓ [ 1. IPv4 ]       [ 2. IPv6 ]     Press 1 for IPv4, 2 for IPv6"));
    EXPECT_TRUE(has("IPv4 mode"));
    EXPECT_TRUE(has("Live addresses"));

    model.nameservers.clear();
    PanelState bare(model, catalog, true);
    EXPECT_NE(row_of(render(bare, 100, 30), "DNS:     none configured"), -1);

    // The tab bar with the focus.
    s.focus = PanelFocus::Tabs;
    EXPECT_NE(row_of(render(s, 160, 30),
                     "► [ 1. IPv4 ] ◄     [ 2. IPv6 ]     ◄/► or [1/2] switch  ·  Tab → fields"),
              -1);

    const NetworkPanelModel none{};
    PanelState empty(none, catalog, true);
    const auto nothing = render(empty, 100, 30);
    EXPECT_NE(row_of(nothing, "Details: — "), -1);
    EXPECT_EQ(row_of(nothing, "Status:"), -1);
    EXPECT_EQ(row_of(nothing, "MAC:"), -1);
}

TEST_F(PanelTest, SecondRowIsCutAtTheBoxWidth) {
    NetworkPanelModel model = two_interfaces();
    model.interfaces[0].ipv4_live = {"192.0.2.10/255.255.255.0 and something long"};
    PanelState s(model, catalog, true);
    const auto rows = render(s, 74, 24);  // the interface box is 26 wide, 24 inside
    const int row = row_of(rows, "    [Static / SLAAC]");
    ASSERT_NE(row, -1);
    const int start = column_of(rows, row, "    [Static");
    EXPECT_EQ(start, 2);
    EXPECT_EQ(column_of(rows, row, "…"), 2 + 24 - 1);
}

TEST_F(PanelTest, FormRowsValuesAndHighlight) {
    const NetworkPanelModel model = two_interfaces();
    PanelState s(model, catalog, true);
    auto rows = render(s, 100, 30);
    EXPECT_NE(row_of(rows, "IPv4 mode"), -1);
    EXPECT_EQ(row_of(rows, "◄ Static ►"), -1);  // view mode: the value alone
    ASSERT_FALSE(panel_on_key(s, ch(U'e')));
    s.focus = PanelFocus::Form;
    s.field_focus = index_of(s, "ipv4_address");
    rows = render(s, 100, 30);
    EXPECT_NE(row_of(rows, "◄ Static ►"), -1);
    EXPECT_NE(row_of(rows, "192.0.2.10█"), -1);
    ASSERT_EQ(s.hits.form_rows.size(), s.form.size());
    const FormRowSlot slot = s.hits.form_rows[s.field_focus];

    Buffer buf(Rect{0, 0, 100, 30});
    Frame frame(buf);
    draw_network_panel(frame, s, color_roles(ColorDepth::Color16));
    const Cell* label = buf.cell(s.hits.form_area.x, slot.screen_row);
    EXPECT_EQ(label->bg, Color::Cyan);
    EXPECT_EQ(label->fg, Color::Black);
    const Cell* other = buf.cell(s.hits.form_area.x, s.hits.form_rows[0].screen_row);
    EXPECT_EQ(other->fg, Color::Cyan);
    EXPECT_EQ(other->bg, Color::Black);
}

TEST_F(PanelTest, FormScrollsToKeepTheFocusedRowInView) {
    NetworkPanelModel model = two_interfaces();
    model.interfaces[0].ipv4_live = {"10.0.0.1/255.0.0.0", "10.0.0.2/255.0.0.0",
                                     "10.0.0.3/255.0.0.0", "10.0.0.4/255.0.0.0",
                                     "10.0.0.5/255.0.0.0", "10.0.0.6/255.0.0.0"};
    PanelState s(model, catalog, true);
    ASSERT_FALSE(panel_on_key(s, ch(U'e')));
    s.focus = PanelFocus::Form;
    s.field_focus = index_of(s, "ipv4_gateway");  // row 9 of 10
    render(s, 74, 18);
    const std::uint16_t visible = s.hits.form_area.height;
    ASSERT_LT(visible, 10);
    EXPECT_EQ(s.hits.form_rows.front().index, s.field_focus - visible + 1);
    EXPECT_EQ(s.hits.form_rows.back().index, s.field_focus);
    // In view mode the focus does not scroll the form's highlight, only its start.
    EXPECT_EQ(panel_form_first_row(s, visible), s.field_focus - visible + 1);
    s.focus = PanelFocus::List;
    EXPECT_EQ(panel_form_first_row(s, visible), 0u);
}

class PanelMouse : public PanelTest {
protected:
    NetworkPanelModel model = interfaces(3);
    PanelState s{model, catalog, true};
    void SetUp() override { render(s, 100, 30); }
    MouseEvent press(std::uint16_t column, std::uint16_t row) {
        return MouseEvent{MouseEventKind::Down, MouseButton::Left, column, row, kNoModifiers};
    }
    void click(std::uint16_t column, std::uint16_t row) {
        ASSERT_FALSE(panel_on_mouse(s, press(column, row)));
        render(s, 100, 30);
    }
    std::uint16_t interface_row(std::size_t index) {
        for (const auto& slot : s.hits.interface_rows)
            if (slot.index == index) return slot.screen_row;
        ADD_FAILURE() << "interface " << index << " not drawn";
        return 0;
    }
    std::uint16_t form_row(std::string_view id) {
        return s.hits.form_rows[index_of(s, id)].screen_row;
    }
};

TEST_F(PanelMouse, ClickSelectsAnInterfaceInsideTheListOnly) {
    const std::uint16_t row = interface_row(2);
    // At that row but in the details pane: not the list.
    click(s.hits.form_area.x + 2, row);
    EXPECT_EQ(s.selection, 0u);
    click(s.hits.interface_inner.x + 3, row);
    EXPECT_EQ(s.selection, 2u);
    EXPECT_EQ(s.focus, PanelFocus::List);
    EXPECT_EQ(value_of(s, "ipv4_address"), "10.0.2.1");
    // The second row of an interface is no hit.
    click(s.hits.interface_inner.x + 3, static_cast<std::uint16_t>(interface_row(0) + 1));
    EXPECT_EQ(s.selection, 2u);
}

TEST_F(PanelMouse, ClickOnAnotherInterfaceInEditModeLeavesEditMode) {
    ASSERT_FALSE(panel_on_key(s, ch(U'e')));
    ASSERT_FALSE(panel_on_key(s, ch(U' ')));
    s.focus = PanelFocus::Form;
    s.field_focus = index_of(s, "ipv4_address");
    type(s, "9");
    render(s, 100, 30);
    // The selected interface itself: edits stay.
    click(s.hits.interface_inner.x + 3, interface_row(0));
    EXPECT_TRUE(s.edit_mode);
    EXPECT_EQ(value_of(s, "ipv4_address"), "10.0.0.19");
    EXPECT_FALSE(s.active);

    click(s.hits.interface_inner.x + 3, interface_row(1));
    EXPECT_EQ(s.selection, 1u);
    EXPECT_FALSE(s.edit_mode);
    EXPECT_EQ(s.status, "Edit cancelled");
    EXPECT_TRUE(s.active);
    EXPECT_EQ(value_of(s, "ipv4_address"), "10.0.1.1");
    // F2 now does nothing: view mode.
    EXPECT_FALSE(panel_on_key(s, KeyEvent::function(2)));
}

TEST_F(PanelMouse, WheelMovesTheSelection) {
    const MouseEvent down{MouseEventKind::ScrollDown, MouseButton::Left, 0, 0, kNoModifiers};
    const MouseEvent up{MouseEventKind::ScrollUp, MouseButton::Left, 0, 0, kNoModifiers};
    ASSERT_FALSE(panel_on_mouse(s, down));
    EXPECT_EQ(s.selection, 1u);
    EXPECT_EQ(value_of(s, "ipv4_address"), "10.0.1.1");
    ASSERT_FALSE(panel_on_mouse(s, up));
    ASSERT_FALSE(panel_on_mouse(s, up));
    EXPECT_EQ(s.selection, 0u);

    ASSERT_FALSE(panel_on_key(s, ch(U'e')));  // focus on the Active box: the wheel does nothing
    ASSERT_FALSE(panel_on_mouse(s, down));
    EXPECT_EQ(s.selection, 0u);
    s.focus = PanelFocus::List;
    ASSERT_FALSE(panel_on_mouse(s, up));  // nothing above: edit mode stays
    EXPECT_TRUE(s.edit_mode);
    ASSERT_FALSE(panel_on_mouse(s, down));
    EXPECT_EQ(s.selection, 1u);
    EXPECT_FALSE(s.edit_mode);
    EXPECT_EQ(s.focus, PanelFocus::List);
    EXPECT_EQ(s.status, "Edit cancelled");
}

TEST_F(PanelMouse, TabsActiveBoxAndModeRow) {
    click(s.hits.ipv6_tab.x, s.hits.ipv6_tab.y);
    EXPECT_EQ(s.tab, IfaceFamily::Ipv6);
    EXPECT_EQ(s.focus, PanelFocus::Tabs);
    const std::uint16_t mode = form_row("ipv6_mode");
    click(static_cast<std::uint16_t>(s.hits.midpoint - 1), mode);  // view mode: only the focus
    EXPECT_EQ(s.focus, PanelFocus::Form);
    EXPECT_EQ(value_of(s, "ipv6_mode"), "SLAAC");
    click(s.hits.active_box.x + 5, s.hits.active_box.y);
    EXPECT_EQ(s.focus, PanelFocus::Active);
    EXPECT_TRUE(s.active);  // view mode: not toggled

    ASSERT_FALSE(panel_on_key(s, ch(U'e')));
    render(s, 100, 30);
    click(static_cast<std::uint16_t>(s.hits.midpoint - 1), mode);
    EXPECT_EQ(value_of(s, "ipv6_mode"), "Disabled");
    click(s.hits.midpoint, mode);
    click(s.hits.midpoint, mode);
    EXPECT_EQ(value_of(s, "ipv6_mode"), "Static");
    click(s.hits.active_box.x + 19, s.hits.active_box.y);
    EXPECT_FALSE(s.active);
    click(s.hits.ipv4_tab.x + 17, s.hits.ipv4_tab.y);
    EXPECT_EQ(s.tab, IfaceFamily::Ipv4);
    EXPECT_EQ(value_of(s, "ipv4_mode"), "Static");
    // A text row takes the focus without a change; a click right of the form does nothing.
    const std::uint16_t address = form_row("ipv4_address");
    click(s.hits.midpoint, address);
    EXPECT_EQ(s.form[s.field_focus].id, "ipv4_address");
    const auto before = s.form;
    click(s.hits.form_area.right(), form_row("ipv4_mode"));
    EXPECT_EQ(s.form, before);
    EXPECT_EQ(s.form[s.field_focus].id, "ipv4_address");
    // Other buttons and releases change nothing.
    MouseEvent right = press(s.hits.midpoint, form_row("ipv4_mode"));
    right.button = MouseButton::Right;
    ASSERT_FALSE(panel_on_mouse(s, right));
    MouseEvent release = press(s.hits.midpoint, form_row("ipv4_mode"));
    release.kind = MouseEventKind::Up;
    ASSERT_FALSE(panel_on_mouse(s, release));
    EXPECT_EQ(s.form, before);
}

}  // namespace
}  // namespace tarnwick::tui
