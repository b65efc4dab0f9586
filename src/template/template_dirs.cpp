#include "template/template_dirs.h"

#include "core/text.h"

namespace tarnwick::tmpl {

std::array<std::string, 3> template_dirs(std::string_view config_dir) {
    return {
        join_path(config_dir, "templates"), std::string(kInstalledTemplatesDir),
        std::string(
            TARNWICK_SOURCE_TEMPLATES_DIR),  // set by the build: the source tree's res/templates
    };
}

}  // namespace tarnwick::tmpl
