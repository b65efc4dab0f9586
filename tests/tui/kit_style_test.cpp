#include <gtest/gtest.h>

#include "tui/kit/buffer.h"
#include "tui/kit/style.h"

namespace tarnwick::tui {
namespace {

TEST(KitStyle, PatchLetsTheLaterStyleWin) {
    Style base = Style{}.with_fg(Color::White).with_bg(Color::Black).add(Modifier::Bold);
    Style over = Style{}.with_fg(Color::Cyan).remove(Modifier::Bold).add(Modifier::Italic);
    Style s = base.patch(over);
    EXPECT_EQ(s.fg, Color::Cyan);
    EXPECT_EQ(s.bg, Color::Black);
    EXPECT_EQ(s.add_modifier, Modifier::Italic);
    EXPECT_EQ(s.sub_modifier, Modifier::Bold);
    // Patching back adds bold again and takes it out of the removed set.
    Style back = s.patch(Style{}.add(Modifier::Bold));
    EXPECT_EQ(back.add_modifier, Modifier::Italic | Modifier::Bold);
    EXPECT_EQ(back.sub_modifier, Modifier::None);
    // The empty style changes nothing.
    EXPECT_EQ(base.patch(Style{}), base);
}

TEST(KitStyle, ApplyingToACell) {
    Cell cell;
    cell.set_style(Style{}.with_fg(Color::Red).add(Modifier::Bold | Modifier::Reversed));
    cell.set_style(Style{}.with_bg(Color::Blue).remove(Modifier::Reversed));
    EXPECT_EQ(cell.fg, Color::Red);
    EXPECT_EQ(cell.bg, Color::Blue);
    EXPECT_EQ(cell.modifier, Modifier::Bold);
    // Reset is a colour like any other: setting it overrides.
    cell.set_style(Style::reset());
    EXPECT_EQ(cell, Cell{});
}

}  // namespace
}  // namespace tarnwick::tui
