#include "support/ci_gate.h"

#include <cstdlib>
#include <string_view>

namespace tarnwick::test {

bool in_ci() {
    const char* ci = std::getenv("CI");
    if (ci == nullptr) return false;
    const std::string_view value = ci;
    return !value.empty() && value != "0" && value != "false";
}

}  // namespace tarnwick::test
