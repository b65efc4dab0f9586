#include "app/mouse_smoke.h"

#include "app/not_built.h"

namespace tarnwick {

SmokeReport run_mouse_smoke_tests() {
    (void)mode_not_built("--smoke-mouse");
    return SmokeReport{true, {}};
}

}  // namespace tarnwick
