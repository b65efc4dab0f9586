#include <gtest/gtest.h>

#include <functional>

#include "tui/kit/block.h"
#include "tui/kit/buffer.h"
#include "tui/kit/clear.h"
#include "tui/kit/layout.h"
#include "tui/kit/list.h"
#include "tui/kit/paragraph.h"

namespace tarnwick::tui {
namespace {

// Screens ask for sizes that can pass a small terminal or the end of the
// coordinate range; every widget must stay inside the grid. The buffer sits
// at the far corner of the coordinate space, where sums saturate.
TEST(KitClipping, WidgetsStayInsideTheGrid) {
    const Rect grid{65525, 65525, 10, 10};
    const std::string long_text(500, 'w');
    std::vector<ListItem> items;
    for (int i = 0; i < 50; ++i) items.emplace_back(long_text);
    const std::vector<Rect> areas{
        {65530, 65530, 65535, 65535}, {0, 0, 65535, 65535},  {65534, 65534, 1, 1},
        {65535, 65535, 65535, 65535}, {65520, 65527, 20, 3}, {0, 0, 3, 3},
    };
    const std::vector<std::pair<const char*, std::function<void(Rect, Buffer&)>>> widgets{
        {"block",
         [](Rect a, Buffer& b) {
             Block::bordered().title("a title").title_bottom("end").render(a, b);
         }},
        {"paragraph",
         [&](Rect a, Buffer& b) {
             Paragraph(Text(long_text)).block(Block::bordered()).render(a, b);
         }},
        {"wrapped paragraph",
         [&](Rect a, Buffer& b) {
             Paragraph(Text(long_text + " " + long_text)).wrap({true}).render(a, b);
         }},
        {"centred paragraph",
         [&](Rect a, Buffer& b) {
             Paragraph(Text("abc")).alignment(Alignment::Center).render(a, b);
         }},
        {"list",
         [&](Rect a, Buffer& b) {
             ListState state;
             state.selected = 40;
             List(items).block(Block::bordered()).highlight_symbol(">> ").render(a, b, state);
         }},
        {"line",
         [&](Rect a, Buffer& b) { Line(long_text).aligned(Alignment::Right).render(a, b); }},
        {"text", [&](Rect a, Buffer& b) { Text(long_text).render(a, b); }},
        {"clear", [](Rect a, Buffer& b) { Clear().render(a, b); }},
        {"split",
         [](Rect a, Buffer& b) {
             for (Rect r : split_vertical(
                      a, {Constraint::length(3), Constraint::min(10), Constraint::length(4)})) {
                 Block::bordered().render(r, b);
             }
         }},
    };
    for (const auto& [name, render] : widgets) {
        for (Rect area : areas) {
            Buffer buf(grid);
            render(area, buf);
            EXPECT_EQ(buf.area(), grid) << name;
            EXPECT_EQ(buf.content().size(), 100u) << name;
        }
    }
}

}  // namespace
}  // namespace tarnwick::tui
