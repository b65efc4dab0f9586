#include "tui/screens/login_geometry.h"

#include <algorithm>

namespace tarnwick::tui {

namespace {

constexpr std::size_t kMaxListRows = 8;

std::uint16_t u16(std::size_t v) {
    return static_cast<std::uint16_t>(std::min<std::size_t>(v, 0xFFFF));
}

}  // namespace

SignInRows sign_in_rows(Rect area, bool user_list_shown, std::size_t entries) {
    SignInRows rows;
    rows.panel = Rect{saturating_add(area.x, 1), area.y,
                      std::max<std::uint16_t>(saturating_sub(area.width, 1), 20),
                      std::max<std::uint16_t>(area.height, 6)};
    // Inside all four borders.
    rows.inner = Rect{saturating_add(rows.panel.x, 1), saturating_add(rows.panel.y, 1),
                      saturating_sub(rows.panel.width, 2), saturating_sub(rows.panel.height, 2)};
    const std::uint16_t bottom = rows.inner.bottom();
    rows.x = saturating_add(rows.inner.x, 1);
    rows.width = std::max<std::uint16_t>(saturating_sub(rows.inner.width, 2), 1);

    if (saturating_add(rows.inner.y, 1) < bottom) {
        rows.prompt_row = saturating_add(rows.inner.y, 1);
        rows.user_row = saturating_add(rows.inner.y, 3);
    } else {
        rows.user_row = saturating_add(rows.inner.y, 1);
    }
    std::uint16_t next = saturating_add(rows.user_row, 1);

    if (user_list_shown) {
        const std::size_t room = saturating_sub(saturating_sub(bottom, next), 5);
        const std::size_t r = std::min({entries, kMaxListRows, room});
        if (r > 0) {
            rows.user_list = Rect{rows.x, next, rows.width, u16(r + 2)};
            rows.user_list_rows = r;
            next = saturating_add(next, u16(r + 2));
        }
    }

    const std::uint16_t password = saturating_add(next, 1);
    if (password < bottom) {
        rows.password_row = password;
    }
    if (std::uint32_t{password} + 3 < bottom) {
        rows.hint_row = static_cast<std::uint16_t>(bottom - 1);
    }
    return rows;
}

std::optional<DropDown> language_drop_down(Rect field, Rect footer, std::size_t languages) {
    if (languages == 0) {
        return std::nullopt;
    }
    std::size_t r = std::min<std::size_t>(saturating_sub(footer.y, 3), languages);
    r = std::clamp<std::size_t>(r, 1, kMaxListRows);
    const std::uint16_t height = u16(r + 2);
    const std::uint16_t width = std::clamp<std::uint16_t>(field.width, 22, 36);
    return DropDown{Rect{field.x, saturating_sub(footer.y, height), width, height}, r};
}

}  // namespace tarnwick::tui
