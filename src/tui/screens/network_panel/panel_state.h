#pragma once
// The network panel's state for one showing, and how keys and mouse presses
// change it. Drawing (panel_draw.h) reads the state and records where things
// were drawn, which the mouse rules use.

#include "tui/kit/rect.h"
#include "tui/screens/form_logic.h"
#include "tui/screens/network_panel/iface_form.h"
#include "tui/screens/network_panel/panel_model.h"
#include "tui/term/event.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {
struct Catalog;
}

namespace tarnwick::tui {

// Where the keyboard acts: the interface list, the Active box, the tab bar or
// the form.
enum class PanelFocus : std::uint8_t { List, Active, Tabs, Form };

// The first line of one drawn interface.
struct InterfaceRowSlot {
    std::uint16_t screen_row = 0;
    std::size_t index = 0;

    bool operator==(const InterfaceRowSlot&) const = default;
};

// What the last drawing recorded for the mouse.
struct PanelHitAreas {
    std::vector<InterfaceRowSlot> interface_rows;
    Rect interface_inner;  // the interface box inside its border
    Rect active_box;
    Rect ipv4_tab;
    Rect ipv6_tab;
    FormRowTable form_rows;
    Rect form_area;
    std::uint16_t midpoint = 0;  // of the form's value column
};

// The number of interfaces the list keeps in view, whatever its height.
inline constexpr std::size_t kInterfaceWindow = 6;

// A showing starts on the interface named `selected_name` while the model
// has it, else on the first; on the IPv4 tab, in view mode. The list top
// starts at 0, so the first drawing scrolls to the selection.
struct PanelState {
    PanelState(const NetworkPanelModel& model, const Catalog& catalog, bool editing_allowed,
               std::string_view selected_name = {});

    const NetworkPanelModel& model;
    const Catalog& catalog;
    bool editing_allowed = false;

    std::size_t selection = 0;
    PanelFocus focus = PanelFocus::List;
    IfaceFamily tab = IfaceFamily::Ipv4;
    bool edit_mode = false;
    bool active = true;
    IfaceForm form;
    std::size_t field_focus = 0;
    std::size_t list_top = 0;
    std::string status;
    PanelHitAreas hits;

    // The selected interface, none when the selection is past the list.
    const InterfaceView* selected() const;
    // The focused row when the focus is on the form and the row exists.
    tmpl::FormField* focused_row();
    const tmpl::FormField* focused_row() const;
};

// Keeps the selection inside a window of kInterfaceWindow interfaces starting
// at the list top (done before each drawing).
void scroll_interface_list(PanelState& state);

// A key press or a mouse event; an outcome ends the showing.
std::optional<PanelOutcome> panel_on_key(PanelState& state, const KeyEvent& key);
std::optional<PanelOutcome> panel_on_mouse(PanelState& state, const MouseEvent& mouse);

}  // namespace tarnwick::tui
