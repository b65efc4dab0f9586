#include "app/console_session.h"

namespace tarnwick {

Result<int, std::string> run_console_session(const Cli&) {
    return fail(std::string("console session is not built yet"));
}

}  // namespace tarnwick
