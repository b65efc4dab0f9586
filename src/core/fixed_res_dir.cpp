#include "core/fixed_res_dir.h"

namespace tarnwick {

// Not part of tarnwick_core: built once per folder (src/core/CMakeLists.txt).
std::string_view fixed_res_dir() {
    return TARNWICK_FIXED_RES_DIR;
}

}  // namespace tarnwick
