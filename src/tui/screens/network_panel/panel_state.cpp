#include "tui/screens/network_panel/panel_state.h"

#include "core/catalog.h"

#include <algorithm>

namespace tarnwick::tui {
namespace {

// Fresh from the selected interface: its form for the current tab, and (when
// reloading) its up flag.
void rebuild_form(PanelState& s) {
    if (const InterfaceView* view = s.selected())
        s.form = build_iface_form(*view, s.tab, s.catalog);
}

void reload_interface(PanelState& s) {
    if (const InterfaceView* view = s.selected()) {
        s.active = view->up;
        rebuild_form(s);
    }
}

void switch_tab(PanelState& s, IfaceFamily family) {
    s.tab = family;
    rebuild_form(s);
}

// True when the selection moved.
bool move_selection(PanelState& s, int delta) {
    const std::size_t before = s.selection;
    if (delta < 0 && s.selection > 0) --s.selection;
    if (delta > 0 && s.selection + 1 < s.model.interfaces.size()) ++s.selection;
    return s.selection != before;
}

// Edit mode ends and the edits are dropped.
void cancel_edit(PanelState& s) {
    s.status = translate(s.catalog, "form.edit_cancelled");
    reload_interface(s);
    s.edit_mode = false;
}

// In edit mode the form and the Active flag belong to the selected
// interface: selecting another one by mouse ends edit mode first, so they can
// never travel under its name.
void select_by_mouse(PanelState& s, std::size_t index) {
    if (index == s.selection && s.edit_mode) return;
    const bool was_editing = s.edit_mode;
    s.selection = index;
    if (was_editing) cancel_edit(s);
    reload_interface(s);
}

std::optional<PanelOutcome> apply_outcome(const PanelState& s) {
    const InterfaceView* view = s.selected();
    if (view == nullptr) return std::nullopt;
    return PanelApply{view->name, apply_payload(s.form, *view), s.active, s.tab};
}

std::optional<PanelOutcome> make_static_outcome(const PanelState& s) {
    const InterfaceView* view = s.selected();
    if (view == nullptr) return std::nullopt;
    return PanelMakeStatic{view->name};
}

std::optional<PanelOutcome> view_key(PanelState& s, const KeyEvent& key) {
    const std::optional<char32_t> ch = text_input_char(key);
    const auto is = [&ch](char32_t c) { return ch == c; };
    if (key.code == Key::Left || is(U'1') || is(U'[')) {
        switch_tab(s, IfaceFamily::Ipv4);
    } else if (key.code == Key::Right || is(U'2') || is(U']')) {
        switch_tab(s, IfaceFamily::Ipv6);
    } else if (key.code == Key::Up || is(U'k') || key.code == Key::Down || is(U'j')) {
        s.focus = PanelFocus::List;
        move_selection(s, key.code == Key::Up || is(U'k') ? -1 : 1);
        reload_interface(s);
    } else if (key.code == Key::Tab) {
        s.focus = PanelFocus::Active;
    } else if (is(U'e') || is(U'E')) {
        if (!s.editing_allowed) return std::nullopt;
        s.status = translate(s.catalog, "form.editing");
        s.focus = PanelFocus::Active;
        s.edit_mode = true;
        reload_interface(s);
    } else if (is(U'm') || is(U'M')) {
        if (s.editing_allowed) return make_static_outcome(s);
    } else if (key.code == Key::Esc || is(U'q')) {
        return PanelBack{};
    }
    return std::nullopt;
}

void tab_forward(PanelState& s) {
    std::optional<std::size_t> next;
    switch (s.focus) {
        case PanelFocus::List:
            s.focus = PanelFocus::Active;
            return;
        case PanelFocus::Active:
            s.focus = PanelFocus::Tabs;
            return;
        case PanelFocus::Tabs:
            next = s.form.empty() ? std::nullopt : next_focusable(s.form, s.form.size() - 1);
            break;
        case PanelFocus::Form:
            next = next_focusable(s.form, s.field_focus);
            break;
    }
    if (next) {
        s.focus = PanelFocus::Form;
        s.field_focus = *next;
    } else {
        s.focus = PanelFocus::List;
    }
}

void tab_backward(PanelState& s) {
    std::optional<std::size_t> prev;
    switch (s.focus) {
        case PanelFocus::Tabs:
            s.focus = PanelFocus::Active;
            return;
        case PanelFocus::Active:
            s.focus = PanelFocus::List;
            return;
        case PanelFocus::List:
            prev = prev_focusable(s.form, std::nullopt);
            break;
        case PanelFocus::Form:
            prev = prev_focusable(s.form, s.field_focus);
            break;
    }
    if (prev) {
        s.focus = PanelFocus::Form;
        s.field_focus = *prev;
    } else {
        s.focus = PanelFocus::Tabs;
    }
}

std::optional<PanelOutcome> edit_key(PanelState& s, const KeyEvent& key) {
    const bool on_form = s.focus == PanelFocus::Form;
    switch (key.code) {
        case Key::Up:
        case Key::Down:
            if (s.focus == PanelFocus::List) {
                move_selection(s, key.code == Key::Up ? -1 : 1);
                reload_interface(s);
            }
            return std::nullopt;
        case Key::Left:
        case Key::Right: {
            const bool left = key.code == Key::Left;
            if (on_form) {
                cycle_panel_field_option(s.form, s.field_focus, left);
            } else {
                s.focus = PanelFocus::Tabs;
                switch_tab(s, left ? IfaceFamily::Ipv4 : IfaceFamily::Ipv6);
            }
            return std::nullopt;
        }
        case Key::Enter:
            if (on_form) cycle_panel_field_option(s.form, s.field_focus, false);
            return std::nullopt;
        case Key::Tab:
            tab_forward(s);
            return std::nullopt;
        case Key::BackTab:
            tab_backward(s);
            return std::nullopt;
        case Key::Backspace:
            if (on_form) remove_form_char(s.form, s.field_focus);
            return std::nullopt;
        case Key::F:
            if (key.number == 2) return apply_outcome(s);
            if (key.number == 3) return make_static_outcome(s);
            return std::nullopt;
        case Key::Esc:
            cancel_edit(s);
            s.focus = PanelFocus::List;
            return std::nullopt;
        default:
            break;
    }
    const std::optional<char32_t> ch = text_input_char(key);
    if (!ch) return std::nullopt;
    if (*ch == U'[' || *ch == U']') {
        if (!on_form) s.focus = PanelFocus::Tabs;
        switch_tab(s, *ch == U'[' ? IfaceFamily::Ipv4 : IfaceFamily::Ipv6);
        return std::nullopt;
    }
    // Addresses, masks and prefixes hold these digits: in a text field they
    // are typed, elsewhere they switch tabs.
    const tmpl::FormField* row = s.focused_row();
    const bool typing = row != nullptr && is_text_field(*row);
    if ((*ch == U'1' || *ch == U'2') && !typing) {
        s.focus = PanelFocus::Tabs;
        switch_tab(s, *ch == U'1' ? IfaceFamily::Ipv4 : IfaceFamily::Ipv6);
        return std::nullopt;
    }
    if (*ch == U' ' && s.focus == PanelFocus::Active) {
        s.active = !s.active;
        return std::nullopt;
    }
    if (on_form) append_form_char(s.form, s.field_focus, *ch);
    return std::nullopt;
}

bool in_columns(const Rect& area, std::uint16_t column) {
    return column >= area.x && column < area.right();
}

void press(PanelState& s, const MouseEvent& mouse) {
    const PanelHitAreas& hits = s.hits;
    if (in_columns(hits.interface_inner, mouse.column)) {
        const auto hit = std::find_if(
            hits.interface_rows.begin(), hits.interface_rows.end(),
            [&mouse](const InterfaceRowSlot& slot) { return slot.screen_row == mouse.row; });
        if (hit != hits.interface_rows.end()) {
            s.focus = PanelFocus::List;
            select_by_mouse(s, hit->index);
            return;
        }
    }
    if (hits.active_box.contains(mouse.column, mouse.row)) {
        s.focus = PanelFocus::Active;
        if (s.edit_mode && s.editing_allowed) s.active = !s.active;
        return;
    }
    for (const auto& [area, family] : {std::pair{hits.ipv4_tab, IfaceFamily::Ipv4},
                                       std::pair{hits.ipv6_tab, IfaceFamily::Ipv6}}) {
        if (area.contains(mouse.column, mouse.row)) {
            s.focus = PanelFocus::Tabs;
            switch_tab(s, family);
            return;
        }
    }
    if (!in_columns(hits.form_area, mouse.column)) return;
    const auto row = form_field_at(hits.form_rows, mouse.row);
    if (!row) return;
    s.focus = PanelFocus::Form;
    s.field_focus = *row;
    if (s.edit_mode && s.editing_allowed)
        cycle_panel_field_option(s.form, *row, mouse.column < hits.midpoint);
}

void wheel(PanelState& s, int delta) {
    if (s.edit_mode && s.focus != PanelFocus::List) return;
    const std::size_t before = s.selection;
    if (!move_selection(s, delta)) return;
    const std::size_t after = s.selection;
    s.selection = before;
    select_by_mouse(s, after);
}

}  // namespace

const InterfaceView* PanelState::selected() const {
    return selection < model.interfaces.size() ? &model.interfaces[selection] : nullptr;
}

tmpl::FormField* PanelState::focused_row() {
    return focus == PanelFocus::Form && field_focus < form.size() ? &form[field_focus] : nullptr;
}

const tmpl::FormField* PanelState::focused_row() const {
    return focus == PanelFocus::Form && field_focus < form.size() ? &form[field_focus] : nullptr;
}

PanelState::PanelState(const NetworkPanelModel& m, const Catalog& c, bool allowed,
                       std::string_view selected_name)
    : model(m), catalog(c), editing_allowed(allowed) {
    const auto& views = model.interfaces;
    const auto named = std::find_if(views.begin(), views.end(), [&](const InterfaceView& view) {
        return !selected_name.empty() && view.name == selected_name;
    });
    if (named != views.end()) selection = static_cast<std::size_t>(named - views.begin());
    reload_interface(*this);
}

void scroll_interface_list(PanelState& state) {
    if (state.selection < state.list_top) state.list_top = state.selection;
    if (state.selection >= state.list_top + kInterfaceWindow)
        state.list_top = state.selection - (kInterfaceWindow - 1);
}

std::optional<PanelOutcome> panel_on_key(PanelState& state, const KeyEvent& key) {
    if (!key.is_press()) return std::nullopt;
    return state.edit_mode ? edit_key(state, key) : view_key(state, key);
}

std::optional<PanelOutcome> panel_on_mouse(PanelState& state, const MouseEvent& mouse) {
    switch (mouse.kind) {
        case MouseEventKind::Down:
            if (mouse.button == MouseButton::Left) press(state, mouse);
            break;
        case MouseEventKind::ScrollUp:
            wheel(state, -1);
            break;
        case MouseEventKind::ScrollDown:
            wheel(state, 1);
            break;
        default:
            break;
    }
    return std::nullopt;
}

}  // namespace tarnwick::tui
