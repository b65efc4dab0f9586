#include <gtest/gtest.h>

#include "tui/kit/rect.h"
#include "tui/list_helpers.h"

namespace tarnwick::tui {
namespace {

TEST(KitRect, EdgesSaturate) {
    Rect r{65530, 65534, 10, 10};
    EXPECT_EQ(r.right(), 65535);
    EXPECT_EQ(r.bottom(), 65535);
    EXPECT_EQ((Rect{2, 3, 4, 5}.right()), 6);
}

TEST(KitRect, Inner) {
    struct Case {
        Rect area;
        Margin margin;
        Rect inner;
    } cases[] = {
        {{0, 0, 20, 10}, {1, 1}, {1, 1, 18, 8}},
        {{5, 5, 4, 4}, {2, 2}, {7, 7, 0, 0}},
        {{5, 5, 3, 10}, {2, 1}, {0, 0, 0, 0}},  // margin does not fit: zero rect at the origin
        {{5, 5, 10, 1}, {1, 1}, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) EXPECT_EQ(c.area.inner(c.margin), c.inner);
}

TEST(KitRect, Intersection) {
    EXPECT_EQ((Rect{0, 0, 10, 10}.intersection({5, 5, 10, 10})), (Rect{5, 5, 5, 5}));
    EXPECT_TRUE((Rect{0, 0, 10, 10}.intersection({20, 20, 5, 5})).is_empty());
    EXPECT_EQ((Rect{0, 0, 10, 10}.intersection({2, 3, 65535, 65535})), (Rect{2, 3, 8, 7}));
}

TEST(KitRect, RectContains) {
    struct Case {
        Rect area;
        std::uint16_t column, row;
        bool inside;
    } cases[] = {
        {{2, 3, 4, 5}, 2, 3, true},
        {{2, 3, 4, 5}, 5, 7, true},
        {{2, 3, 4, 5}, 6, 3, false},
        {{2, 3, 4, 5}, 2, 8, false},
        {{2, 3, 4, 5}, 1, 3, false},
        {{2, 3, 0, 5}, 2, 3, false},
        // The sums stop at 65535, so the last column and row are never inside.
        {{65530, 65530, 100, 100}, 65534, 65534, true},
        {{65530, 65530, 100, 100}, 65535, 65530, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(rect_contains(c.area, c.column, c.row), c.inside)
            << c.area.x << "," << c.area.y << " " << c.column << "," << c.row;
    }
}

TEST(ListHelpers, WindowStart) {
    struct Case {
        std::size_t count, rows, selected, start;
    } cases[] = {
        {10, 4, 0, 0}, {10, 4, 3, 0}, {10, 4, 4, 1},  {10, 4, 9, 6}, {10, 4, 20, 6},
        {4, 4, 3, 0},  {3, 8, 2, 0},  {13, 8, 10, 3}, {0, 0, 0, 0},  {5, 0, 2, 3},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(list_window_start(c.count, c.rows, c.selected), c.start)
            << c.count << " in " << c.rows << " selected " << c.selected;
    }
}

TEST(ListHelpers, ItemIndex) {
    const Rect list{0, 5, 20, 6};
    struct Case {
        Rect area;
        std::uint16_t row;
        std::size_t start, count;
        std::optional<std::size_t> index;
    } cases[] = {
        {list, 6, 2, 5, 2},
        {list, 7, 2, 5, 3},
        {list, 8, 2, 5, 4},
        {list, 9, 2, 5, std::nullopt},   // inside the border, past the last entry
        {list, 5, 2, 5, std::nullopt},   // top border
        {list, 10, 2, 5, std::nullopt},  // bottom border
        {list, 4, 2, 5, std::nullopt},
        {list, 11, 2, 5, std::nullopt},
        {{0, 5, 20, 2}, 6, 0, 5, std::nullopt},     // too low for a row inside borders
        {{0, 5, 0, 6}, 6, 0, 5, std::nullopt},      // no width
        {{65535, 5, 9, 6}, 6, 0, 5, std::nullopt},  // x + width stops at x
        {{0, 65530, 20, 100}, 65531, 0, 5, 0},
        {{0, 65530, 20, 100}, 65534, 0, 5, std::nullopt},  // bottom border at the saturated edge
    };
    for (const Case& c : cases) {
        EXPECT_EQ(list_item_index(c.area, c.row, c.start, c.count), c.index) << "row " << c.row;
    }
}

}  // namespace
}  // namespace tarnwick::tui
