#pragma once
// The network panel's display model, built from a fresh network overview
// before each showing: the texts of the general box and one view per
// interface with its mode words, IPv6 status line, live addresses and the
// values that seed the edit forms.

#include "app/network/network_overview.h"
#include "tui/screens/network_panel/panel_model.h"

namespace tarnwick {
struct Catalog;
}

namespace tarnwick::app {

tui::InterfaceView build_interface_view(const InterfaceInfo& info, const NetworkOverview& overview,
                                        const Catalog& catalog);

// Never fails. Absent gateways show "—" in the model, empty text in each view.
tui::NetworkPanelModel build_panel_model(const NetworkOverview& overview, const Catalog& catalog);

}  // namespace tarnwick::app
