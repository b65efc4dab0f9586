#include "tui/term/color_depth.h"

#include "support/scoped_env.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace tarnwick::tui {
namespace {

TEST(ColorDepth, FollowsTermAndTheColorSetting) {
    struct Case {
        std::optional<std::string> term;
        std::uint16_t count;
        ColorDepth automatic;
    };
    const Case cases[] = {
        {std::nullopt, 0, ColorDepth::Mono},
        {"", 0, ColorDepth::Mono},
        {"dumb", 0, ColorDepth::Mono},
        {"\xff"
         "xterm",
         0, ColorDepth::Mono},
        {"dumb2", 16, ColorDepth::Color16},
        {"xterm", 16, ColorDepth::Color16},
        {"vt100", 16, ColorDepth::Color16},
        {"cons25", 16, ColorDepth::Color16},
        {"xterm-256color", 256, ColorDepth::Color16},
        {"screen.256", 256, ColorDepth::Color16},
    };
    for (const Case& c : cases) {
        test::ScopedEnv env("TERM", c.term);
        const std::string label = c.term.value_or("<unset>");
        EXPECT_EQ(terminal_color_count(), c.count) << label;
        EXPECT_EQ(color_depth(AutoMode::Auto), c.automatic) << label;
        EXPECT_EQ(color_depth(AutoMode::Always), ColorDepth::Color16) << label;
        EXPECT_EQ(color_depth(AutoMode::Never), ColorDepth::Mono) << label;
    }
}

TEST(ColorRoles, MonoUsesNoColourForTheHighlight) {
    const ColorRoles color = color_roles(ColorDepth::Color16);
    EXPECT_EQ(color.base, Style{}.with_fg(Color::White).with_bg(Color::Black));
    EXPECT_EQ(color.accent.fg, Color::Cyan);
    EXPECT_EQ(color.title.fg, Color::LightCyan);
    EXPECT_EQ(color.highlight,
              Style{}.with_fg(Color::Black).with_bg(Color::Cyan).add(Modifier::Bold));

    const ColorRoles mono = color_roles(ColorDepth::Mono);
    EXPECT_EQ(mono.base, color.base);
    EXPECT_EQ(mono.accent.fg, Color::White);
    EXPECT_EQ(mono.title.fg, Color::White);
    EXPECT_EQ(mono.highlight, Style{}.add(Modifier::Bold | Modifier::Reversed));
}

}  // namespace
}  // namespace tarnwick::tui
