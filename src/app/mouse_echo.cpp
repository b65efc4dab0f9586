#include "app/mouse_echo.h"

#include "app/not_built.h"

namespace tarnwick {

int run_mouse_echo(const std::string&, std::uint64_t) {
    return mode_not_built("--mouse-echo");
}

}  // namespace tarnwick
