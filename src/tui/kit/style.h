#pragma once
// Colours, text modifiers and styles of the drawing kit. A Style only says what
// it changes; patching one style over another and applying it to a cell follow
// the same rules everywhere.

#include <cstdint>
#include <optional>

namespace tarnwick::tui {

// The terminal default (Reset) and the sixteen standard colours.
enum class Color : std::uint8_t {
    Reset,
    Black,
    Red,
    Green,
    Yellow,
    Blue,
    Magenta,
    Cyan,
    Gray,
    DarkGray,
    LightRed,
    LightGreen,
    LightYellow,
    LightBlue,
    LightMagenta,
    LightCyan,
    White,
};

// A set of text modifiers (bit flags).
enum class Modifier : std::uint16_t {
    None = 0,
    Bold = 1,
    Dim = 2,
    Italic = 4,
    Underlined = 8,
    Reversed = 64,
};

constexpr Modifier operator|(Modifier a, Modifier b) {
    return static_cast<Modifier>(static_cast<std::uint16_t>(a) | static_cast<std::uint16_t>(b));
}
constexpr Modifier operator&(Modifier a, Modifier b) {
    return static_cast<Modifier>(static_cast<std::uint16_t>(a) & static_cast<std::uint16_t>(b));
}
// Set difference: the modifiers of a that are not in b.
constexpr Modifier operator-(Modifier a, Modifier b) {
    return static_cast<Modifier>(static_cast<std::uint16_t>(a) &
                                 static_cast<std::uint16_t>(~static_cast<std::uint16_t>(b)));
}
constexpr Modifier& operator|=(Modifier& a, Modifier b) {
    return a = a | b;
}
// True when every modifier of `wanted` is in `set`.
constexpr bool contains(Modifier set, Modifier wanted) {
    return (set & wanted) == wanted;
}

struct Style {
    std::optional<Color> fg;
    std::optional<Color> bg;
    Modifier add_modifier = Modifier::None;
    Modifier sub_modifier = Modifier::None;

    // Builders: Style{}.with_fg(Color::White).with_bg(Color::Black).add(Modifier::Bold)
    constexpr Style with_fg(Color c) const {
        Style s = *this;
        s.fg = c;
        return s;
    }
    constexpr Style with_bg(Color c) const {
        Style s = *this;
        s.bg = c;
        return s;
    }
    constexpr Style add(Modifier m) const {
        Style s = *this;
        s.sub_modifier = s.sub_modifier - m;
        s.add_modifier |= m;
        return s;
    }
    constexpr Style remove(Modifier m) const {
        Style s = *this;
        s.add_modifier = s.add_modifier - m;
        s.sub_modifier |= m;
        return s;
    }

    // `other` patched over this style: its colours win where set, and its
    // modifier changes are applied after ours.
    constexpr Style patch(const Style& other) const {
        Style s;
        s.fg = other.fg ? other.fg : fg;
        s.bg = other.bg ? other.bg : bg;
        s.add_modifier = (add_modifier - other.sub_modifier) | other.add_modifier;
        s.sub_modifier = (sub_modifier - other.add_modifier) | other.sub_modifier;
        return s;
    }

    // Terminal default colours, every modifier removed.
    static constexpr Style reset() {
        Style s;
        s.fg = Color::Reset;
        s.bg = Color::Reset;
        s.sub_modifier = Modifier::Bold | Modifier::Dim | Modifier::Italic | Modifier::Underlined |
                         Modifier::Reversed;
        return s;
    }

    friend constexpr bool operator==(const Style&, const Style&) = default;
};

}  // namespace tarnwick::tui
