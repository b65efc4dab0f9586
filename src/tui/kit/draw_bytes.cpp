#include "tui/kit/draw_bytes.h"

#include <optional>

#include "tui/kit/width.h"

namespace tarnwick::tui {
namespace {

void append_number(std::string& out, unsigned n) {
    char digits[8];
    int len = 0;
    do {
        digits[len++] = static_cast<char>('0' + n % 10);
        n /= 10;
    } while (n != 0);
    while (len > 0) out.push_back(digits[--len]);
}

void append_sgr(std::string& out, unsigned code) {
    out.append("\x1b[");
    append_number(out, code);
    out.push_back('m');
}

// Named colours go out in their 256-colour form.
void append_color(std::string& out, Color c, bool foreground) {
    if (c == Color::Reset) {
        out.append(foreground ? "39" : "49");
        return;
    }
    out.append(foreground ? "38;5;" : "48;5;");
    append_number(out, static_cast<unsigned>(c) - 1);
}

void append_modifier_change(std::string& out, Modifier from, Modifier to) {
    Modifier removed = from - to;
    if (contains(removed, Modifier::Reversed)) append_sgr(out, 27);
    if (contains(removed, Modifier::Bold)) {
        append_sgr(out, 22);
        // 22 also ends dim, so dim is sent again when it stays.
        if (contains(to, Modifier::Dim)) append_sgr(out, 2);
    }
    if (contains(removed, Modifier::Italic)) append_sgr(out, 23);
    if (contains(removed, Modifier::Underlined)) append_sgr(out, 24);
    if (contains(removed, Modifier::Dim)) {
        append_sgr(out, 22);
        // Likewise 22 ends bold: a kept bold is sent again.
        if (contains(from, Modifier::Bold) && contains(to, Modifier::Bold)) append_sgr(out, 1);
    }

    Modifier added = to - from;
    if (contains(added, Modifier::Reversed)) append_sgr(out, 7);
    if (contains(added, Modifier::Bold)) append_sgr(out, 1);
    if (contains(added, Modifier::Italic)) append_sgr(out, 3);
    if (contains(added, Modifier::Underlined)) append_sgr(out, 4);
    if (contains(added, Modifier::Dim)) append_sgr(out, 2);
}

// A symbol set on a cell directly could still hold a control character;
// the terminal must never receive one from drawn text.
bool has_control(std::string_view symbol) {
    for (std::size_t i = 0; i < symbol.size(); ++i) {
        auto b = static_cast<unsigned char>(symbol[i]);
        if (b < 0x20 || b == 0x7F) return true;
        if (b == 0xC2 && i + 1 < symbol.size()) {
            auto next = static_cast<unsigned char>(symbol[i + 1]);
            if (next >= 0x80 && next <= 0x9F) return true;
        }
    }
    return false;
}

}  // namespace

void append_move_to(std::string& out, std::uint16_t x, std::uint16_t y) {
    out.append("\x1b[");
    append_number(out, unsigned{y} + 1);
    out.push_back(';');
    append_number(out, unsigned{x} + 1);
    out.push_back('H');
}

void append_draw_bytes(std::string& out, const std::vector<CellUpdate>& updates,
                       DrawOptions options) {
    Color fg = Color::Reset;
    Color bg = Color::Reset;
    Modifier modifier = Modifier::None;
    std::optional<std::pair<std::uint16_t, std::uint16_t>> last;
    for (const CellUpdate& u : updates) {
        if (!last || !(last->second == u.y && last->first + 1 == u.x)) {
            append_move_to(out, u.x, u.y);
        }
        last = {u.x, u.y};
        const Cell& cell = *u.cell;
        if (cell.modifier != modifier) {
            append_modifier_change(out, modifier, cell.modifier);
            modifier = cell.modifier;
        }
        if (cell.fg != fg || cell.bg != bg) {
            if (!options.no_color) {
                out.append("\x1b[");
                append_color(out, cell.fg, true);
                out.push_back(';');
                append_color(out, cell.bg, false);
                out.push_back('m');
            }
            fg = cell.fg;
            bg = cell.bg;
        }
        if (has_control(cell.symbol)) {
            out.append("\xEF\xBF\xBD");
        } else if (symbol_width(cell.symbol) == 0) {
            // A cell holding only a zero-width symbol (a leading byte-order mark,
            // say) would not move the terminal's cursor and shift every cell
            // after it: it goes out as a blank.
            out.push_back(' ');
        } else {
            out.append(cell.symbol);
        }
    }
    out.append("\x1b[39m\x1b[49m\x1b[59m\x1b[0m");
}

}  // namespace tarnwick::tui
