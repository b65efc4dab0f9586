#include "tui/term/color_depth.h"

#include "core/text.h"

#include <cstdlib>
#include <string_view>

namespace tarnwick::tui {

std::uint16_t terminal_color_count() {
    const char* term = std::getenv("TERM");
    if (term == nullptr) return 0;
    std::string_view value(term);
    if (!is_valid_utf8(value) || value.empty() || value == "dumb") return 0;
    return value.find("256") != std::string_view::npos ? 256 : 16;
}

ColorDepth color_depth(AutoMode mode) {
    const std::uint16_t colors = terminal_color_count();
    switch (mode) {
        case AutoMode::Always:
            return ColorDepth::Color16;
        case AutoMode::Never:
            return ColorDepth::Mono;
        case AutoMode::Auto:
            break;
    }
    return colors < 8 ? ColorDepth::Mono : ColorDepth::Color16;
}

ColorRoles color_roles(ColorDepth depth) {
    const Style base = Style{}.with_fg(Color::White).with_bg(Color::Black);
    if (depth == ColorDepth::Mono) {
        return ColorRoles{base, Style{}.with_fg(Color::White), Style{}.with_fg(Color::White),
                          Style{}.add(Modifier::Bold | Modifier::Reversed)};
    }
    return ColorRoles{base, Style{}.with_fg(Color::Cyan), Style{}.with_fg(Color::LightCyan),
                      Style{}.with_fg(Color::Black).with_bg(Color::Cyan).add(Modifier::Bold)};
}

}  // namespace tarnwick::tui
