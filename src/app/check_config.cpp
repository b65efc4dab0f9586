#include "app/check_config.h"

#include "app/not_built.h"

namespace tarnwick {

int run_check_config(const std::string&) { return mode_not_built("--check-config"); }

int run_screen_matrix(const std::string&, const std::optional<std::string>&) {
    return mode_not_built("--screen-matrix");
}

}  // namespace tarnwick
