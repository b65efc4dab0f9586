#include "core/json/messages.h"
#include "core/json/parser.h"

#include <gtest/gtest.h>

namespace tarnwick::json {
namespace {

TEST(JsonMessages, DescribesFoundValues) {
    const struct {
        const char* json;
        const char* found;
    } cases[] = {
        {"null", "null"},
        {"true", "boolean `true`"},
        {"5", "integer `5`"},
        {"-1", "integer `-1`"},
        {"1.5", "floating point `1.5`"},
        {"10.0", "floating point `10.0`"},
        {"1e21", "floating point `1000000000000000000000.0`"},
        {"1e-7", "floating point `0.0000001`"},
        {"-0", "floating point `-0.0`"},
        {"18446744073709551616", "floating point `18446744073709552000.0`"},
        {R"("x")", R"(string "x")"},
        {R"("a\"b\\c\n\u0001")", R"(string "a\"b\\c\n\u{1}")"},
        {"[]", "sequence"},
        {"{}", "map"},
    };
    for (const auto& c : cases) {
        const auto v = parse(c.json);
        ASSERT_TRUE(v.has_value()) << c.json;
        EXPECT_EQ(describe_found(*v), c.found) << c.json;
    }
}

TEST(JsonMessages, BuildsTheMessageTemplates) {
    EXPECT_EQ(invalid_type("integer `5`", "struct X"),
              "invalid type: integer `5`, expected struct X");
    EXPECT_EQ(invalid_value("map", "map with a single key"),
              "invalid value: map, expected map with a single key");
    EXPECT_EQ(invalid_length(10, "fewer elements in array"),
              "invalid length 10, expected fewer elements in array");
    EXPECT_EQ(unknown_variant("Auto", {"auto", "always", "never"}),
              "unknown variant `Auto`, expected one of `auto`, `always`, `never`");
    EXPECT_EQ(unknown_variant("x", {"only"}), "unknown variant `x`, expected `only`");
    EXPECT_EQ(missing_field("id"), "missing field `id`");
    EXPECT_EQ(duplicate_field("id"), "duplicate field `id`");
    EXPECT_EQ(with_position("missing field `id`", Position{7, 5}),
              "missing field `id` at line 7 column 5");
}

}  // namespace
}  // namespace tarnwick::json
