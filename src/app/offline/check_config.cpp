#include "app/offline/check_config.h"

#include "app/offline/offline_output.h"
#include "app/offline/offline_paths.h"
#include "core/config.h"
#include "core/text.h"
#include "template/login_page.h"
#include "template/login_page_search.h"
#include "template/screen/screen_template.h"
#include "template/twml/error.h"
#include "template/twml/loader.h"

#include <fmt/format.h>

#include <sys/stat.h>

#include <optional>
#include <string>
#include <string_view>

namespace tarnwick::app {
namespace {

// The pages the console itself loads, in the order they are checked. The
// confirmation pages are not among them.
constexpr std::string_view kCheckedPages[] = {
    "pages/login.twml",       "pages/admin-menu.twml",       "pages/power-menu.twml",
    "pages/system-info.twml", "pages/network-overview.twml", "pages/network-iface.twml",
    "pages/result.twml",
};

bool is_directory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool is_regular_file(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The configured templates folder: its JSON screen templates and the pages of
// kCheckedPages. The error line's text, if any. A configuration without a
// templates folder has nothing to check here.
std::optional<std::string> check_templates_folder(const std::string& templates) {
    if (!is_directory(templates)) return std::nullopt;

    if (const auto screens = tmpl::load_screen_dir(templates); !screens) {
        return tmpl::display_screen_template_error(screens.error());
    }

    for (const std::string_view page : kCheckedPages) {
        const std::string path = join_path(templates, page);
        if (!is_regular_file(path)) continue;
        if (const auto loaded = tmpl::load_page(path, templates); !loaded) {
            return fmt::format("{}: {}", page, tmpl::display_twml_error(loaded.error()));
        }
    }

    const std::string login = join_path(templates, "pages/login.twml");
    if (is_regular_file(login)) {
        if (const auto page = tmpl::load_login_page(login, templates); !page) {
            return fmt::format("login.twml: {}", tmpl::display_twml_error(page.error()));
        }
    }
    return std::nullopt;
}

}  // namespace

int run_check_config(const std::string& config_dir) {
    const auto config = load_config(config_dir);
    if (!config) return print_error_line(display_config_error(config.error()));

    const std::string templates = configured_templates_dir(*config, config_dir);
    if (const auto error = check_templates_folder(templates)) return print_error_line(*error);

    // The console does not start without a login page from its own search,
    // whatever the folder above holds.
    if (const auto search = tmpl::search_login_page(config_dir); !search.found) {
        return print_error_line(tmpl::login_page_failure(search));
    }

    print_line("OK");
    return 0;
}

}  // namespace tarnwick::app
