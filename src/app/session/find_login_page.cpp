#include "app/session/find_login_page.h"

#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <string_view>

#include "core/console_log.h"
#include "core/text.h"
#include "template/template_dirs.h"
#include "template/twml/error.h"

namespace tarnwick::app {
namespace {

constexpr std::string_view kMissing =
    "login.twml not found under config/templates or /usr/local/etc/tarnwick/templates";

}  // namespace

std::optional<tmpl::LoginTemplate> find_login_page(const std::string& config_dir) {
    for (const auto& folder : tmpl::template_dirs(config_dir)) {
        const std::string path = join_path(folder, "pages/login.twml");
        struct stat st {};
        if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        auto loaded = tmpl::load_login_page(path, folder);
        if (!loaded) {
            log_console("login TWML invalid at " + decode_lossy(path) + ": " +
                        tmpl::display_twml_error(loaded.error()));
            continue;
        }
        log_console("loaded login TWML from " + decode_lossy(path));
        return std::move(*loaded);
    }
    log_console("login TWML required: " + std::string(kMissing));
    const std::string line = login_page_required_line() + "\n";
    (void)!write(2, line.data(), line.size());
    return std::nullopt;
}

std::string login_page_required_line() {
    return "tarnwick: login TWML required: " + std::string(kMissing);
}

}  // namespace tarnwick::app
