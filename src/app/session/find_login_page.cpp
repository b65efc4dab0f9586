#include "app/session/find_login_page.h"

#include <unistd.h>

#include <string>

#include "core/console_log.h"
#include "core/text.h"
#include "template/login_page_search.h"
#include "template/twml/error.h"

namespace tarnwick::app {

Result<tmpl::LoginTemplate, std::string> find_login_page(const std::string& config_dir) {
    auto search = tmpl::search_login_page(config_dir);
    for (const tmpl::InvalidLoginPage& invalid : search.invalid) {
        log_console("login TWML invalid at " + decode_lossy(invalid.path) + ": " +
                    tmpl::display_twml_error(invalid.error));
    }
    if (search.found) {
        log_console("loaded login TWML from " + decode_lossy(search.found->path));
        return std::move(search.found->page);
    }
    const std::string why = tmpl::login_page_failure(search);
    log_console("login TWML required: " + why);
    const std::string line = "tarnwick: login TWML required: " + why;
    const std::string with_end = line + "\n";
    (void)!write(2, with_end.data(), with_end.size());
    return fail(line);
}

}  // namespace tarnwick::app
