#include "template/template_dirs.h"

#include "core/fixed_res_dir.h"
#include "core/text.h"

namespace tarnwick::tmpl {

std::array<std::string, 3> template_dirs(std::string_view config_dir) {
    return {
        join_path(config_dir, "templates"),
        std::string(kInstalledTemplatesDir),
        join_path(fixed_res_dir(), "templates"),
    };
}

}  // namespace tarnwick::tmpl
