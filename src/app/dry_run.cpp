#include "app/dry_run.h"

#include "app/not_built.h"

namespace tarnwick {

int run_dry_run(const std::string&, const std::optional<std::string>&,
                const std::optional<std::string>&, AutoMode) {
    return mode_not_built("--dry-run");
}

}  // namespace tarnwick
