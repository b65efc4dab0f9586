#pragma once
// What the network panel's controller does with the panel's answer: apply an
// edited IPv4 or IPv6 configuration (with an up/down change), or freeze an
// interface's live addresses as its static configuration. Each road checks
// the permission, validates everything before anything is written, rewrites
// rc.conf once and restarts the interface once, and reports what the result
// page and the session's status line show.

#include "app/network/net_paths.h"
#include "app/network/network_overview.h"
#include "tui/screens/network_panel/panel_model.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tarnwick {
struct Catalog;
}

namespace tarnwick::app {

struct RoadReport {
    enum class End : std::uint8_t {
        Done,       // the change was made
        Failed,     // a step failed (the steps before it stay done)
        Denied,     // the user may not change the network configuration
        Abandoned,  // the user said no: nothing shown, the status line kept
    };
    End end = End::Abandoned;
    std::string title;   // of the result page, translated
    std::string body;    // its lines become the page's details
    std::string status;  // the session menu's new status line

    bool success() const { return end == End::Done; }
    bool operator==(const RoadReport&) const = default;
};

// A yes/no question put to the user; a dialog that fails counts as no.
using RoadQuestion = std::function<bool()>;

// Applies the family the form was on (the other family's settings are left
// as they are). `overview` is the state the panel showed; taking down the
// last interface that carries a default route asks `confirm_last_route`
// first.
RoadReport apply_road(const NetPaths& paths, const NetworkOverview& overview,
                      const tui::PanelApply& apply, bool is_admin, const Catalog& catalog,
                      const RoadQuestion& confirm_last_route);

// Asks `confirm`, then writes the interface's first IPv4 and first
// non-link-local IPv6 address (from a fresh overview) as its configuration,
// once they and the gateways pass the checks of the static settings.
RoadReport freeze_road(const NetPaths& paths, std::string_view interface_name, bool is_admin,
                       const Catalog& catalog, const RoadQuestion& confirm);

// Whether taking `name` down would remove the last default route: it
// carries one (by the route's interface) and no other interface that is up
// does.
bool carries_last_default_route(const NetworkOverview& overview, std::string_view name);

}  // namespace tarnwick::app
