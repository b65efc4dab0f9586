#include "template/page_search.h"

#include "core/text.h"
#include "template/template_dirs.h"

#include <sys/stat.h>

namespace tarnwick::tmpl {

bool search_folders(std::span<const std::string> folders, std::string_view relative,
                    const PageOffer& offer) {
    for (const std::string& folder : folders) {
        const std::string candidate = join_path(folder, relative);
        struct stat st {};
        if (::stat(candidate.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        if (offer(candidate, folder)) return true;
    }
    return false;
}

bool search_template_folders(std::string_view config_dir, std::string_view relative,
                             const PageOffer& offer) {
    const auto folders = template_dirs(config_dir);
    return search_folders(folders, relative, offer);
}

}  // namespace tarnwick::tmpl
