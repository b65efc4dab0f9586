#pragma once
// The network panel: the machine's interfaces, addresses and name servers as
// prepared in a NetworkPanelModel, with an IPv4/IPv6 form per interface that
// a user allowed to edit can change. It owns the terminal while shown and
// changes nothing itself: it returns what the user asked for.

#include "core/config.h"
#include "core/result.h"
#include "tui/io_error.h"
#include "tui/screens/network_panel/panel_model.h"

#include <string_view>

namespace tarnwick {
struct Catalog;
}

namespace tarnwick::tui {

// Esc or q in view mode returns Back; m (view mode) or F3 (edit mode)
// MakeStatic; F2 in edit mode Apply. An I/O error ends the panel at once.
// The panel starts on the interface named `selected_name` while the model
// has it (the name an earlier Apply or MakeStatic carried), else on the
// first.
Result<PanelOutcome, IoError> network_panel_screen(const NetworkPanelModel& model, AutoMode color,
                                                   const Catalog& catalog, bool editing_allowed,
                                                   std::string_view selected_name = {});

}  // namespace tarnwick::tui
