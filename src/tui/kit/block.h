#pragma once
// A box around an area: some or all borders, a line set, titles on the top or
// bottom border, and the area left inside.

#include <cstdint>
#include <optional>
#include <vector>

#include "tui/kit/rect.h"
#include "tui/kit/style.h"
#include "tui/kit/text.h"

namespace tarnwick::tui {

class Buffer;

enum class Borders : std::uint8_t {
    None = 0,
    Top = 1,
    Right = 2,
    Bottom = 4,
    Left = 8,
    All = 15,
};
constexpr Borders operator|(Borders a, Borders b) {
    return static_cast<Borders>(static_cast<std::uint8_t>(a) | static_cast<std::uint8_t>(b));
}
constexpr bool has_border(Borders set, Borders side) {
    return (static_cast<std::uint8_t>(set) & static_cast<std::uint8_t>(side)) != 0;
}

enum class BorderType { Plain, Rounded };

enum class TitlePosition { Top, Bottom };

struct Padding {
    std::uint16_t left = 0;
    std::uint16_t right = 0;
    std::uint16_t top = 0;
    std::uint16_t bottom = 0;
};

class Block {
public:
    Block() = default;
    // A block with all four borders.
    static Block bordered() { return Block().borders(Borders::All); }

    Block borders(Borders b) const;
    Block border_type(BorderType t) const;
    Block border_style(Style s) const;
    // Style of the whole area (symbols are kept).
    Block style(Style s) const;
    // Adds a title on the top border (left-aligned unless the line or
    // title_alignment says otherwise).
    Block title(Line line) const;
    Block title_bottom(Line line) const;
    Block title_style(Style s) const;
    Block title_alignment(Alignment a) const;
    Block padding(Padding p) const;

    // The area inside the borders, title rows and padding.
    Rect inner(Rect area) const;

    void render(Rect area, Buffer& buf) const;

private:
    struct Title {
        Line line;
        TitlePosition position;
    };

    bool has_title_at(TitlePosition position) const;
    void render_titles(TitlePosition position, Rect area, Buffer& buf) const;

    Borders borders_ = Borders::None;
    BorderType border_type_ = BorderType::Plain;
    Style border_style_;
    Style style_;
    std::vector<Title> titles_;
    Style title_style_;
    Alignment title_alignment_ = Alignment::Left;
    Padding padding_;
};

}  // namespace tarnwick::tui
