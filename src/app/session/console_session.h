#pragma once
// The interactive console login (normal mode).

#include "app/cli.h"
#include "core/result.h"

#include <string>

namespace tarnwick::app {

// An exit status (0, 77 or 78; 128 + the signal when a hang-up or SIGTERM
// ended a signed-in session), or an error text that main reports and turns
// into status 70.
Result<int, std::string> run_console_session(const Cli& cli);

}  // namespace tarnwick::app
