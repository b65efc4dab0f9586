#include "tui/term/terminal.h"

namespace tarnwick::tui {

void restore_terminal() {}

}  // namespace tarnwick::tui
