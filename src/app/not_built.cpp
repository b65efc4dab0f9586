#include "app/not_built.h"

#include <fmt/format.h>

#include <cstdio>

namespace tarnwick {

int mode_not_built(std::string_view mode) {
    fmt::print(stderr, "ERROR: {} is not built yet\n", mode);
    return kExitSoftware;
}

}  // namespace tarnwick
