#pragma once
// The session menu's network action: the network panel shown with fresh
// state until the user leaves it, each change carried out and its outcome
// shown on a result page.

#include "app/network/net_paths.h"
#include "core/config.h"
#include "core/result.h"
#include "template/pages/result_page.h"

#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {
struct Catalog;
}

namespace tarnwick::app {

// Shows the panel (editing only for an administrator) until the user leaves
// it; after each change the state is read again. Without any interface the
// panel is not shown and the status line says so. A terminal error of the
// panel ends it with its description; everything else ends on a result page.
Result<void, std::string> run_network_panel(bool is_admin, AutoMode color, const Catalog& catalog,
                                            std::optional<std::string>& status,
                                            std::string_view config_dir);
Result<void, std::string> run_network_panel(const NetPaths& paths, bool is_admin, AutoMode color,
                                            const Catalog& catalog,
                                            std::optional<std::string>& status,
                                            std::string_view config_dir);

// The result page's content: "Configuration applied" or "Apply failed" by
// `success`, one detail "step_<n>" per non-empty line of the body.
tmpl::OperationResult network_result(std::string_view title, std::string_view body, bool success);

// Shows the result through pages/result.twml, else the built-in result view,
// long values wrapped onto the lines below, never cut.
// The page's own errors are not reported.
void show_network_result(std::string_view title, std::string_view body, bool success,
                         AutoMode color, const Catalog& catalog, std::string_view config_dir,
                         bool is_admin);

}  // namespace tarnwick::app
