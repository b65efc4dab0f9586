// What the network result page shows: the outcome as the road reported it,
// and one detail per non-empty line of the body.

#include "app/network/network_panel.h"

#include <gtest/gtest.h>

namespace tarnwick::app {
namespace {

using Details = std::vector<std::pair<std::string, std::string>>;

TEST(NetworkResult, DetailsAreTheTrimmedNonEmptyLines) {
    const auto result = network_result(
        "Changes applied", "IPv4 on em0 set to DHCP.\r\n\n   \n  service netif restart em0: ok  \n",
        true);
    EXPECT_EQ(result.title, "Changes applied");
    EXPECT_EQ(result.summary, "Configuration applied");
    EXPECT_TRUE(result.success);
    EXPECT_EQ(result.details, (Details{{"step_0", "IPv4 on em0 set to DHCP."},
                                       {"step_1", "service netif restart em0: ok"}}));
    EXPECT_TRUE(network_result("", "", true).details.empty());
}

TEST(NetworkResult, SuccessIsTheRoadsOutcomeNotTheTitlesWording) {
    struct Case {
        const char* title;
        bool success;
        const char* summary;
    };
    const Case cases[] = {
        {"Übernahme gescheitert", false, "Apply failed"},  // no "fail" in it
        {"Changes applied", false, "Apply failed"},        // a failure titled oddly
        {"Apply failed — not really", true, "Configuration applied"},
        {"", true, "Configuration applied"},
        {"Not authorized to change network configuration", false, "Apply failed"},
    };
    for (const Case& c : cases) {
        const auto result = network_result(c.title, "x", c.success);
        EXPECT_EQ(result.success, c.success) << c.title;
        EXPECT_EQ(result.summary, c.summary) << c.title;
        EXPECT_EQ(result.title, c.title);
    }
}

}  // namespace
}  // namespace tarnwick::app
