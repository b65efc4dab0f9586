#include "tui/screens/network_panel/network_panel_screen.h"

#include "tui/screens/network_panel/panel_draw.h"
#include "tui/screens/network_panel/panel_state.h"
#include "tui/term/screen_loop.h"

namespace tarnwick::tui {

Result<PanelOutcome, IoError> network_panel_screen(const NetworkPanelModel& model, AutoMode color,
                                                   const Catalog& catalog, bool editing_allowed,
                                                   std::string_view selected_name) {
    PanelState state(model, catalog, editing_allowed, selected_name);
    ScreenHandlers<PanelOutcome> handlers;
    handlers.draw = [&state](Frame& frame, ScreenContext& ctx) {
        draw_network_panel(frame, state, ctx.roles);
    };
    handlers.on_key = [&state](const KeyEvent& key, ScreenContext&) -> ScreenStep<PanelOutcome> {
        return panel_on_key(state, key);
    };
    handlers.on_mouse = [&state](const MouseEvent& mouse,
                                 ScreenContext&) -> ScreenStep<PanelOutcome> {
        return panel_on_mouse(state, mouse);
    };
    return run_screen(color, handlers);
}

}  // namespace tarnwick::tui
