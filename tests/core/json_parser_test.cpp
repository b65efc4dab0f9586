#include "core/json/parser.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace tarnwick::json {
namespace {

struct ErrorCase {
    std::string text;
    std::string expected;  // the displayed error
};

class JsonSyntaxError : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(JsonSyntaxError, IsDescribedWithItsPosition) {
    const auto result = parse(GetParam().text);
    ASSERT_FALSE(result.has_value()) << GetParam().text;
    EXPECT_EQ(display_parse_error(result.error()), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, JsonSyntaxError,
    ::testing::Values(
        ErrorCase{"", "EOF while parsing a value at line 1 column 0"},
        ErrorCase{"  \n ", "EOF while parsing a value at line 2 column 1"},
        ErrorCase{"{} x", "trailing characters at line 1 column 4"},
        ErrorCase{"{}\n\n  }", "trailing characters at line 3 column 3"},
        ErrorCase{"1 2", "trailing characters at line 1 column 3"},
        ErrorCase{"\xEF\xBB\xBF{}", "expected value at line 1 column 1"},
        ErrorCase{"x", "expected value at line 1 column 1"},
        ErrorCase{std::string(" \0", 2), "expected value at line 1 column 2"},
        ErrorCase{std::string("[1\0]", 4), "expected `,` or `]` at line 1 column 3"},
        ErrorCase{"[1,x]", "expected value at line 1 column 4"},
        ErrorCase{"{\"a\":}", "expected value at line 1 column 6"},
        ErrorCase{"tru", "EOF while parsing a value at line 1 column 3"},
        ErrorCase{"nulx", "expected ident at line 1 column 4"},
        ErrorCase{"{", "EOF while parsing an object at line 1 column 1"},
        ErrorCase{"{\"a\"", "EOF while parsing an object at line 1 column 4"},
        ErrorCase{"{\"a\":1", "EOF while parsing an object at line 1 column 6"},
        ErrorCase{"{\"a\":1,", "EOF while parsing a value at line 1 column 7"},
        ErrorCase{"{\"a\":", "EOF while parsing a value at line 1 column 5"},
        ErrorCase{"{1:2}", "key must be a string at line 1 column 2"},
        ErrorCase{"{\"a\":1,}", "trailing comma at line 1 column 8"},
        ErrorCase{"{\"a\" 1}", "expected `:` at line 1 column 6"},
        ErrorCase{"{\"a\":1 \"b\":2}", "expected `,` or `}` at line 1 column 8"},
        ErrorCase{"[", "EOF while parsing a list at line 1 column 1"},
        ErrorCase{"[1", "EOF while parsing a list at line 1 column 2"},
        ErrorCase{"[1,", "EOF while parsing a value at line 1 column 3"},
        ErrorCase{"[1,]", "trailing comma at line 1 column 4"},
        ErrorCase{"[1 2]", "expected `,` or `]` at line 1 column 4"},
        ErrorCase{"\"abc", "EOF while parsing a string at line 1 column 4"},
        ErrorCase{
            "\"a\tb\"",
            "control character (\\u0000-\\u001F) found while parsing a string at line 1 column 3"},
        ErrorCase{"\"a\\qb\"", "invalid escape at line 1 column 4"},
        ErrorCase{"\"\\u12x4\"", "invalid escape at line 1 column 6"},
        ErrorCase{"\"a\xFF\"", "invalid unicode code point at line 1 column 3"},
        ErrorCase{"[01]", "invalid number at line 1 column 3"},
        ErrorCase{"-x", "invalid number at line 1 column 2"},
        ErrorCase{"1.", "invalid number at line 1 column 2"},
        ErrorCase{"1e400", "number out of range at line 1 column 5"},
        // Past the largest double only after rounding; the reader's own
        // exponent check lets these through.
        ErrorCase{"1.8e308", "number out of range at line 1 column 7"},
        ErrorCase{"[0, -72e308]", "number out of range at line 1 column 11"}));

std::string nested(std::size_t depth) {
    return std::string(depth, '[') + std::string(depth, ']');
}

TEST(JsonDepth, AllowsTheLimitAndRefusesOneLevelMore) {
    EXPECT_TRUE(parse(nested(kMaxDepth)).has_value());
    const auto deep = parse(nested(kMaxDepth + 1));
    ASSERT_FALSE(deep.has_value());
    EXPECT_EQ(display_parse_error(deep.error()), "recursion limit exceeded at line 1 column 129");
    // Far deeper input stops at the limit instead of exhausting the stack.
    EXPECT_FALSE(parse(std::string(100000, '[')).has_value());
}

TEST(JsonTree, KeepsMembersInOrderWithDuplicatesAndPositions) {
    const std::string text = "{\"b\": 1,\n \"a\": \"x\", \"b\": [true, null]}";
    const auto doc = parse(text);
    ASSERT_TRUE(doc.has_value());
    ASSERT_EQ(doc->kind, Kind::Object);
    EXPECT_EQ(doc->start, 0u);
    EXPECT_EQ(doc->end, text.size());
    ASSERT_EQ(doc->members.size(), 3u);
    EXPECT_EQ(doc->members[0].key, "b");
    EXPECT_EQ(doc->members[1].key, "a");
    EXPECT_EQ(doc->members[2].key, "b");

    const Member& a = doc->members[1];
    EXPECT_EQ(text.substr(a.key_start, a.key_end - a.key_start), "\"a\"");
    EXPECT_EQ(text.substr(a.value.start, a.value.end - a.value.start), "\"x\"");
    EXPECT_EQ(position_at(text, a.key_end), (Position{2, 4}));
    EXPECT_EQ(peek_position(text, a.value.start), (Position{2, 7}));

    const Value* b = doc->find("b");  // the later duplicate wins
    ASSERT_NE(b, nullptr);
    ASSERT_EQ(b->kind, Kind::Array);
    EXPECT_EQ(text.substr(b->start, b->end - b->start), "[true, null]");
    ASSERT_EQ(b->items.size(), 2u);
    EXPECT_EQ(text.substr(b->items[0].start, b->items[0].end - b->items[0].start), "true");
    EXPECT_EQ(b->items[1].kind, Kind::Null);
    EXPECT_EQ(doc->find("c"), nullptr);
}

TEST(JsonTree, KeepsIntegersApartFromFloats) {
    const auto doc = parse(
        "[0, 18446744073709551615, -1, -9223372036854775808, 18446744073709551616, "
        "-9223372036854775809, 1.0, 1e2, -0]");
    ASSERT_TRUE(doc.has_value());
    const auto& v = doc->items;
    ASSERT_EQ(v.size(), 9u);
    EXPECT_EQ(v[0].kind, Kind::Uint);
    EXPECT_EQ(v[1].kind, Kind::Uint);
    EXPECT_EQ(v[1].uint_value, 18446744073709551615ull);
    EXPECT_EQ(v[2].kind, Kind::Int);
    EXPECT_EQ(v[2].int_value, -1);
    EXPECT_EQ(v[3].kind, Kind::Int);
    for (std::size_t i = 4; i < 9; ++i) EXPECT_EQ(v[i].kind, Kind::Float) << i;
    EXPECT_DOUBLE_EQ(v[7].float_value, 100.0);
    EXPECT_TRUE(std::signbit(v[8].float_value));
}

TEST(JsonTree, RoundsFloatsCorrectly) {
    struct Case {
        std::string text;
        double expected;
    };
    const Case cases[] = {
        // Long mantissas with large negative exponents once crashed the parser.
        {"1.00000000000000001e-340", 0.0},
        {"-0e-261", -0.0},
        {"1e-324", 0.0},
        {"2.4e-324", 0.0},
        {"4.9e-324", std::numeric_limits<double>::denorm_min()},
        {"-1e-400", -0.0},
        {"0.30000000000000004", 0.30000000000000004},
        {"2.2250738585072011e-308", 2.2250738585072011e-308},
        {"1.7976931348623157e308", std::numeric_limits<double>::max()},
        // Exactly halfway: to even. One more digit tips it up.
        {"1.00000000000000011102230246251565404236316680908203125", 1.0},
        {"1.00000000000000011102230246251565404236316680908203126", std::nextafter(1.0, 2.0)},
        {"9007199254740993.0", 9007199254740992.0},
        {"0.000000000000000000000000000000000000000000001e45", 1.0},
    };
    for (const Case& c : cases) {
        const auto doc = parse(c.text);
        ASSERT_TRUE(doc.has_value()) << c.text;
        ASSERT_EQ(doc->kind, Kind::Float) << c.text;
        EXPECT_EQ(doc->float_value, c.expected) << c.text;
        EXPECT_EQ(std::signbit(doc->float_value), std::signbit(c.expected)) << c.text;
    }
}

TEST(JsonTree, DecodesStringEscapes) {
    const auto doc = parse(R"(["a\"b\\\/\n\u00e9\ud83d\ude00", "\u0000"])");
    ASSERT_TRUE(doc.has_value());
    EXPECT_EQ(doc->items[0].string, "a\"b\\/\n\xC3\xA9\xF0\x9F\x98\x80");
    EXPECT_EQ(doc->items[1].string, std::string(1, '\0'));
}

TEST(JsonTree, AllowsSurroundingWhiteSpace) {
    const auto doc = parse(" \t\r\n{}\n \r\t");
    ASSERT_TRUE(doc.has_value());
    EXPECT_EQ(doc->start, 4u);
    EXPECT_EQ(doc->end, 6u);
}

}  // namespace
}  // namespace tarnwick::json
