#include "app/network/network_panel.h"

#include "app/network/ifconfig_listing.h"
#include "app/network/network_state.h"
#include "app/network/panel_model.h"
#include "app/network/panel_roads.h"
#include "core/catalog.h"
#include "core/text.h"
#include "template/bindings/binding_store.h"
#include "template/pages/form_items.h"
#include "tui/screens/confirm_dialog.h"
#include "tui/screens/form_screen.h"
#include "tui/screens/network_panel/network_panel_screen.h"
#include "tui/screens/page_screens.h"

#include <fmt/format.h>

namespace tarnwick::app {
namespace {

// The dialog's own failure counts as no.
bool ask(std::string_view message, AutoMode color, const Catalog& catalog) {
    auto answer = tui::confirm_dialog(message, color, catalog);
    return answer && *answer;
}

}  // namespace

tmpl::OperationResult network_result(std::string_view title, std::string_view body, bool success) {
    tmpl::OperationResult result;
    result.title = std::string(title);
    result.summary = success ? "Configuration applied" : "Apply failed";
    result.success = success;
    for (std::string_view line : split_lines(body)) {
        line = trim(line);
        if (line.empty()) continue;
        result.details.emplace_back(fmt::format("step_{}", result.details.size()),
                                    std::string(line));
    }
    return result;
}

void show_network_result(std::string_view title, std::string_view body, bool success,
                         AutoMode color, const Catalog& catalog, std::string_view config_dir,
                         bool is_admin) {
    const tmpl::OperationResult result = network_result(title, body, success);
    tmpl::BindingStore store = tmpl::register_binding_keys();
    // Every result key is registered, so binding cannot fail.
    (void)tmpl::bind_result(result, store);
    // A refusal says why at the end of its sentence: both views wrap, never cut.
    if (tui::show_info_page(config_dir, "pages/result.twml", store, is_admin, catalog, color,
                            tui::ValueFit::Wrap))
        return;
    const auto rows = tmpl::translate_form_items(tmpl::result_form_items(result), catalog);
    const std::string shown_title =
        result.title.empty() ? translate(catalog, "result.title") : result.title;
    // The built-in view's own errors do not end the panel.
    (void)tui::form_screen(shown_title, rows, color, catalog, tui::ValueFit::Wrap);
}

Result<void, std::string> run_network_panel(bool is_admin, AutoMode color, const Catalog& catalog,
                                            std::optional<std::string>& status,
                                            std::string_view config_dir) {
    return run_network_panel(system_net_paths(), is_admin, color, catalog, status, config_dir);
}

Result<void, std::string> run_network_panel(const NetPaths& paths, bool is_admin, AutoMode color,
                                            const Catalog& catalog,
                                            std::optional<std::string>& status,
                                            std::string_view config_dir) {
    // The interface the last road was for: each showing starts on it again,
    // by name, since the fresh list may have changed order or lost it.
    std::string selected;
    while (true) {
        const NetworkOverview overview = gather_network_overview(paths);
        if (overview.interfaces.empty()) {
            status = translate(catalog, "net.none");
            return {};
        }
        const tui::NetworkPanelModel model = build_panel_model(overview, catalog);
        auto outcome = tui::network_panel_screen(model, color, catalog, is_admin, selected);
        if (!outcome) return fail(tui::display_io_error(outcome.error()));

        RoadReport report;
        if (std::holds_alternative<tui::PanelBack>(*outcome)) return {};
        if (const auto* apply = std::get_if<tui::PanelApply>(&*outcome)) {
            selected = apply->interface_name;
            report = apply_road(paths, overview, *apply, is_admin, catalog, [&] {
                return ask(translate_arg(catalog, "confirm.iface_down_last", "interface",
                                         apply->interface_name),
                           color, catalog);
            });
        } else {
            const auto& freeze = std::get<tui::PanelMakeStatic>(*outcome);
            selected = freeze.interface_name;
            report = freeze_road(paths, freeze.interface_name, is_admin, catalog, [&] {
                return tui::confirm_page(config_dir, "pages/confirm-make-static.twml",
                                         "confirm.make_static", color, catalog, is_admin,
                                         tmpl::QuestionArg{"interface", freeze.interface_name});
            });
        }
        if (report.end == RoadReport::End::Abandoned) continue;
        status = report.status;
        show_network_result(report.title, report.body, report.success(), color, catalog, config_dir,
                            is_admin);
    }
}

}  // namespace tarnwick::app
