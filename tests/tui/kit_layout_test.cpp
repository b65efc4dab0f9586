#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "tui/kit/layout.h"

namespace tarnwick::tui {
namespace {

using C = Constraint;

std::vector<Constraint> parse_constraints(const std::string& text) {
    std::vector<Constraint> out;
    std::stringstream in(text);
    std::string token;
    while (std::getline(in, token, ',')) {
        auto number = [&](std::size_t skip) {
            return static_cast<std::uint16_t>(std::stoi(token.substr(skip)));
        };
        if (token.rfind("Min", 0) == 0) {
            out.push_back(C::min(number(3)));
        } else if (token[0] == 'L') {
            out.push_back(C::length(number(1)));
        } else if (token[0] == 'P') {
            out.push_back(C::percentage(number(1)));
        } else {
            ADD_FAILURE() << "unknown constraint " << token;
        }
    }
    return out;
}

std::vector<std::uint16_t> parse_sizes(const std::string& text) {
    std::vector<std::uint16_t> out;
    std::stringstream in(text);
    std::string token;
    while (std::getline(in, token, ','))
        out.push_back(static_cast<std::uint16_t>(std::stoi(token)));
    return out;
}

// Every constraint list the screens use, at every length from 0 to 160.
TEST(KitLayout, ReproducesEveryRecordedSplit) {
    std::ifstream file(TARNWICK_FIXTURES_DIR "/kit/layout-vectors.tsv");
    ASSERT_TRUE(file) << "missing layout vectors";
    std::string line;
    std::getline(file, line);  // header
    int checked = 0;
    while (std::getline(file, line)) {
        std::stringstream fields(line);
        std::string constraints, length, sizes;
        std::getline(fields, constraints, '\t');
        std::getline(fields, length, '\t');
        std::getline(fields, sizes, '\t');
        auto cs = parse_constraints(constraints);
        auto h = static_cast<std::uint16_t>(std::stoi(length));
        EXPECT_EQ(split_sizes(h, cs), parse_sizes(sizes)) << constraints << " at " << length;
        ++checked;
    }
    EXPECT_GT(checked, 0);
}

TEST(KitLayout, WorkedExamples) {
    struct Case {
        std::uint16_t length;
        std::vector<Constraint> constraints;
        std::vector<std::uint16_t> sizes;
    } cases[] = {
        {98, {C::percentage(48), C::percentage(52)}, {47, 51}},
        {28, {C::percentage(38), C::percentage(62)}, {11, 17}},
        {96, {C::percentage(45), C::percentage(55)}, {43, 53}},
        {28, {C::length(3), C::min(10), C::length(4)}, {3, 21, 4}},
        {12, {C::length(3), C::min(10), C::length(4)}, {2, 10, 0}},
        {5, {C::length(3), C::min(10), C::length(4)}, {0, 5, 0}},
        // Growth shared by weight; Max and Length keep their size.
        {10, {C::fill(1), C::fill(3)}, {3, 7}},
        {10, {C::min(2), C::fill(1)}, {5, 5}},
        {10, {C::min(7), C::fill(1)}, {7, 3}},
        {20, {C::length(2), C::max(5), C::fill(1)}, {2, 5, 13}},
        {10, {C::min(8), C::min(1)}, {8, 2}},
        // No grower: the rest stays empty at the end.
        {10, {C::length(2), C::percentage(50)}, {2, 5}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(split_sizes(c.length, c.constraints), c.sizes) << "length " << c.length;
    }
}

TEST(KitLayout, RectanglesFollowTheArea) {
    auto rows = split_vertical(Rect{1, 1, 98, 28}, {C::length(3), C::min(10), C::length(4)});
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], (Rect{1, 1, 98, 3}));
    EXPECT_EQ(rows[1], (Rect{1, 4, 98, 21}));
    EXPECT_EQ(rows[2], (Rect{1, 25, 98, 4}));
    auto columns = split_horizontal(Rect{1, 4, 98, 21}, {C::percentage(48), C::percentage(52)});
    EXPECT_EQ(columns[0], (Rect{1, 4, 47, 21}));
    EXPECT_EQ(columns[1], (Rect{48, 4, 51, 21}));
}

}  // namespace
}  // namespace tarnwick::tui
