// The plain text scan that lists the message keys of a page file.

#include "app/offline/page_label_keys.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarnwick::app {
namespace {

using Keys = std::vector<std::string>;

TEST(PageLabelKeys, ScansTextNotXml) {
    struct Case {
        const char* name;
        const char* text;
        Keys expected;
    };
    const Case cases[] = {
        {"groups in pattern order, then text order",
         R"(<item label-key="b"/><screen title-key="t"><footer help-key="h"/><item label-key="a"/>)",
         {"t", "b", "a", "h"}},
        {"a key repeated across groups stays in its first group",
         R"(<screen title-key="k"><item label-key="k"/><item label-key="m"/><item label-key="m"/>)",
         {"k", "m"}},
        {"empty values are passed over", R"(<screen title-key=""><item label-key=""/>)", {}},
        {"longer attribute names, comments and text count",
         R"(<section subtitle-key="s"/><!-- label-key="c" --><text>help-key="x"</text>)",
         {"s", "c", "x"}},
        {"single quotes and blanks around = are not found",
         R"(<item label-key='a'/><item label-key = "b"/><item label-key ="c"/>)",
         {}},
        {"character references stay as written", R"(<item label-key="a&amp;b"/>)", {"a&amp;b"}},
        {"an unterminated value ends that pattern's scan",
         R"(<screen title-key="t"><item label-key="open)",
         {"t"}},
        {"the value runs to the next quote", R"(<item label-key="a b"/>)", {"a b"}},
    };
    for (const auto& c : cases) EXPECT_EQ(page_label_keys(c.text), c.expected) << c.name;
}

}  // namespace
}  // namespace tarnwick::app
