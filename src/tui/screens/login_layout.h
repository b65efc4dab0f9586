#pragma once
// Drawing of the login screen (frame, header, footer, welcome panel, sign-in
// panel, drop-downs, error box), the click areas of each frame, and what a
// mouse event does to the form.

#include "core/catalog.h"
#include "template/login_page.h"
#include "tui/kit/buffer.h"
#include "tui/kit/rect.h"
#include "tui/screens/login_state.h"
#include "tui/term/event.h"

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace tarnwick::tui {

struct LoginHitAreas {
    std::size_t user_list_start = 0;
    std::size_t user_list_len = 0;
    std::size_t lang_list_start = 0;
    std::size_t lang_list_len = 0;
    std::optional<Rect> user_field;
    std::optional<Rect> password_field;
    std::optional<Rect> user_list;
    std::optional<Rect> lang_field;
    std::optional<Rect> lang_list;
    std::optional<Rect> error_box;

    friend bool operator==(const LoginHitAreas&, const LoginHitAreas&) = default;
};

void draw_welcome_panel(Buffer& buf, Rect area, const std::vector<std::vector<MarkupSpan>>& welcome,
                        bool mono, const Catalog& catalog);

// Fills the user fields of the hit areas.
LoginHitAreas draw_sign_in_panel(Buffer& buf, Rect area, const LoginState& state, bool mono,
                                 const Catalog& catalog, const tmpl::LoginTemplate& page);

// The whole screen of one turn, returning the areas the next mouse event is
// judged against.
LoginHitAreas draw_login_screen(Buffer& buf, Rect screen, const LoginState& state, bool mono,
                                const Catalog& catalog, const tmpl::LoginTemplate& page);

// Applies a mouse event to the form and names what it did ("user_scroll",
// "lang_scroll", "scroll_ignored", "ignored", "error_miss", "error_dismiss",
// "user_list_select", "lang_list_select", "lang_field_toggle",
// "user_field_toggle", "pass_field_focus", "dropdown_close", "miss").
std::string_view login_mouse_hit(LoginState& state, const LoginHitAreas& areas,
                                 const MouseEvent& event);

}  // namespace tarnwick::tui
