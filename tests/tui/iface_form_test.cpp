// The network panel's edit form: rows of both families, option cycling,
// focus movement, text entry and the apply payload. The catalog is empty, so
// every label shows its message key.

#include "tui/screens/network_panel/iface_form.h"

#include "core/catalog.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace tarnwick::tui {
namespace {

const Catalog kKeys{};

InterfaceView em0() {
    InterfaceView v;
    v.name = "em0";
    v.mac = "00:0c:29:aa:bb:cc";
    v.ipv4_mode = "Static";
    v.ipv6_mode = "SLAAC";
    v.ipv6_status = "net.ipv6.status.slaac_active";
    v.ipv4_live = {"192.0.2.10/255.255.255.0"};
    v.ipv6_global = {"2001:db8::5/64"};
    v.ipv6_link_local = {"fe80::1/64"};
    v.ipv4_address = "192.0.2.10";
    v.ipv4_netmask = "255.255.255.0";
    v.ipv4_gateway = "192.0.2.1";
    v.ipv6_address = "2001:db8::5";
    v.ipv6_prefix = "64";
    v.ipv6_gateway = "fe80::1%em0";
    v.up = true;
    return v;
}

struct RowShape {
    std::string id;
    std::string label;
    std::string value;
    bool disabled;

    bool operator==(const RowShape&) const = default;
    friend std::ostream& operator<<(std::ostream& out, const RowShape& r) {
        return out << "{" << r.id << ", " << r.label << ", " << r.value << ", " << r.disabled
                   << "}";
    }
};

std::vector<RowShape> shape(const IfaceForm& form) {
    std::vector<RowShape> rows;
    for (const auto& r : form) rows.push_back({r.id, r.label, r.value, r.disabled});
    return rows;
}

TEST(IfaceForm, Ipv4RowsFollowTheLiveAddresses) {
    InterfaceView none = em0();
    none.ipv4_live.clear();
    none.ipv4_address.clear();
    none.ipv4_mode = "Unknown";
    EXPECT_EQ(shape(build_iface_form(none, IfaceFamily::Ipv4, kKeys)),
              (std::vector<RowShape>{
                  {"ipv4_mode", "form.field.ipv4_mode", "Unknown", false},
                  {"v4_live", "form.field.live_addrs", "net.no_addresses", true},
                  {"ipv4_address", "form.field.ipv4_address", "", false},
                  {"ipv4_netmask", "form.field.ipv4_netmask", "255.255.255.0", false},
                  {"ipv4_gateway", "form.field.ipv4_gateway", "192.0.2.1", false},
              }));

    InterfaceView two = em0();
    two.ipv4_live.push_back("198.51.100.7/255.255.255.128");
    const IfaceForm form = build_iface_form(two, IfaceFamily::Ipv4, kKeys);
    EXPECT_EQ(shape(form),
              (std::vector<RowShape>{
                  {"ipv4_mode", "form.field.ipv4_mode", "Static", false},
                  {"v4_live_0", "form.field.live_addrs", "192.0.2.10/255.255.255.0", true},
                  {"v4_live_1", "", "198.51.100.7/255.255.255.128", true},
                  {"ipv4_address", "form.field.ipv4_address", "192.0.2.10", false},
                  {"ipv4_netmask", "form.field.ipv4_netmask", "255.255.255.0", false},
                  {"ipv4_gateway", "form.field.ipv4_gateway", "192.0.2.1", false},
              }));
    EXPECT_EQ(form[0].choices, (std::vector<std::string>{"DHCP", "Static"}));
    for (const auto& row : form) {
        EXPECT_FALSE(row.heading);
        if (row.id != "ipv4_mode") {
            EXPECT_FALSE(row.choices) << row.id;
        }
    }
}

TEST(IfaceForm, Ipv6RowsShowEachAddressKind) {
    InterfaceView v = em0();
    v.ipv6_global.clear();
    v.ipv6_ula.clear();
    v.ipv6_link_local = {"fe80::1/64", "fe80::2/64", "fe80::3/64"};
    const IfaceForm form = build_iface_form(v, IfaceFamily::Ipv6, kKeys);
    EXPECT_EQ(shape(form),
              (std::vector<RowShape>{
                  {"ipv6_mode", "form.field.ipv6_mode", "SLAAC", false},
                  {"ipv6_status", "net.field.ipv6_status", "net.ipv6.status.slaac_active", true},
                  {"v6_global", "net.addr.global", "net.no_addresses", true},
                  {"v6_ll_0", "net.addr.link_local", "fe80::1/64", true},
                  {"v6_ll_1", "", "fe80::2/64", true},
                  {"ipv6_address", "form.field.ipv6_address", "2001:db8::5", false},
                  {"ipv6_prefix", "form.field.ipv6_prefix", "64", false},
                  {"ipv6_gateway", "form.field.ipv6_gateway", "fe80::1%em0", false},
              }));
    EXPECT_EQ(form[0].choices, (std::vector<std::string>{"SLAAC", "Static", "Disabled"}));

    v.ipv6_global = {"2001:db8::5/64", "2001:db8::6/64"};
    v.ipv6_ula = {"fd00::5/64"};
    v.ipv6_link_local.clear();
    EXPECT_EQ(shape(build_iface_form(v, IfaceFamily::Ipv6, kKeys)),
              (std::vector<RowShape>{
                  {"ipv6_mode", "form.field.ipv6_mode", "SLAAC", false},
                  {"ipv6_status", "net.field.ipv6_status", "net.ipv6.status.slaac_active", true},
                  {"v6_g_0", "net.addr.global", "2001:db8::5/64", true},
                  {"v6_g_1", "", "2001:db8::6/64", true},
                  {"v6_u_0", "net.addr.ula", "fd00::5/64", true},
                  {"ipv6_address", "form.field.ipv6_address", "2001:db8::5", false},
                  {"ipv6_prefix", "form.field.ipv6_prefix", "64", false},
                  {"ipv6_gateway", "form.field.ipv6_gateway", "fe80::1%em0", false},
              }));
}

TEST(IfaceForm, LabelsAreTranslated) {
    Catalog catalog;
    catalog.messages["form.field.ipv4_mode"] = "IPv4-Modus";
    catalog.messages["net.no_addresses"] = "keine";
    InterfaceView v = em0();
    v.ipv4_live.clear();
    const IfaceForm form = build_iface_form(v, IfaceFamily::Ipv4, catalog);
    EXPECT_EQ(form[0].label, "IPv4-Modus");
    EXPECT_EQ(form[1].value, "keine");
}

TEST(IfaceForm, ModeCyclingStartsFromValuesOutsideTheChoices) {
    struct Case {
        IfaceFamily family;
        const char* value;
        bool backward;
        const char* expected;
    };
    const Case cases[] = {
        {IfaceFamily::Ipv4, "Unknown", false, "Static"},
        {IfaceFamily::Ipv4, "Unknown", true, "Static"},
        {IfaceFamily::Ipv4, "DHCP", false, "Static"},
        {IfaceFamily::Ipv4, "Static", false, "DHCP"},
        {IfaceFamily::Ipv6, "bogus", false, "Static"},
        {IfaceFamily::Ipv6, "bogus", true, "Disabled"},
        {IfaceFamily::Ipv6, "Disabled", false, "SLAAC"},
        {IfaceFamily::Ipv6, "SLAAC", true, "Disabled"},
    };
    for (const Case& c : cases) {
        InterfaceView v = em0();
        v.ipv4_mode = v.ipv6_mode = c.value;
        IfaceForm form = build_iface_form(v, c.family, kKeys);
        cycle_panel_field_option(form, 0, c.backward);
        EXPECT_EQ(form[0].value, c.expected) << c.value << (c.backward ? " backward" : " forward");
    }

    IfaceForm form = build_iface_form(em0(), IfaceFamily::Ipv4, kKeys);
    const IfaceForm before = form;
    cycle_panel_field_option(form, form.size(), false);  // past the end
    cycle_panel_field_option(form, 3, false);            // a text row
    cycle_panel_field_option(form, 1, false);            // a read-only row
    EXPECT_EQ(form, before);
}

TEST(IfaceForm, FocusSkipsReadOnlyRowsAndWraps) {
    InterfaceView v = em0();
    v.ipv4_live = {"192.0.2.10/255.255.255.0", "198.51.100.7/255.255.255.128"};
    // ipv4_mode, v4_live_0, v4_live_1, ipv4_address, ipv4_netmask, ipv4_gateway
    const IfaceForm form = build_iface_form(v, IfaceFamily::Ipv4, kKeys);
    const std::size_t last = form.size() - 1;
    EXPECT_EQ(next_focusable(form, last), 0u);  // from the top
    EXPECT_EQ(next_focusable(form, 0), 3u);     // over the live addresses
    EXPECT_EQ(next_focusable(form, 5), 0u);     // wraps to ipv4_mode
    EXPECT_EQ(prev_focusable(form, 0), 5u);     // wraps to ipv4_gateway
    EXPECT_EQ(prev_focusable(form, 3), 0u);
    EXPECT_EQ(prev_focusable(form, std::nullopt), 5u);
    EXPECT_EQ(prev_focusable(form, 99), 5u);  // an index past the end counts as none

    IfaceForm one_field = {form[1], form[3], form[2]};
    EXPECT_EQ(next_focusable(one_field, 1), 1u);  // the row itself, looked at last
    EXPECT_EQ(prev_focusable(one_field, 1), 1u);

    IfaceForm read_only = {form[1], form[2]};
    EXPECT_EQ(next_focusable(read_only, 1), std::nullopt);
    EXPECT_EQ(prev_focusable(read_only, std::nullopt), std::nullopt);
    EXPECT_EQ(next_focusable({}, 0), std::nullopt);
    EXPECT_EQ(prev_focusable({}, std::nullopt), std::nullopt);
}

TEST(IfaceForm, TextEntryKeepsToItsLimitAndRefusesControls) {
    IfaceForm form = build_iface_form(em0(), IfaceFamily::Ipv4, kKeys);
    const std::size_t address = 2;  // ipv4_mode, v4_live_0, ipv4_address
    ASSERT_EQ(form[address].id, "ipv4_address");

    struct Case {
        std::string start;
        char32_t ch;
        std::string expected;
    };
    const std::string a127(127, 'a');
    const std::string a126(126, 'a');
    const Case cases[] = {
        {"10.0", U'.', "10.0."},
        {a127, U'b', a127 + "b"},                          // 127 bytes still take one more
        {a127 + "b", U'c', a127 + "b"},                    // 128 do not
        {a126, U'\U0001F600', a126 + "\xF0\x9F\x98\x80"},  // a 4-byte character at 126
        {"", U' ', " "},
        {"", U'\xA0', "\xC2\xA0"},  // no-break space is printable
        {"x", U'\x1F', "x"},
        {"x", U'\x7F', "x"},
        {"x", U'\x85', "x"},
        {"x", U'\x9F', "x"},
        {"x", U'\t', "x"},
    };
    for (const Case& c : cases) {
        form[address].value = c.start;
        append_form_char(form, address, c.ch);
        EXPECT_EQ(form[address].value, c.expected) << static_cast<unsigned>(c.ch);
    }

    const IfaceForm before = form;
    append_form_char(form, 0, U'x');            // choice row
    append_form_char(form, 1, U'x');            // read-only row
    append_form_char(form, form.size(), U'x');  // past the end
    remove_form_char(form, 0);
    remove_form_char(form, 1);
    remove_form_char(form, form.size());
    EXPECT_EQ(form, before);
}

TEST(IfaceForm, RemovalTakesOneWholeCharacter) {
    IfaceForm form = build_iface_form(em0(), IfaceFamily::Ipv4, kKeys);
    const std::size_t gateway = 4;
    ASSERT_EQ(form[gateway].id, "ipv4_gateway");
    struct Case {
        std::string start;
        std::string expected;
    };
    const Case cases[] = {
        {"", ""}, {"ab", "a"}, {"aé", "a"}, {"a€", "a"}, {"a\xF0\x9F\x98\x80", "a"}, {"é", ""},
    };
    for (const Case& c : cases) {
        form[gateway].value = c.start;
        remove_form_char(form, gateway);
        EXPECT_EQ(form[gateway].value, c.expected) << c.start;
    }
}

TEST(IfaceForm, PayloadCarriesTheFormThenTheOtherFamilyFromTheView) {
    const InterfaceView v = em0();
    IfaceForm v6 = build_iface_form(v, IfaceFamily::Ipv6, kKeys);
    v6[0].value = "Static";
    v6.back().value = "2001:db8::1";
    EXPECT_EQ(apply_payload(v6, v), (FormPairs{
                                        {"ipv6_mode", "Static"},
                                        {"ipv6_status", "net.ipv6.status.slaac_active"},
                                        {"v6_g_0", "2001:db8::5/64"},
                                        {"v6_ll_0", "fe80::1/64"},
                                        {"ipv6_address", "2001:db8::5"},
                                        {"ipv6_prefix", "64"},
                                        {"ipv6_gateway", "2001:db8::1"},
                                        {"ipv4_mode", "Static"},
                                        {"ipv4_address", "192.0.2.10"},
                                        {"ipv4_netmask", "255.255.255.0"},
                                        {"ipv4_gateway", "192.0.2.1"},
                                    }));

    IfaceForm v4 = build_iface_form(v, IfaceFamily::Ipv4, kKeys);
    v4[0].value = "DHCP";
    EXPECT_EQ(apply_payload(v4, v), (FormPairs{
                                        {"ipv4_mode", "DHCP"},
                                        {"v4_live_0", "192.0.2.10/255.255.255.0"},
                                        {"ipv4_address", "192.0.2.10"},
                                        {"ipv4_netmask", "255.255.255.0"},
                                        {"ipv4_gateway", "192.0.2.1"},
                                        {"ipv6_mode", "SLAAC"},
                                        {"ipv6_address", "2001:db8::5"},
                                        {"ipv6_prefix", "64"},
                                        {"ipv6_gateway", "fe80::1%em0"},
                                    }));

    // An empty form (no interface) carries both families from the view.
    EXPECT_EQ(apply_payload({}, v).size(), 8u);
    EXPECT_TRUE(has_ipv4_mode_pair({{"x", "1"}, {"ipv4_mode", ""}}));
    EXPECT_FALSE(has_ipv4_mode_pair({{"ipv6_mode", "SLAAC"}, {"IPV4_MODE", ""}}));
    EXPECT_TRUE(has_ipv6_mode_pair({{"ipv6_mode", ""}}));
    EXPECT_FALSE(has_ipv6_mode_pair({}));
}

}  // namespace
}  // namespace tarnwick::tui
