#include "app/offline/dry_run.h"

#include "app/offline/offline_output.h"
#include "app/offline/offline_paths.h"
#include "core/administrator.h"
#include "core/catalog.h"
#include "core/locale.h"
#include "template/menu/menu_page.h"
#include "template/screen/default_main_menu.h"
#include "template/screen/screen_text.h"
#include "tui/term/color_depth.h"

#include <fmt/format.h>

#include <cstdio>

namespace tarnwick::app {
namespace {

constexpr std::string_view kDefaultUser = "nobody";
constexpr std::string_view kAdminMenuPage = "pages/admin-menu.twml";

std::string_view color_depth_name(tui::ColorDepth depth) {
    return depth == tui::ColorDepth::Mono ? "Mono" : "Color16";
}

void print_text(std::string_view text) {
    fmt::print(stdout, "{}", text);
    std::fflush(stdout);
}

}  // namespace

int run_dry_run(const std::string& config_dir, const std::optional<std::string>& user,
                const std::optional<std::string>& locale, AutoMode color) {
    const auto config = load_config(config_dir);
    if (!config) return print_error_line(display_config_error(config.error()));

    // The configuration's own color key is not consulted: the preview follows
    // --color and TERM only.
    const bool admin = is_admin_user(config->admin_users, user.value_or(std::string(kDefaultUser)));
    const tui::ColorDepth depth = tui::color_depth(color);
    const std::string tag = locale ? *locale : env_locale();
    const Catalog catalog =
        load_catalog(configured_locales_dir(*config, config_dir), tag, config->locale_fallback);

    if (const auto items = tmpl::load_menu_page(config_dir, kAdminMenuPage, admin, catalog)) {
        print_line("screen: admin-menu.twml (TWML)");
        print_line(fmt::format("locale: {}", tag));
        print_line(fmt::format("color: {}", color_depth_name(depth)));
        print_line(fmt::format("admin: {}", admin ? "true" : "false"));
        for (const tmpl::MenuItem& item : *items) {
            print_line(fmt::format("- [{}] {} action={}", item.id, item.label,
                                   tmpl::menu_action_name(item.action)));
        }
        return 0;
    }

    const auto screens = tmpl::load_screen_dir(configured_templates_dir(*config, config_dir));
    if (!screens) return print_error_line(tmpl::display_screen_template_error(screens.error()));
    const bool mono = depth == tui::ColorDepth::Mono;
    if (screens->empty()) {
        print_text(tmpl::render_screen_text(tmpl::default_main_menu(), catalog, admin, mono));
    } else {
        for (const tmpl::ScreenTemplate& screen : *screens) {
            print_text(tmpl::render_screen_text(screen, catalog, admin, mono));
        }
    }
    return 0;
}

}  // namespace tarnwick::app
