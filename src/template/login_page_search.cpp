#include "template/login_page_search.h"

#include "core/text.h"
#include "template/page_search.h"
#include "template/template_dirs.h"

namespace tarnwick::tmpl {

LoginPageSearch search_login_folders(std::span<const std::string> folders) {
    LoginPageSearch search;
    search_folders(folders, "pages/login.twml",
                   [&search](const std::string& path, const std::string& folder) {
                       auto loaded = load_login_page(path, folder);
                       if (!loaded) {
                           search.invalid.push_back({path, std::move(loaded.error())});
                           return false;
                       }
                       search.found = FoundLoginPage{path, std::move(*loaded)};
                       return true;
                   });
    return search;
}

LoginPageSearch search_login_page(std::string_view config_dir) {
    const auto folders = template_dirs(config_dir);
    return search_login_folders(folders);
}

std::string login_page_failure(const LoginPageSearch& search) {
    if (search.invalid.empty()) {
        return "login.twml not found under config/templates or " +
               std::string(kInstalledTemplatesDir);
    }
    const InvalidLoginPage& first = search.invalid.front();
    return decode_lossy(first.path) + ": " + display_twml_error(first.error);
}

}  // namespace tarnwick::tmpl
