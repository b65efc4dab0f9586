#include "app/network/ifconfig_listing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarnwick::app {
namespace {

// One block as a line of text: name, up flag, status, mac, then addresses.
std::string describe(const IfconfigBlock& b) {
    std::string out = b.headed ? b.name : "(before any header)";
    out += b.up ? " up" : " down";
    out += " status=\"" + b.status + "\" mac=" + (b.mac ? *b.mac : "none");
    for (const IfAddress& a : b.addresses) {
        out += " | " + std::to_string(a.family) + " " + a.address + " [" + a.mask + "]";
        if (a.link_local) out += " ll";
    }
    return out;
}

std::vector<std::string> describe_all(std::string_view listing) {
    std::vector<std::string> out;
    for (const IfconfigBlock& b : parse_ifconfig_listing(listing)) out.push_back(describe(b));
    return out;
}

TEST(IfconfigListing, ReadsBlocks) {
    struct Case {
        const char* name;
        std::string listing;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"header and body lines",
         "em0: flags=8843<UP,BROADCAST,RUNNING> metric 0 mtu 1500\n"
         "\toptions=4e504bb<RXCSUM,TXCSUM>\n"
         "\tether 08:00:27:5a:1c:3e\n"
         "\tinet 192.168.1.10 netmask 0xffffff00 broadcast 192.168.1.255\n"
         "\tinet6 fe80::1%em0 prefixlen 64 scopeid 0x1\n"
         "\tinet6 2001:db8::5 prefixlen 64 autoconf\n"
         "\tmedia: Ethernet autoselect (1000baseT <full-duplex>)\n"
         "\tstatus: active\n"
         "\tnd6 options=21<PERFORMNUD,AUTO_LINKLOCAL>\n",
         {"em0 up status=\"active\" mac=08:00:27:5a:1c:3e | 4 192.168.1.10 [netmask "
          "255.255.255.0] | 6 fe80::1 [prefixlen 64] ll | 6 2001:db8::5 [prefixlen 64]"}},
        {"masks: dotted kept, odd hex kept, none, last netmask word wins",
         "em0: flags=8843<UP> mtu 1500\n"
         "\tinet 10.0.0.1 netmask 255.255.0.0\n"
         "\tinet 10.0.0.2 netmask 0xfff\n"
         "\tinet 10.0.0.3\n"
         "\tinet 10.0.0.4 broadcast 10.0.0.255 netmask\n"
         "\tinet 10.0.0.5 netmask 0xff000000 netmask 0xffff0000\n"
         "\tinet6 2001:db8::9\n",
         {"em0 up status=\"\" mac=none | 4 10.0.0.1 [netmask 255.255.0.0] | 4 10.0.0.2 [netmask "
          "0xfff] | 4 10.0.0.3 [] | 4 10.0.0.4 [] | 4 10.0.0.5 [netmask 255.255.0.0] | 6 "
          "2001:db8::9 []"}},
        {"lines without a word add nothing; the zone alone is no address",
         "em0: flags=8843<UP> mtu 1500\n\tinet\n\tinet6 %em0 prefixlen 64\n\tether\n",
         {"em0 up status=\"\" mac=none"}},
        {"link-local by the lower-case text only",
         "em0: flags=8843<UP> mtu 1500\n\tinet6 FE80::1%em0 prefixlen 64\n"
         "\tinet6 fe80::2 prefixlen 64\n",
         {"em0 up status=\"\" mac=none | 6 FE80::1 [prefixlen 64] | 6 fe80::2 [prefixlen 64] ll"}},
        {"UP is a whole flag between < and >",
         "igb0: flags=1008802<BROADCAST,SIMPLEX,MULTICAST,LOWER_UP> mtu 1500\n"
         "igb1: flags=8802<BROADCAST,SIMPLEX> mtu 1500 description UP\n"
         "igb2: flags=8843<BROADCAST,UP> mtu 1500\n"
         "igb3: flags=0 mtu 1500\n",
         {"igb0 down status=\"\" mac=none", "igb1 down status=\"\" mac=none",
          "igb2 up status=\"\" mac=none", "igb3 down status=\"\" mac=none"}},
        {"lines before the first header, unindented body lines, later lines replace",
         "\tinet 10.9.9.9 netmask 0xff000000\n"
         "em0: flags=8843<UP> mtu 1500\r\n"
         "status: no carrier\r\n"
         "\tstatus: active\r\n"
         "\tether 00:00:00:00:00:01\n"
         "\tether 00:00:00:00:00:02\n"
         "not a header: flags 1\n",
         {"(before any header) down status=\"\" mac=none | 4 10.9.9.9 [netmask 255.0.0.0]",
          "em0 up status=\"active\" mac=00:00:00:00:00:02"}},
        {"Unicode white space trims lines and separates words",
         "em0: flags=8843<UP> mtu 1500\n"
         "\xC2\xA0inet 10.0.0.1\xE2\x80\x83netmask\xC2\xA0"
         "0xffffff00\n"
         "\tinet\xC2\xA0"
         "10.0.0.2\n",
         {"em0 up status=\"\" mac=none | 4 10.0.0.1 [netmask 255.255.255.0]"}},
        {"empty listing", "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(describe_all(c.listing), c.expected);
    }
}

TEST(IfconfigListing, HeaderMarkIsTheCallersChoice) {
    const std::string listing = "em0: flags 8843\n\tinet 10.0.0.1\n";
    EXPECT_EQ(parse_ifconfig_listing(listing).size(), 1u);  // one unnamed block
    const auto blocks = parse_ifconfig_listing(listing, ": flags");
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_TRUE(blocks[0].headed);
    EXPECT_EQ(blocks[0].name, "em0");
}

TEST(IfconfigListing, RendersNetmasks) {
    const std::pair<const char*, const char*> cases[] = {
        {"0xffffff00", "255.255.255.0"},
        {"ffffff00", "255.255.255.0"},
        {"0x0xffffff00", "255.255.255.0"},
        {"0xFFFFFFFC", "255.255.255.252"},
        {"0x00000000", "0.0.0.0"},
        {"0XFFFFFF00", "0XFFFFFF00"},
        {"0xfff", "0xfff"},
        {"0xffffff000", "0xffffff000"},
        {"0xffffff0g", "0xffffff0g"},
        {"255.255.255.0", "255.255.255.0"},
        {"", ""},
    };
    for (const auto& [word, expected] : cases) {
        EXPECT_EQ(render_netmask(word), expected) << word;
    }
}

}  // namespace
}  // namespace tarnwick::app
